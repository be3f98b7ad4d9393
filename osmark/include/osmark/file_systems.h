/*
 * File-system trees: in-memory pictures of volumes (local drives, the network's
 * domains, servers and shares, the user assigns) and of their folders, grown along the
 * paths that a caller opens and refreshed on request.
 *
 * Every record and string of every tree comes from one pool of the library; a tree
 * lives from CreateFileSystem to DeleteFileSystem. Trees take no lock: each belongs to
 * the thread that made it.
 *
 * Here the one drive "C:" is the root "/": a rooted path without a drive ("/tmp/x")
 * is the same place as "C:/tmp/x", and a volume whose path has no drive takes its
 * drive type and volume information from its own folder.
 */
#ifndef OSMARK_FILE_SYSTEMS_H
#define OSMARK_FILE_SYSTEMS_H

#include "osmark/api.h"
#include "osmark/dates.h"
#include "osmark/lists.h"
#include "osmark/tree.h"

OSMARK_BEGIN_DECLS

/* What a tree lists (CreateFileSystem, RefreshFileSystem), each kind once. */
enum FileSystemKinds {
    FileSystemDrives = 0x1,
    FileSystemNetwork = 0x2,
    FileSystemAssigns = 0x4
};
/* With a path for CreateFileSystem: expand with folders only. */
#define FileSystemFoldersOnly 0x80000000u

/* Volume kinds (fsv_Kind). */
#define FileSystemVolumeDrive 0x00000001u
#define FileSystemVolumeNetwork 0x00000002u
#define FileSystemVolumeRemovable 0x00000004u
#define FileSystemVolumeCDROM 0x00000008u
#define FileSystemVolumeRAMDisk 0x00000010u
#define FileSystemVolumeDomain 0x10000000u
#define FileSystemVolumeServer 0x20000000u
#define FileSystemVolumeContainer 0x40000000u
#define FileSystemVolumeAssign 0x80000000u

/* Volume states (fsv_State). */
#define FileSystemVolumeCaseSensitive 0x01u /* names compare with StrCmp; never set here */
#define FileSystemVolumeInfoRead 0x10u      /* the volume information was read */
#define FileSystemVolumeDenied 0x20u        /* the network refused to list the children */

#define FileSystemVolumeNodeType 10

/* Node flags (fsn_Flags). */
#define FileSystemNodeHasFiles 0x1u
#define FileSystemNodeHasFolders 0x2u

/* One folder or file. */
typedef struct FileSystemNode {
    TreeNode fsn_Node; /* first child, next sibling, parent */
    char* fsn_Name;
    uint32_t fsn_Flags;      /* FileSystemNodeHas*; both clear for a file */
    uint32_t fsn_Size;       /* low 32 bits */
    uint32_t fsn_Attributes; /* the system's file attributes; 0x10 a folder */
    DateStampRec fsn_Created;
    DateStampRec fsn_Accessed;
    DateStampRec fsn_Written;
} FileSystemNode;

/* One volume. */
typedef struct FileSystemVolume {
    Node fsv_Node;     /* type 10, ln_Name the volume's name */
    uint32_t fsv_Kind; /* FileSystemVolume* kind bits */
    char* fsv_FileSystemName;
    char* fsv_VolumeLabel;
    uint32_t fsv_SerialNumber;
    char* fsv_Path;       /* drives: "C:"; assigns: the folder; network: the local
                                   drive it is mapped to, or NULL */
    char* fsv_RemotePath; /* network resources: the remote name */
    uint32_t fsv_MaxComponentLength;
    uint32_t fsv_MaxNameLength; /* the same length again */
    uint32_t fsv_State;         /* FileSystemVolume* state bits */
    char* fsv_Comment;          /* network resources */
    Tree fsv_Folders;           /* one root node, the folders below it */
    List fsv_Children;          /* network containers: their volumes */
} FileSystemVolume;

/* One tree. */
typedef struct FileSystem {
    uint32_t fs_Listed; /* FileSystemKinds listed so far */
    List fs_Drives;
    List fs_Network;
    List fs_Assigns;
} FileSystem;

/*
 * A new tree (file_system NULL) or the one given; lists the kinds of what (when not 0)
 * and expands it along path (when given; FileSystemFoldersOnly in what: folders
 * only). NULL with -1 when no tree can be made.
 */
OSMARK_API FileSystem* CreateFileSystem(FileSystem* file_system, const char* path,
                                        uint32_t what) OSMARK_NOEXCEPT;
/* Lists the kinds of what not yet listed, then refreshes the folder at path (when
 * given): 1, or 0 with -4 (NULL tree), -12 (no node for path), -1 (memory). */
OSMARK_API int32_t RefreshFileSystem(FileSystem* file_system, const char* path,
                                     uint32_t what) OSMARK_NOEXCEPT;
/* The node of path (its volume through volume when not NULL), or NULL. */
OSMARK_API FileSystemNode* FileSystemFromPath(FileSystem* file_system, const char* path,
                                              FileSystemVolume** volume) OSMARK_NOEXCEPT;
/* Writes the node's full path into buffer when the bytes it needs (returned) fit in
 * size; otherwise writes nothing. 0 for a NULL tree or node, or a chain of more than
 * 512 levels. */
OSMARK_API uint32_t PathFromFileSystem(FileSystem* file_system, FileSystemNode* node, char* buffer,
                                       uint32_t size) OSMARK_NOEXCEPT;
/* With a path: frees every node below that path's node (which stays). Without one:
 * frees the whole tree. 1, or 0 with -4 (NULL tree) or -12 (no node for path). */
OSMARK_API int32_t DeleteFileSystem(FileSystem* file_system, const char* path) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
