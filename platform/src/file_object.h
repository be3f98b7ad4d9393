// File objects behind file and pipe HANDLEs (platform/files.h).
//
// A FileObject owns one descriptor (or, for the standard handles, borrows 0, 1 or 2
// and never closes it). Every handle to it, duplicates included, shares the object
// and so the file position, as Win32's handles of one open share it. The object goes
// when its last handle is closed and no call is using it any more.
#ifndef PLATFORM_SRC_FILE_OBJECT_H
#define PLATFORM_SRC_FILE_OBJECT_H

#include "file_sharing.h"
#include "kernel_object.h"
#include "platform/files.h"

#include <sys/types.h>

#include <atomic>
#include <memory>
#include <mutex>

namespace platform {

// The listening end of a named pipe, shared by the server ends of one name
// (pipes.cpp).
class PipeListener;

// Takes a client that has connected to the listener: its descriptor, or -1 with
// ERROR_PIPE_LISTENING while none has.
int accept_pipe_client(PipeListener& listener);

// A server end of the listener has gone: another may be made.
void release_pipe_instance(PipeListener& listener);

// INVALID_HANDLE_VALUE without the C cast of its macro.
inline HANDLE invalid_handle_value()
{
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
}

enum class FileKind { Disk, Directory, Character, Pipe };

// Whether the object closes its descriptor when it goes.
enum class DescriptorOwnership { Owned, Borrowed };

// The specific rights that the generic ones in desired_access stand for.
DWORD map_generic_access(DWORD desired_access);

class FileObject final : public KernelObject {
public:
    FileObject(int descriptor, FileKind kind, DWORD access, DescriptorOwnership ownership);
    // A server end of a named pipe: it has a descriptor once a client has connected.
    FileObject(std::shared_ptr<PipeListener> listener, DWORD access);
    ~FileObject() override;

    // The descriptor (-1 for a server end that no client has connected to yet).
    int descriptor() const { return m_descriptor.load(); }
    // The descriptor to read and write through; a server end takes its waiting
    // client first. -1 with the last error (ERROR_PIPE_LISTENING) when there is none.
    int io_descriptor();
    FileKind kind() const { return m_kind; }
    DWORD access() const { return m_access; }
    bool can_read() const;
    bool can_write() const;
    bool can_write_attributes() const;
    bool is_seekable() const { return m_kind == FileKind::Disk || m_kind == FileKind::Directory; }

    // Keeps the object's place among the opens of its file until it goes.
    void keep_share_registration(ShareRegistration registration)
    {
        m_share = std::move(registration);
    }

private:
    std::atomic<int> m_descriptor;
    FileKind m_kind;
    DWORD m_access;
    DescriptorOwnership m_ownership;
    ShareRegistration m_share;
    std::shared_ptr<PipeListener> m_listener;
    std::mutex m_connect_mutex;
};

// The kind of file that a descriptor's status describes.
FileKind file_kind_of(mode_t mode);

// A file object over a descriptor (its kind from fstat) behind a new handle.
// INVALID_HANDLE_VALUE with the last error on failure; an owned descriptor is then
// closed.
HANDLE add_file_handle(int descriptor, DWORD access, DescriptorOwnership ownership,
                       ShareRegistration registration = {});

// True when the name is one of a named pipe ("\\.\pipe\...", either separator).
bool is_pipe_name(LPCSTR name);

// Opens the client end of the named pipe (CreateFileA of a pipe name).
HANDLE connect_to_pipe(LPCSTR name, DWORD access);

// The file object of an open handle, or NULL with ERROR_INVALID_HANDLE.
std::shared_ptr<FileObject> file_object_of(HANDLE handle);

// The descriptor behind a file or pipe handle (for starting processes with it), or -1
// with ERROR_INVALID_HANDLE. It stays valid while the handle is open.
int descriptor_of_handle(HANDLE handle);

}

#endif
