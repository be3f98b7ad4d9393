// File-system trees: volumes and the folders below them.
//
// Every record and string comes from the one pool made at start-up. A volume's folder
// tree has one root node (named by the drive, the assign's folder or the volume's
// name) and grows by listing a folder at a time: expanding along a path lists the
// folder of each component, refreshing a folder corrects its children in place.

#include "osmark/file_systems.h"

#include "core/runtime/make_error.h"
#include "core/runtime/startup_steps.h"
#include "osmark/assigns.h"
#include "osmark/errors.h"
#include "osmark/exit_list.h"
#include "osmark/gui_msgs.h"
#include "osmark/library.h"
#include "osmark/memory.h"
#include "osmark/owners.h"
#include "osmark/paths.h"
#include "osmark/patterns.h"
#include "platform/files.h"
#include "platform/kernel.h"
#include "platform/volumes.h"

#include <cctype>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

Pool* g_pool = nullptr;

constexpr uint32_t kRefreshMark = 0x80000000u;
constexpr uint32_t kBothKinds = FileSystemNodeHasFiles | FileSystemNodeHasFolders;
constexpr uint32_t kFolderAttribute = 0x10;
constexpr uint32_t kVolumeTextSize = 512;
constexpr uint32_t kNetworkBufferSize = 16384;
// Containers inside containers deeper than this are not listed: a network that
// answers with itself cannot make the listing endless.
constexpr int kNetworkDepthLimit = 16;
constexpr size_t kPathLevelLimit = 512;

void delete_pool()
{
    DeletePool(g_pool);
    g_pool = nullptr;
}

// ---- Pool blocks and strings -----------------------------------------------------

void* pool_block(size_t size)
{
    if (g_pool == nullptr || size > UINT32_MAX) {
        osmark::set_io_error(IoErrNoMemory);
        return nullptr;
    }
    void* block = AllocVecPooled(g_pool, static_cast<uint32_t>(size));
    if (block == nullptr) {
        osmark::set_io_error(IoErrNoMemory);
        return nullptr;
    }
    std::memset(block, 0, size);
    return block;
}

void pool_free(void* block)
{
    if (block != nullptr && g_pool != nullptr)
        FreeVecPooled(g_pool, block);
}

char* pool_string(const char* text)
{
    if (text == nullptr)
        return nullptr;
    const size_t length = std::strlen(text);
    auto* copy = static_cast<char*>(pool_block(length + 1));
    if (copy != nullptr)
        std::memcpy(copy, text, length + 1);
    return copy;
}

// Replaces *field by a pool copy of text; false when the copy cannot be made.
bool set_string(char*& field, const char* text)
{
    pool_free(field);
    field = nullptr;
    if (text == nullptr)
        return true;
    field = pool_string(text);
    return field != nullptr;
}

// ---- Names and paths ---------------------------------------------------------------

bool is_separator(char c)
{
    return c == '/' || c == '\\';
}

std::string without_trailing_separator(std::string text)
{
    if (text.size() > 1 && is_separator(text.back()))
        text.pop_back();
    return text;
}

// Names compare without regard to case (unless the volume says otherwise), and the
// two path separators are one.
bool names_equal(const char* a, const char* b, bool case_sensitive)
{
    if (a == nullptr || b == nullptr)
        return false;
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (is_separator(*a) && is_separator(*b))
            continue;
        const int x = case_sensitive ? static_cast<unsigned char>(*a)
                                     : std::tolower(static_cast<unsigned char>(*a));
        const int y = case_sensitive ? static_cast<unsigned char>(*b)
                                     : std::tolower(static_cast<unsigned char>(*b));
        if (x != y)
            return false;
    }
    return *a == *b;
}

std::string join_path(const std::string& folder, const char* name)
{
    if (folder.empty())
        return name;
    if (is_separator(folder.back()))
        return folder + name;
    return folder + '/' + name;
}

std::string normalised(const char* text)
{
    osmark::StringOwner copy(AllocStr(0, text));
    if (copy == nullptr)
        throw std::bad_alloc();
    NormalisePath(copy.get());
    return copy.get();
}

// The drive of a full path and what follows it. A rooted path without a drive is on
// "C:", whose root is "/". False when the path names no drive.
bool split_drive(const char* full, std::string& drive, std::string& rest)
{
    osmark::StringOwner found(ExtractFileDrive(full));
    if (found == nullptr)
        throw std::bad_alloc();
    if (found.get()[0] != '\0') {
        drive = found.get();
        rest = full + std::strlen(found.get());
        return true;
    }
    if (!is_separator(full[0]))
        return false;
    drive = "C:";
    rest = full;
    return true;
}

std::vector<std::string> components_of(const std::string& rest)
{
    std::vector<std::string> components;
    size_t start = 0;
    while (start < rest.size() && is_separator(rest[start]))
        ++start;
    while (start <= rest.size()) {
        size_t end = start;
        while (end < rest.size() && !is_separator(rest[end]))
            ++end;
        components.push_back(rest.substr(start, end - start));
        start = end + 1;
    }
    return components;
}

// ---- Nodes -------------------------------------------------------------------------

FileSystemNode* node_of(TreeNode* node)
{
    return reinterpret_cast<FileSystemNode*>(node);
}

FileSystemNode* first_child(FileSystemVolume* volume, FileSystemNode* parent)
{
    return node_of(parent != nullptr ? parent->fsn_Node.tn_FirstChild
                                     : volume->fsv_Folders.tr_First);
}

FileSystemNode* next_sibling(FileSystemNode* node)
{
    return node_of(node->fsn_Node.tn_NextSibling);
}

FileSystemNode* find_child(FileSystemVolume* volume, FileSystemNode* parent, const char* name)
{
    const bool case_sensitive = (volume->fsv_State & FileSystemVolumeCaseSensitive) != 0;
    for (FileSystemNode* child = first_child(volume, parent); child != nullptr;
         child = next_sibling(child)) {
        if (names_equal(child->fsn_Name, name, case_sensitive))
            return child;
    }
    return nullptr;
}

void free_node(FileSystemNode* node)
{
    FileSystemNode* child = node_of(node->fsn_Node.tn_FirstChild);
    while (child != nullptr) {
        FileSystemNode* next = next_sibling(child);
        free_node(child);
        child = next;
    }
    pool_free(node->fsn_Name);
    pool_free(node);
}

void free_children(FileSystemNode* node)
{
    FileSystemNode* child = node_of(node->fsn_Node.tn_FirstChild);
    node->fsn_Node.tn_FirstChild = nullptr;
    while (child != nullptr) {
        FileSystemNode* next = next_sibling(child);
        free_node(child);
        child = next;
    }
}

// The full path of a node: its root's name, then every name below it.
std::string path_of(FileSystemNode* node)
{
    std::vector<const char*> names;
    for (TreeNode* at = &node->fsn_Node; at != nullptr; at = at->tn_Parent)
        names.push_back(node_of(at)->fsn_Name);
    std::string path = names.back();
    for (size_t i = names.size() - 1; i-- > 0;)
        path = join_path(path, names[i]);
    return path;
}

// Calls visit(info) for each entry of the folder that the pattern finds, but "." and
// ".."; stops when visit answers false. The scan's result (0, or MatchFirst's).
template <typename Visit>
int32_t scan_folder(const std::string& folder, const char* pattern, Visit visit)
{
    const std::string search = join_path(folder, pattern);
    MatchAnchor anchor{};
    int32_t result = MatchFirst(search.c_str(), 0, &anchor);
    if (result != 0)
        return result;
    do {
        const char* name = anchor.ma_Info.fib_Name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        if (!visit(anchor.ma_Info))
            break;
    } while (MatchNext(&anchor) == 0);
    MatchEnd(&anchor);
    return 0;
}

// Whether the folder holds files and subfolders.
uint32_t classify(const std::string& folder)
{
    uint32_t flags = 0;
    const int32_t result = scan_folder(folder, "*", [&](const FileInfoBlock& info) {
        flags |= (info.fib_Attributes & kFolderAttribute) ? FileSystemNodeHasFolders
                                                          : FileSystemNodeHasFiles;
        return flags != kBothKinds;
    });
    if (result == IoErrNoMemory)
        return kBothKinds;
    return result == 0 ? flags : 0;
}

void fill_node(FileSystemNode* node, const FileInfoBlock& info, const std::string& path)
{
    node->fsn_Size = info.fib_Size;
    node->fsn_Attributes = info.fib_Attributes;
    node->fsn_Created = info.fib_Created;
    node->fsn_Accessed = info.fib_Accessed;
    node->fsn_Written = info.fib_Written;
    node->fsn_Flags &= ~(kBothKinds | kRefreshMark);
    if (info.fib_Attributes & kFolderAttribute)
        node->fsn_Flags |= classify(path);
}

enum class FirstNew {
    AtFront,
    AtEnd
};
enum class Entries {
    All,
    FoldersOnly
};

// Lists the folder of parent into its children: known ones are updated (their mark
// cleared), new ones go after the child handled before them. False when memory ran
// out (the children made so far stay).
bool list_children(FileSystemVolume* volume, FileSystemNode* parent, const char* pattern,
                   FirstNew first_new, Entries entries)
{
    const std::string folder = path_of(parent);
    FileSystemNode* previous = nullptr;
    bool complete = true;
    scan_folder(folder, pattern, [&](const FileInfoBlock& info) {
        if (entries == Entries::FoldersOnly && !(info.fib_Attributes & kFolderAttribute))
            return true;
        const std::string path = join_path(folder, info.fib_Name);
        FileSystemNode* child = find_child(volume, parent, info.fib_Name);
        if (child == nullptr) {
            child = static_cast<FileSystemNode*>(pool_block(sizeof(FileSystemNode)));
            if (child != nullptr)
                child->fsn_Name = pool_string(info.fib_Name);
            if (child == nullptr || child->fsn_Name == nullptr) {
                pool_free(child);
                complete = false;
                return false;
            }
            uintptr_t where = reinterpret_cast<uintptr_t>(previous);
            if (previous == nullptr)
                where = first_new == FirstNew::AtFront ? TreeNodeFirst : TreeNodeLast;
            InsertTreeNode(&volume->fsv_Folders, &parent->fsn_Node, &child->fsn_Node, where);
        }
        fill_node(child, info, path);
        previous = child;
        return true;
    });
    return complete;
}

// ---- Volumes -----------------------------------------------------------------------

struct VolumeInfo {
    UINT drive_type = DRIVE_UNKNOWN;
    bool read = false;
    char label[kVolumeTextSize] = "";
    char file_system[kVolumeTextSize] = "";
    DWORD serial = 0;
    DWORD longest = 0;
};

// The drive type and, unless the drive is removable, the volume information of a
// root, with the system's critical-error boxes off meanwhile.
void read_volume_info(const char* root, VolumeInfo& info)
{
    const UINT mode = SetErrorMode(SEM_FAILCRITICALERRORS);
    info.drive_type = GetDriveTypeA(root);
    if (info.drive_type != DRIVE_REMOVABLE) {
        DWORD flags = 0;
        info.read =
            GetVolumeInformationA(root, info.label, kVolumeTextSize, &info.serial, &info.longest,
                                  &flags, info.file_system, kVolumeTextSize) != FALSE;
    }
    SetErrorMode(mode);
}

uint32_t kind_of_drive_type(UINT drive_type)
{
    switch (drive_type) {
    case DRIVE_REMOVABLE:
        return FileSystemVolumeRemovable;
    case DRIVE_CDROM:
        return FileSystemVolumeCDROM;
    case DRIVE_RAMDISK:
        return FileSystemVolumeRAMDisk;
    default:
        return 0;
    }
}

void free_volume_strings(FileSystemVolume* volume)
{
    for (char** field :
         {&volume->fsv_Node.ln_Name, &volume->fsv_FileSystemName, &volume->fsv_VolumeLabel,
          &volume->fsv_Path, &volume->fsv_RemotePath, &volume->fsv_Comment}) {
        pool_free(*field);
        *field = nullptr;
    }
}

void free_volume(FileSystemVolume* volume)
{
    while (!IsListEmpty(&volume->fsv_Children))
        free_volume(reinterpret_cast<FileSystemVolume*>(RemHead(&volume->fsv_Children)));
    FileSystemNode* node = node_of(volume->fsv_Folders.tr_First);
    while (node != nullptr) {
        FileSystemNode* next = next_sibling(node);
        free_node(node);
        node = next;
    }
    free_volume_strings(volume);
    pool_free(volume);
}

void free_volume_list(List* list)
{
    while (!IsListEmpty(list))
        free_volume(reinterpret_cast<FileSystemVolume*>(RemHead(list)));
}

FileSystemVolume* find_in_list(List* list, const char* name, bool recursive)
{
    for (Node* n = list->lh_Head; n->ln_Succ != nullptr; n = n->ln_Succ) {
        auto* volume = reinterpret_cast<FileSystemVolume*>(n);
        const bool case_sensitive = (volume->fsv_State & FileSystemVolumeCaseSensitive) != 0;
        const char* key =
            (volume->fsv_Kind & FileSystemVolumeServer) ? volume->fsv_RemotePath : n->ln_Name;
        if (names_equal(key, name, case_sensitive))
            return volume;
        if (recursive) {
            if (FileSystemVolume* child = find_in_list(&volume->fsv_Children, name, true))
                return child;
        }
    }
    return nullptr;
}

FileSystemVolume* find_volume(FileSystem* file_system, const std::string& name)
{
    const std::string key = without_trailing_separator(name);
    if (FileSystemVolume* volume = find_in_list(&file_system->fs_Drives, key.c_str(), false))
        return volume;
    if (FileSystemVolume* volume = find_in_list(&file_system->fs_Network, key.c_str(), true))
        return volume;
    return find_in_list(&file_system->fs_Assigns, key.c_str(), false);
}

// The volume of that name in the list, taken off it and stripped of its strings so
// that it can be filled again; or a new one. NULL when memory fails.
FileSystemVolume* volume_to_fill(List* list, const char* name)
{
    for (Node* n = list->lh_Head; n->ln_Succ != nullptr; n = n->ln_Succ) {
        if (names_equal(n->ln_Name, name, false)) {
            auto* volume = reinterpret_cast<FileSystemVolume*>(n);
            Remove(n);
            free_volume_strings(volume);
            return volume;
        }
    }
    auto* volume = static_cast<FileSystemVolume*>(pool_block(sizeof(FileSystemVolume)));
    if (volume == nullptr)
        return nullptr;
    volume->fsv_Node.ln_Type = FileSystemVolumeNodeType;
    NewTree(&volume->fsv_Folders);
    NewList(&volume->fsv_Children);
    return volume;
}

bool fill_volume_info(FileSystemVolume* volume, const VolumeInfo& info)
{
    volume->fsv_Kind |= kind_of_drive_type(info.drive_type);
    if (!info.read)
        return true;
    volume->fsv_SerialNumber = info.serial;
    volume->fsv_MaxComponentLength = info.longest;
    volume->fsv_MaxNameLength = info.longest;
    volume->fsv_State |= FileSystemVolumeInfoRead;
    return set_string(volume->fsv_FileSystemName, info.file_system) &&
           set_string(volume->fsv_VolumeLabel, info.label);
}

// The volume's root node, made unless one of that name exists: classified from the
// folder when the volume information was read, else holding both kinds.
bool give_root_node(FileSystemVolume* volume, const char* name, const std::string& folder,
                    const VolumeInfo& info)
{
    if (find_child(volume, nullptr, name) != nullptr)
        return true;
    auto* root = static_cast<FileSystemNode*>(pool_block(sizeof(FileSystemNode)));
    if (root == nullptr)
        return false;
    root->fsn_Name = pool_string(name);
    if (root->fsn_Name == nullptr) {
        pool_free(root);
        return false;
    }
    root->fsn_Attributes = kFolderAttribute;
    root->fsn_Flags = info.read ? classify(folder) : kBothKinds;
    InsertTreeNode(&volume->fsv_Folders, nullptr, &root->fsn_Node, TreeNodeLast);
    return true;
}

// Appends the volume to the list; when it could not be filled it is freed instead.
bool finish_volume(List* list, FileSystemVolume* volume, bool filled)
{
    if (!filled) {
        free_volume(volume);
        return false;
    }
    AddTail(list, &volume->fsv_Node);
    return true;
}

bool add_drive_volume(FileSystem* file_system, const char* drive_root)
{
    std::string root = normalised(drive_root);
    if (root.empty() || !is_separator(root.back()))
        root += '/';
    VolumeInfo info;
    read_volume_info(root.c_str(), info);
    const std::string name = without_trailing_separator(root);
    FileSystemVolume* volume = volume_to_fill(&file_system->fs_Drives, name.c_str());
    if (volume == nullptr)
        return false;
    volume->fsv_Kind = FileSystemVolumeDrive;
    const bool filled = set_string(volume->fsv_Node.ln_Name, name.c_str()) &&
                        fill_volume_info(volume, info) &&
                        set_string(volume->fsv_Path, normalised(name.c_str()).c_str()) &&
                        give_root_node(volume, name.c_str(), root, info);
    return finish_volume(&file_system->fs_Drives, volume, filled);
}

bool list_drives(FileSystem* file_system)
{
    const DWORD size = GetLogicalDriveStringsA(0, nullptr);
    std::vector<char> roots(size + 1, '\0');
    if (size == 0 || GetLogicalDriveStringsA(size, roots.data()) == 0) {
        osmark::set_io_error_from_win32(GetLastError());
        return false;
    }
    for (const char* root = roots.data(); *root != '\0'; root += std::strlen(root) + 1) {
        if (!add_drive_volume(file_system, root))
            return false;
    }
    file_system->fs_Listed |= FileSystemDrives;
    return true;
}

bool add_assign_volume(FileSystem* file_system, const char* name, const char* path)
{
    if (name == nullptr || path == nullptr || name[0] == '\0' || path[0] == '\0')
        return true;
    // The drive of the folder gives the drive type and volume information; a folder
    // without a drive gives its own.
    osmark::StringOwner drive(ExtractFileDrive(path));
    if (drive == nullptr)
        return false;
    const std::string root =
        drive.get()[0] != '\0' ? std::string(drive.get()) + '/' : std::string(path);
    VolumeInfo info;
    read_volume_info(root.c_str(), info);
    FileSystemVolume* volume = volume_to_fill(&file_system->fs_Assigns, name);
    if (volume == nullptr)
        return false;
    volume->fsv_Kind = FileSystemVolumeAssign;
    const std::string folder = normalised(path);
    const bool filled = set_string(volume->fsv_Node.ln_Name, name) &&
                        fill_volume_info(volume, info) &&
                        set_string(volume->fsv_Path, folder.c_str()) &&
                        give_root_node(volume, folder.c_str(), folder, info);
    return finish_volume(&file_system->fs_Assigns, volume, filled);
}

bool list_assigns(FileSystem* file_system)
{
    List* assigns = GetAssignList();
    if (assigns != nullptr) {
        for (Node* n = assigns->lh_Head; n->ln_Succ != nullptr; n = n->ln_Succ) {
            const auto* assign = reinterpret_cast<const AssignNode*>(n);
            if (!add_assign_volume(file_system, n->ln_Name, assign->an_Path))
                return false;
        }
    }
    file_system->fs_Listed |= FileSystemAssigns;
    return true;
}

int32_t list_network(FileSystem* file_system, NETRESOURCEA* container, List* target, int depth);

// Adds one resource of the network to the list; 0, or the listing's failure.
int32_t add_network_volume(FileSystem* file_system, List* target, NETRESOURCEA& resource, int depth)
{
    if (resource.lpRemoteName == nullptr)
        return 0;
    const bool is_container = (resource.dwUsage & RESOURCEUSAGE_CONTAINER) != 0;
    std::string tested = resource.lpRemoteName;
    if (!is_container && (tested.empty() || !is_separator(tested.back())))
        tested += '\\';
    tested = normalised(tested.c_str());
    VolumeInfo info;
    read_volume_info(tested.c_str(), info);

    std::string name = without_trailing_separator(resource.lpRemoteName);
    FileSystemVolume* volume = volume_to_fill(target, name.c_str());
    if (volume == nullptr)
        return -1;
    volume->fsv_Kind = FileSystemVolumeNetwork;
    if (is_container) {
        volume->fsv_Kind |= FileSystemVolumeContainer;
        if (resource.dwDisplayType == RESOURCEDISPLAYTYPE_DOMAIN) {
            volume->fsv_Kind |= FileSystemVolumeDomain;
            name = GUIMsg(-701);
        } else if (resource.dwDisplayType == RESOURCEDISPLAYTYPE_SERVER) {
            volume->fsv_Kind |= FileSystemVolumeServer;
            name = GUIMsg(-702);
        } else if (resource.dwDisplayType == RESOURCEDISPLAYTYPE_NETWORK) {
            name = GUIMsg(-700);
        }
    }
    const std::string local = resource.lpLocalName != nullptr
                                  ? without_trailing_separator(normalised(resource.lpLocalName))
                                  : "";
    bool filled =
        set_string(volume->fsv_Node.ln_Name, name.c_str()) && fill_volume_info(volume, info) &&
        set_string(volume->fsv_Path, resource.lpLocalName != nullptr ? local.c_str() : nullptr) &&
        set_string(volume->fsv_RemotePath, normalised(resource.lpRemoteName).c_str()) &&
        set_string(volume->fsv_Comment, resource.lpComment);
    if (filled && is_container) {
        const int32_t listed =
            depth < kNetworkDepthLimit
                ? list_network(file_system, &resource, &volume->fsv_Children, depth + 1)
                : 0;
        if (listed == static_cast<int32_t>(ERROR_ACCESS_DENIED) ||
            listed == static_cast<int32_t>(ERROR_NOT_AUTHENTICATED)) {
            volume->fsv_State |= FileSystemVolumeDenied;
        } else if (listed != 0) {
            free_volume(volume);
            osmark::set_io_error(IoErrObjectNotFound);
            return -1;
        }
    }
    filled = filled && give_root_node(volume, name.c_str(), tested, info);
    return finish_volume(target, volume, filled) ? 0 : -1;
}

// Lists the resources of the container (NULL: the whole network) into the list: 0,
// the system's error number when the network cannot be listed, or -1 (the code left).
int32_t list_network(FileSystem* file_system, NETRESOURCEA* container, List* target, int depth)
{
    HANDLE enumeration = nullptr;
    const DWORD opened =
        WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, container, &enumeration);
    if (opened != ERROR_SUCCESS)
        return static_cast<int32_t>(opened);
    osmark::BlockOwner<void> buffer(AllocVec(kNetworkBufferSize));
    int32_t result = buffer == nullptr ? -1 : 0;
    while (result == 0) {
        DWORD count = 0xFFFFFFFFu;
        DWORD size = kNetworkBufferSize;
        if (WNetEnumResourceA(enumeration, &count, buffer.get(), &size) != ERROR_SUCCESS)
            break;
        auto* resources = static_cast<NETRESOURCEA*>(buffer.get());
        for (DWORD i = 0; i < count && result == 0; ++i)
            result = add_network_volume(file_system, target, resources[i], depth);
    }
    if (WNetCloseEnum(enumeration) != ERROR_SUCCESS && result == 0) {
        osmark::set_io_error(IoErrObjectNotFound);
        return -1;
    }
    return result;
}

// ---- Paths in the tree ---------------------------------------------------------

struct PathInTree {
    FileSystemVolume* volume = nullptr;
    std::vector<std::string> components;
};

// The volume of a path's drive and the components after it; false when the path has
// no drive or the tree no such volume.
enum class LastSeparator {
    Keep,
    Drop
};

bool locate(FileSystem* file_system, const char* path, PathInTree& located,
            LastSeparator last_separator)
{
    // A rooted path without a drive is already full: only its assign is expanded.
    osmark::ExpandedPathOwner expanded(AllocExpandedPath(path));
    if (expanded == nullptr)
        return false;
    osmark::StringOwner full(is_separator(expanded.get()[0]) ? AllocStr(0, expanded.get())
                                                             : ExpandUNCFileName(path));
    if (full == nullptr) {
        osmark::set_io_error(IoErrNoMemory);
        return false;
    }
    std::string drive;
    std::string rest;
    if (!split_drive(full.get(), drive, rest)) {
        osmark::set_io_error(IoErrObjectNotFound);
        return false;
    }
    located.volume = find_volume(file_system, drive);
    located.components = components_of(rest);
    // One separator at the end names the folder itself.
    if (last_separator == LastSeparator::Drop && located.components.size() > 1 &&
        located.components.back().empty())
        located.components.pop_back();
    return located.volume != nullptr;
}

FileSystemNode* node_at(const PathInTree& located)
{
    FileSystemNode* node = node_of(located.volume->fsv_Folders.tr_First);
    for (const std::string& component : located.components) {
        if (node == nullptr)
            return nullptr;
        if (component.empty() && &component == &located.components.front() &&
            located.components.size() == 1)
            return node; // the root itself
        if (component.empty())
            return nullptr;
        node = find_child(located.volume, node, component.c_str());
    }
    return node;
}

bool expand_along(FileSystem* file_system, const char* path, Entries entries)
{
    PathInTree located;
    if (!locate(file_system, path, located, LastSeparator::Keep))
        return true;
    FileSystemNode* node = node_of(located.volume->fsv_Folders.tr_First);
    if (node == nullptr)
        return true;
    for (const std::string& component : located.components) {
        FileSystemNode* child =
            component.empty() ? nullptr : find_child(located.volume, node, component.c_str());
        if (child == nullptr) {
            if (!list_children(located.volume, node, "*.*", FirstNew::AtFront, entries))
                return false;
            child =
                component.empty() ? nullptr : find_child(located.volume, node, component.c_str());
        }
        if (child == nullptr)
            return true;
        node = child;
    }
    return true;
}

bool refresh_folder(FileSystem* file_system, const char* path)
{
    FileSystemNode* node = FileSystemFromPath(file_system, path, nullptr);
    if (node == nullptr) {
        osmark::set_io_error(IoErrObjectNotFound);
        return false;
    }
    if (node->fsn_Node.tn_FirstChild == nullptr)
        return true; // never listed
    FileSystemVolume* volume = nullptr;
    FileSystemFromPath(file_system, path, &volume);
    for (FileSystemNode* child = first_child(volume, node); child != nullptr;
         child = next_sibling(child))
        child->fsn_Flags |= kRefreshMark;
    const bool complete = list_children(volume, node, "*", FirstNew::AtEnd, Entries::All);
    FileSystemNode* child = first_child(volume, node);
    while (child != nullptr) {
        FileSystemNode* next = next_sibling(child);
        if (child->fsn_Flags & kRefreshMark) {
            RemoveTreeNode(&volume->fsv_Folders, &child->fsn_Node);
            free_node(child);
        }
        child = next;
    }
    return complete;
}

FileSystem* new_file_system()
{
    auto* file_system = static_cast<FileSystem*>(pool_block(sizeof(FileSystem)));
    if (file_system == nullptr)
        return nullptr;
    NewList(&file_system->fs_Drives);
    NewList(&file_system->fs_Network);
    NewList(&file_system->fs_Assigns);
    return file_system;
}

int32_t refresh(FileSystem* file_system, const char* path, uint32_t what)
{
    const uint32_t wanted = what & ~file_system->fs_Listed;
    if ((wanted & FileSystemDrives) && !list_drives(file_system))
        return 0;
    if (wanted & FileSystemNetwork) {
        const int32_t listed = list_network(file_system, nullptr, &file_system->fs_Network, 0);
        file_system->fs_Listed |= FileSystemNetwork;
        if (listed > 0) {
            osmark::set_io_error_from_win32(static_cast<uint32_t>(listed));
            return 0;
        }
        if (listed < 0)
            return 0;
    }
    if ((wanted & FileSystemAssigns) && !list_assigns(file_system))
        return 0;
    if (path != nullptr && !refresh_folder(file_system, path))
        return 0;
    return 1;
}

}

namespace osmark {

void InitialiseFileSystems()
{
    g_pool = CreatePool(16384, 2048);
    if (g_pool != nullptr)
        AddExitProc(&LibraryExitList, delete_pool);
}

}

extern "C" {

OSMARK_API FileSystem* CreateFileSystem(FileSystem* file_system, const char* path,
                                        uint32_t what) noexcept
{
    try {
        FileSystem* tree = file_system != nullptr ? file_system : new_file_system();
        if (tree == nullptr)
            return nullptr;
        if ((what & ~FileSystemFoldersOnly) != 0)
            refresh(tree, nullptr, what & ~FileSystemFoldersOnly);
        if (path != nullptr)
            expand_along(tree, path,
                         (what & FileSystemFoldersOnly) ? Entries::FoldersOnly : Entries::All);
        return tree;
    } catch (const std::bad_alloc&) {
        osmark::set_io_error(IoErrNoMemory);
        return file_system;
    }
}

OSMARK_API int32_t RefreshFileSystem(FileSystem* file_system, const char* path,
                                     uint32_t what) noexcept
{
    if (file_system == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    try {
        return refresh(file_system, path, what);
    } catch (const std::bad_alloc&) {
        osmark::set_io_error(IoErrNoMemory);
        return 0;
    }
}

OSMARK_API FileSystemNode* FileSystemFromPath(FileSystem* file_system, const char* path,
                                              FileSystemVolume** volume) noexcept
{
    if (file_system == nullptr || path == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return nullptr;
    }
    try {
        PathInTree located;
        if (!locate(file_system, path, located, LastSeparator::Drop))
            return nullptr;
        FileSystemNode* node = node_at(located);
        if (node != nullptr && volume != nullptr)
            *volume = located.volume;
        return node;
    } catch (const std::bad_alloc&) {
        osmark::set_io_error(IoErrNoMemory);
        return nullptr;
    }
}

OSMARK_API uint32_t PathFromFileSystem(FileSystem* file_system, FileSystemNode* node, char* buffer,
                                       uint32_t size) noexcept
{
    if (file_system == nullptr || node == nullptr)
        return 0;
    const char* names[kPathLevelLimit];
    size_t levels = 0;
    uint64_t needed = 0;
    for (TreeNode* at = &node->fsn_Node; at != nullptr; at = at->tn_Parent) {
        if (levels == kPathLevelLimit)
            return 0;
        names[levels++] = node_of(at)->fsn_Name;
        needed += std::strlen(node_of(at)->fsn_Name) + 1;
    }
    if (needed > UINT32_MAX)
        return 0;
    if (buffer == nullptr || needed > size)
        return static_cast<uint32_t>(needed);
    std::strcpy(buffer, names[levels - 1]);
    for (size_t i = levels - 1; i-- > 0;)
        AddPart(buffer, names[i], size);
    return static_cast<uint32_t>(needed);
}

OSMARK_API int32_t DeleteFileSystem(FileSystem* file_system, const char* path) noexcept
{
    if (file_system == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    if (path != nullptr) {
        FileSystemNode* node = FileSystemFromPath(file_system, path, nullptr);
        if (node == nullptr) {
            osmark::set_io_error(IoErrObjectNotFound);
            return 0;
        }
        free_children(node);
        return 1;
    }
    free_volume_list(&file_system->fs_Drives);
    free_volume_list(&file_system->fs_Network);
    free_volume_list(&file_system->fs_Assigns);
    pool_free(file_system);
    return 1;
}
}
