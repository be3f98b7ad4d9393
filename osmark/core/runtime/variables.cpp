// Variables: the local and the global list of the live locale record, and their files
// under "ENV:vars".

#include "osmark/variables.h"

#include "core/locale/locale_system.h"
#include "core/runtime/make_error.h"
#include "core/runtime/variables_internal.h"
#include "osmark/directories.h"
#include "osmark/errors.h"
#include "osmark/files.h"
#include "osmark/locale.h"
#include "osmark/memory.h"
#include "osmark/paths.h"
#include "osmark/strings.h"

#include <cstring>

namespace {

constexpr uint32_t kScopeFlags = VarFlagGlobalOnly | VarFlagLocalOnly;
constexpr uint32_t kRawMode = VarFlagBinary | VarFlagNoNul;

// The locale start-up makes the lists; before it, they read as empty.
bool is_ready(const List& list)
{
    return list.lh_Head != nullptr;
}

bool searches_local(uint32_t flags)
{
    return (flags & VarFlagLocalOnly) != 0 || (flags & kScopeFlags) == 0;
}

bool searches_global(uint32_t flags)
{
    return (flags & VarFlagGlobalOnly) != 0 || (flags & kScopeFlags) == 0;
}

VarNode* find_in(List& list, const char* name, uint8_t type)
{
    if (!is_ready(list))
        return nullptr;
    for (Node* n = list.lh_Head; n->ln_Succ != nullptr; n = n->ln_Succ) {
        if (n->ln_Type == type && StriCmp(n->ln_Name, name) == 0)
            return reinterpret_cast<VarNode*>(n);
    }
    return nullptr;
}

// A new variable goes after every variable whose name compares lower or equal.
void insert_in_order(List& list, VarNode* node)
{
    if (!is_ready(list))
        NewList(&list);
    Node* predecessor = nullptr;
    for (Node* n = list.lh_Head; n->ln_Succ != nullptr; n = n->ln_Succ) {
        if (StriCmp(n->ln_Name, node->vn_Node.ln_Name) > 0)
            break;
        predecessor = n;
    }
    Insert(&list, &node->vn_Node, predecessor);
}

VarNode* new_node(const char* name, uint8_t type)
{
    const size_t length = std::strlen(name);
    if (length > UINT32_MAX - sizeof(VarNode) - 1) {
        osmark::set_io_error(IoErrNoMemory);
        return nullptr;
    }
    auto* node = static_cast<VarNode*>(AllocVec(static_cast<uint32_t>(sizeof(VarNode) + length + 1)));
    if (node == nullptr)
        return nullptr;
    std::memset(node, 0, sizeof(VarNode));
    char* name_text = reinterpret_cast<char*>(node + 1);
    std::memcpy(name_text, name, length + 1);
    node->vn_Node.ln_Type = type;
    node->vn_Node.ln_Name = name_text;
    return node;
}

void free_node(VarNode* node)
{
    FreeVec(node->vn_Value);
    FreeVec(node);
}

void free_list(List& list)
{
    if (is_ready(list)) {
        while (Node* node = RemHead(&list))
            free_node(reinterpret_cast<VarNode*>(node));
    }
    NewList(&list);
}

// Writes the value to the variable's file, making its folders when missing. Failures
// are not reported, and leave the caller's error code as it was.
void save_variable(const VarNode& node) noexcept
{
    std::string file;
    try {
        file = osmark::variable_file_name(node.vn_Node.ln_Name);
    } catch (...) {
        return;
    }
    if (file.empty())
        return;
    const IoErrCode saved = IoErr();
    if (char* folder = ExtractFileDir(file.c_str())) {
        if (Access(folder, 0) != 0)
            CreateDir(folder);
        FreeStr(folder);
    }
    if (FileHandle* fh = Open(file.c_str(), FileModeWrite)) {
        if (node.vn_Length > 0 && node.vn_Value != nullptr)
            Write(fh, node.vn_Value, node.vn_Length);
        Close(fh);
    }
    SetIoErr(saved);
}

void delete_variable_file(const char* name) noexcept
{
    std::string file;
    try {
        file = osmark::variable_file_name(name);
    } catch (...) {
        return;
    }
    if (file.empty())
        return;
    const IoErrCode saved = IoErr();
    DeleteFile_(file.c_str());
    SetIoErr(saved);
}

bool is_parent_component(const char* begin, const char* end)
{
    return end - begin == 2 && begin[0] == '.' && begin[1] == '.';
}

}

namespace osmark {

std::string variable_file_name(const char* name)
{
    // The platform takes both separators whatever the locale says.
    const auto is_separator = [](char c) { return c == '/' || c == '\\'; };
    if (name[0] == '\0' || is_separator(name[0]))
        return {};
    for (const char* begin = name;;) {
        const char* end = begin;
        while (*end != '\0' && !is_separator(*end))
            ++end;
        if (is_parent_component(begin, end))
            return {};
        if (*end == '\0')
            break;
        begin = end + 1;
    }
    return std::string(kVariablesFolder) + '\\' + name;
}

}

extern "C" {

OSMARK_API VarNode* FindVar(const char* name, uint32_t flags) noexcept
{
    if (name == nullptr)
        return nullptr;
    Locale& locale = *GetSystemLocale();
    const auto type = static_cast<uint8_t>(flags & VarTypeMask);
    VarNode* node = nullptr;
    if (searches_local(flags))
        node = find_in(locale.loc_LocalVars, name, type);
    if (node == nullptr && searches_global(flags))
        node = find_in(locale.loc_GlobalVars, name, type);
    return node;
}

OSMARK_API int32_t GetVar(const char* name, char* buffer, int32_t size, uint32_t flags) noexcept
{
    if (name == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return -1;
    }
    const VarNode* node = FindVar(name, flags);
    if (node == nullptr) {
        osmark::set_io_error(IoErrObjectNotFound);
        return -1;
    }
    const bool has_value = node->vn_Value != nullptr;
    const int32_t length = has_value ? node->vn_Length : 0;
    const char* value = has_value ? node->vn_Value : "";
    const bool raw = (flags & kRawMode) == kRawMode;
    if (buffer == nullptr || size < 1)
        return length + 1;
    // The value block holds length + 1 bytes, its NUL included, so count never reads
    // past it.
    const int32_t count = raw ? length : length + 1;
    if (size >= count) {
        std::memcpy(buffer, value, static_cast<size_t>(count));
        return length;
    }
    std::memcpy(buffer, value, static_cast<size_t>(size));
    if (!raw)
        buffer[size - 1] = '\0';
    return count;
}

OSMARK_API int32_t SetVar(const char* name, const char* value, int32_t length, uint32_t flags) noexcept
{
    if (name == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    if (value == nullptr) {
        value = "";
        length = 0;
    }
    VarNode* node = FindVar(name, flags);
    if (node == nullptr) {
        node = new_node(name, static_cast<uint8_t>(flags & VarTypeMask));
        if (node == nullptr)
            return 0;
        Locale& locale = *GetSystemLocale();
        insert_in_order((flags & VarFlagGlobalOnly) != 0 ? locale.loc_GlobalVars : locale.loc_LocalVars, node);
    }
    if (length < 1)
        length = StrLen(value);
    // The copy is made before the old value goes: value may be the old value itself.
    char* copy = length < INT32_MAX ? static_cast<char*>(AllocVec(static_cast<uint32_t>(length) + 1)) : nullptr;
    if (copy != nullptr) {
        std::memcpy(copy, value, static_cast<size_t>(length));
        copy[length] = '\0';
    }
    FreeVec(node->vn_Value);
    node->vn_Value = copy;
    node->vn_Length = copy != nullptr ? length : 0;
    if (copy == nullptr) {
        osmark::set_io_error(IoErrNoMemory);
        return 0;
    }
    if ((flags & VarFlagGlobalOnly) != 0 && (flags & VarFlagSave) != 0)
        save_variable(*node);
    return 1;
}

OSMARK_API int32_t DeleteVar(const char* name, uint32_t flags) noexcept
{
    if (name == nullptr)
        return 0;
    const uint32_t kept = flags & ~kScopeFlags;
    if (searches_local(flags)) {
        if (VarNode* node = FindVar(name, kept | VarFlagLocalOnly)) {
            Remove(&node->vn_Node);
            free_node(node);
            return 1;
        }
    }
    if (searches_global(flags)) {
        if (VarNode* node = FindVar(name, kept | VarFlagGlobalOnly)) {
            delete_variable_file(node->vn_Node.ln_Name);
            Remove(&node->vn_Node);
            free_node(node);
            return 1;
        }
    }
    return 0;
}

OSMARK_API void FreeVariables(void) noexcept
{
    Locale& locale = *GetSystemLocale();
    free_list(locale.loc_LocalVars);
    free_list(locale.loc_GlobalVars);
    osmark::free_locale_strings();
}

}
