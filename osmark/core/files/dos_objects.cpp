// DOS objects: file handles, ExAll controls, file information blocks and argument
// blocks handed out by AllocDosObjectA and tracked on one list until FreeDosObject or
// unload.

#include "osmark/files.h"

#include "core/files/file_stream_internal.h"
#include "core/runtime/make_error.h"
#include "core/runtime/read_args_internal.h"
#include "core/runtime/startup_steps.h"
#include "osmark/args.h"
#include "osmark/directories.h"
#include "osmark/errors.h"
#include "osmark/exit_list.h"
#include "osmark/library.h"
#include "osmark/lists.h"
#include "osmark/memory.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/kernel.h"
#include "platform/sync.h"

#include <cstring>

namespace {

// One tracked object: for kind 0 the node points at a record of the handle table;
// for the other kinds the object lies right behind the node in the same block.
struct DosObjectNode {
    MinNode link;
    uint32_t kind;
    void* object;
};

List g_tracked = {};
bool g_tracked_ready = false;

List* tracked()
{
    if (!g_tracked_ready) {
        NewList(&g_tracked);
        g_tracked_ready = true;
    }
    return &g_tracked;
}

size_t object_size(uint32_t kind)
{
    switch (kind) {
    case DosObjectExAllControl:
        return sizeof(ExAllControl);
    case DosObjectFileInfoBlock:
        return sizeof(FileInfoBlock);
    case DosObjectArgBlock:
        return sizeof(ArgBlock);
    default:
        return 0;
    }
}

void release(DosObjectNode* node)
{
    Remove(reinterpret_cast<Node*>(&node->link));
    if (node->kind == DosObjectFileHandle) {
        Close(static_cast<FileHandle*>(node->object));
    } else if (node->kind == DosObjectExAllControl) {
        auto* control = static_cast<ExAllControl*>(node->object);
        ExAllEnd(control);
        FreeVec(control->eac_Pattern.pp_Tokens);
        control->eac_Pattern.pp_Tokens = nullptr;
    } else if (node->kind == DosObjectArgBlock) {
        osmark::free_arg_parse(static_cast<ArgBlock*>(node->object));
    }
    FreeVec(node);
}

void free_all_dos_objects()
{
    List* list = tracked();
    while (!IsListEmpty(list))
        release(reinterpret_cast<DosObjectNode*>(list->lh_Head));
}

}

namespace osmark {

void untrack_file_handle(FileHandle* fh)
{
    if (!g_tracked_ready)
        return;
    for (Node* n = g_tracked.lh_Head; n->ln_Succ != nullptr; n = n->ln_Succ) {
        auto* node = reinterpret_cast<DosObjectNode*>(n);
        if (node->kind == DosObjectFileHandle && node->object == fh) {
            Remove(n);
            FreeVec(node);
            return;
        }
    }
}

void InitialiseDosObjects()
{
    NewList(tracked());
    AddExitProc(&LibraryExitList, free_all_dos_objects);
}

}

extern "C" {

OSMARK_API void* AllocDosObjectA(uint32_t kind, const TagItem* tags) noexcept
{
    FileHandle* handle = nullptr;
    if (kind == DosObjectFileHandle) {
        handle = osmark::take_free_file_handle();
    } else if (object_size(kind) == 0) {
        osmark::set_io_error(IoErrWrongType);
        return nullptr;
    }
    auto* node = static_cast<DosObjectNode*>(CAllocVec(1, static_cast<uint32_t>(sizeof(DosObjectNode) + object_size(kind))));
    if (node == nullptr || (kind == DosObjectFileHandle && handle == nullptr)) {
        if (handle != nullptr)
            osmark::give_back_file_handle(handle);
        FreeVec(node);
        osmark::set_io_error(IoErrWrongType);
        return nullptr;
    }
    node->kind = kind;
    if (kind == DosObjectFileHandle) {
        std::memset(handle, 0, sizeof(FileHandle));
        handle->fh_Flags = osmark::file_flags_from_mode(static_cast<int32_t>(GetTagData(DosTagFileMode, 0, tags)));
        handle->fh_SystemHandle = GetTagData(DosTagSystemHandle, 0, tags);
        node->object = handle;
    } else {
        node->object = node + 1;
    }
    if (kind == DosObjectArgBlock) {
        // Over the program's own arguments until the caller gives another text.
        auto* block = static_cast<ArgBlock*>(node->object);
        block->ab_Source = GetArgStr();
        block->ab_Length =
            block->ab_Source != nullptr ? static_cast<uint32_t>(std::strlen(block->ab_Source)) : 0;
    }
    AddHead(tracked(), reinterpret_cast<Node*>(&node->link));
    return node->object;
}

OSMARK_API void FreeDosObject(uint32_t /*kind*/, void* object) noexcept
{
    if (object == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return;
    }
    List* list = tracked();
    for (Node* n = list->lh_Head; n->ln_Succ != nullptr; n = n->ln_Succ) {
        auto* node = reinterpret_cast<DosObjectNode*>(n);
        if (node->object == object) {
            release(node);
            return;
        }
    }
    osmark::set_io_error(IoErrObjectInvalid);
}

OSMARK_API int32_t OpenPipe(int32_t mode, FileHandle** read_end, FileHandle** write_end) noexcept
{
    if (read_end == nullptr || write_end == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return -1;
    }
    SECURITY_ATTRIBUTES security = {sizeof(SECURITY_ATTRIBUTES), nullptr,
                                     (mode & FileModeInheritable) ? TRUE : FALSE};
    HANDLE read_handle = nullptr;
    HANDLE write_handle = nullptr;
    if (!CreatePipe(&read_handle, &write_handle, &security, 1024)) {
        osmark::set_io_error_from_win32(GetLastError());
        return -1;
    }
    uint32_t extra = 0;
    if (mode & FileModeInheritable)
        extra |= FileFlagInheritable;
    if (mode & FileModeBit1)
        extra |= FileFlagModeBit1;
    const TagItem read_tags[] = {{DosTagSystemHandle, reinterpret_cast<uintptr_t>(read_handle)}, {TagEnd, 0}};
    auto* reader = static_cast<FileHandle*>(AllocDosObjectA(DosObjectFileHandle, read_tags));
    const TagItem write_tags[] = {{DosTagSystemHandle, reinterpret_cast<uintptr_t>(write_handle)}, {TagEnd, 0}};
    auto* writer = reader != nullptr ? static_cast<FileHandle*>(AllocDosObjectA(DosObjectFileHandle, write_tags))
                                     : nullptr;
    if (reader == nullptr || writer == nullptr) {
        if (reader != nullptr) {
            reader->fh_SystemHandle = 0; // closed below, with its twin
            FreeDosObject(DosObjectFileHandle, reader);
        }
        CloseHandle(read_handle);
        CloseHandle(write_handle);
        osmark::set_io_error(IoErrSystemLimit);
        return -1;
    }
    reader->fh_Flags = FileFlagPipe | FileFlagRead | extra;
    reader->fh_Name = AllocStr(0, "$piperead");
    writer->fh_Flags = FileFlagPipe | FileFlagWrite | extra;
    writer->fh_Name = AllocStr(0, "$pipewrite");
    osmark::set_os_file_operations(reader);
    osmark::set_os_file_operations(writer);
    *read_end = reader;
    *write_end = writer;
    return 0;
}

}
