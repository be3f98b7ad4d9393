// Assign lists and the expansion of assigns in paths.

#include "osmark/assigns.h"

#include "core/runtime/make_error.h"
#include "osmark/errors.h"
#include "osmark/exit_list.h"
#include "osmark/library.h"
#include "osmark/locale.h"
#include "osmark/memory.h"
#include "osmark/strings.h"

#include <cstring>
#include <new>
#include <string>
#include <string_view>

namespace {

// Assigns may stand for paths that begin with other assigns. A chain deeper than this
// is taken for a loop (A: standing for B:x and B: for A:y) and expansion fails.
constexpr int kMaxAssignDepth = 16;

List* g_user_list = nullptr;
List* g_system_list = nullptr;

const char* volume_separators()
{
    const char* set = GetSystemLocale()->loc_VolumeSeparators;
    return set != nullptr && set[0] != '\0' ? set : ":";
}

const char* path_separators()
{
    const char* set = GetSystemLocale()->loc_PathSeparators;
    return set != nullptr && set[0] != '\0' ? set : "/";
}

bool is_path_separator(char c)
{
    return c != '\0' && std::strchr(path_separators(), c) != nullptr;
}

List* new_list()
{
    List* list = static_cast<List*>(AllocVec(sizeof(List)));
    if (list != nullptr)
        NewList(list);
    return list;
}

AssignNode* new_node(std::string_view name, const char* path)
{
    const size_t path_length = path != nullptr ? std::strlen(path) : 0;
    const uint64_t size = sizeof(AssignNode) + name.size() + path_length + 2;
    if (size > UINT32_MAX) {
        osmark::set_io_error(IoErrNoMemory);
        return nullptr;
    }
    auto* node = static_cast<AssignNode*>(AllocVec(static_cast<uint32_t>(size)));
    if (node == nullptr)
        return nullptr;
    std::memset(node, 0, sizeof(AssignNode));
    char* name_text = reinterpret_cast<char*>(node + 1);
    std::memcpy(name_text, name.data(), name.size());
    name_text[name.size()] = '\0';
    node->an_Node.ln_Type = AssignNodeType;
    node->an_Node.ln_Name = name_text;
    node->an_Active = 1;
    if (path != nullptr) {
        char* path_text = name_text + name.size() + 1;
        std::memcpy(path_text, path, path_length + 1);
        node->an_Path = path_text;
    }
    return node;
}

// Keeps the list in ascending order of name: a new node goes after every node whose
// name compares lower or equal.
void insert_in_order(List* list, AssignNode* node)
{
    Node* predecessor = nullptr;
    for (Node* n = list->lh_Head; n->ln_Succ != nullptr; n = n->ln_Succ) {
        if (StriCmp(n->ln_Name, node->an_Node.ln_Name) > 0)
            break;
        predecessor = n;
    }
    Insert(list, &node->an_Node, predecessor);
}

AssignNode* find_in(List* list, const char* name)
{
    if (list == nullptr)
        return nullptr;
    for (Node* n = list->lh_TailPred; n->ln_Pred != nullptr; n = n->ln_Pred) {
        if (StriCmp(n->ln_Name, name) == 0)
            return reinterpret_cast<AssignNode*>(n);
    }
    return nullptr;
}

AssignNode* lookup(const char* name)
{
    AssignNode* node = find_in(g_user_list, name);
    return node != nullptr ? node : find_in(g_system_list, name);
}

void free_list(List*& list)
{
    if (list == nullptr)
        return;
    while (Node* node = RemHead(list))
        FreeVec(node);
    FreeVec(list);
    list = nullptr;
}

// Expands text into buffer[0..size); returns the bytes the whole expansion needs
// (terminator included) or 0 when assigns nest too deeply.
int32_t expand(const char* text, char* buffer, int32_t size, int depth)
{
    if (depth > kMaxAssignDepth) {
        osmark::set_io_error(IoErrSystemLimit);
        return 0;
    }
    int32_t room = size - 1;
    int32_t out = 0;
    const char* rest = text;
    const char* colon = std::strchr(text, volume_separators()[0]);
    if (colon != nullptr) {
        const std::string name(text, static_cast<size_t>(colon - text));
        const AssignNode* node = lookup(name.c_str());
        if (node != nullptr && node->an_Active != 0) {
            if (node->an_Path != nullptr) {
                const int32_t needed = expand(node->an_Path, buffer != nullptr ? buffer + out : nullptr,
                                              room + 1, depth + 1);
                if (needed == 0)
                    return 0;
                const bool wrote_all = buffer != nullptr && needed - 1 <= room;
                out += wrote_all ? needed - 1 : std::max(room, 0);
                room -= needed - 1;
                if (room > 0 && buffer != nullptr) {
                    if (out > 0 && !is_path_separator(buffer[out - 1])) {
                        buffer[out++] = path_separators()[0];
                        --room;
                    }
                } else {
                    const size_t length = std::strlen(node->an_Path);
                    if (length == 0 || node->an_Path[length - 1] != path_separators()[0])
                        --room;
                }
            }
            rest = colon + 1;
            if (is_path_separator(rest[0]))
                ++rest;
        }
    }
    for (const char* c = rest; *c != '\0'; ++c) {
        if (room > 0 && buffer != nullptr) {
            buffer[out++] = *c;
        }
        --room;
    }
    if (buffer != nullptr && room >= 0)
        buffer[out] = '\0';
    return size - room;
}

}

extern "C" {

OSMARK_API List* GetAssignList(void) noexcept
{
    return g_user_list;
}

OSMARK_API int32_t AssignPath(const char* name, const char* path) noexcept
{
    if (name == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    char* copy = AllocStr(0, name);
    if (copy == nullptr)
        return 0;
    StrStrip(copy, 'B');
    copy[std::strcspn(copy, volume_separators())] = '\0';
    if (copy[0] == '\0') {
        FreeStr(copy);
        osmark::set_io_error(IoErrObjectInvalid);
        return 0;
    }
    if (g_user_list == nullptr && (g_user_list = new_list()) == nullptr) {
        FreeStr(copy);
        return 0;
    }
    while (AssignNode* old = find_in(g_user_list, copy)) {
        Remove(&old->an_Node);
        FreeVec(old);
    }
    int32_t result = 1;
    if (path != nullptr) {
        AssignNode* node = new_node(copy, path);
        if (node != nullptr)
            insert_in_order(g_user_list, node);
        else
            result = 0;
    }
    FreeStr(copy);
    return result;
}

OSMARK_API int32_t AssignFind(const char* name, const char** path, uint32_t* active) noexcept
{
    if (name == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    try {
        const std::string key(name, std::strcspn(name, ":"));
        const AssignNode* node = lookup(key.c_str());
        if (node == nullptr) {
            osmark::set_io_error(IoErrObjectNotFound);
            return 0;
        }
        if (path != nullptr)
            *path = node->an_Path;
        if (active != nullptr)
            *active = node->an_Active;
        return 1;
    } catch (const std::bad_alloc&) {
        osmark::set_io_error(IoErrNoMemory);
        return 0;
    }
}

OSMARK_API int32_t AssignExpand(const char* path, char* buffer, int32_t size) noexcept
{
    try {
        if (buffer == nullptr)
            size = 0;
        return expand(path != nullptr ? path : "", buffer, size, 0);
    } catch (const std::bad_alloc&) {
        osmark::set_io_error(IoErrNoMemory);
        return 0;
    }
}

OSMARK_API char* AllocExpandedPath(const char* path) noexcept
{
    if (path == nullptr)
        return AllocStr(0, "");
    const int32_t needed = AssignExpand(path, nullptr, 0);
    if (needed <= 0)
        return nullptr;
    const uint32_t size = static_cast<uint32_t>(needed) + 10;
    char* expanded = AllocStr(size, nullptr);
    if (expanded == nullptr)
        return nullptr;
    if (AssignExpand(path, expanded, static_cast<int32_t>(size)) == 0) {
        FreeStr(expanded);
        return nullptr;
    }
    return expanded;
}

OSMARK_API void FreeExpandedPath(char* path) noexcept
{
    FreeStr(path);
}

OSMARK_API void AddSystemAssign(const char* name, const char* path) noexcept
{
    if (name == nullptr)
        return;
    if (g_system_list == nullptr && (g_system_list = new_list()) == nullptr)
        return;
    if (AssignNode* node = new_node(name, path))
        insert_in_order(g_system_list, node);
}

OSMARK_API void FreeAssigns(void) noexcept
{
    free_list(g_user_list);
    free_list(g_system_list);
}

}
