// Anonymous and named pipes (platform/files.h).
//
// A named pipe is a Unix stream socket in the abstract name space (so nothing is left
// in the file system, and the name goes with its last listener). The server ends of
// one name in this process share one listening socket; each takes the first waiting
// client when it first reads or writes.

#include "platform/files.h"

#include "file_object.h"
#include "make_win32_error.h"
#include "platform/kernel.h"
#include "unique_fd.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <string>

namespace platform {

class PipeListener {
public:
    PipeListener(std::string key, UniqueFd descriptor, DWORD max_instances)
        : m_key(std::move(key)), m_descriptor(std::move(descriptor)), m_max_instances(max_instances)
    {
    }
    PipeListener(const PipeListener&) = delete;
    PipeListener& operator=(const PipeListener&) = delete;
    ~PipeListener();

    int descriptor() const { return m_descriptor.get(); }
    // Counts a new server end; false when all instances are taken.
    bool add_instance()
    {
        if (m_instances >= m_max_instances)
            return false;
        ++m_instances;
        return true;
    }
    void remove_instance()
    {
        if (m_instances > 0)
            --m_instances;
    }

private:
    std::string m_key;
    UniqueFd m_descriptor;
    DWORD m_max_instances;
    DWORD m_instances = 0;
};

}

namespace {

using platform::PipeListener;

constexpr char kPipePrefix[] = "\\\\.\\pipe\\";
constexpr size_t kPipePrefixLength = sizeof kPipePrefix - 1;

struct ListenerTable {
    std::mutex mutex;
    std::map<std::string, std::weak_ptr<PipeListener>> listeners;
};

// Kept for the life of the process, like the handle table.
ListenerTable& listener_table()
{
    static ListenerTable* table = new ListenerTable;
    return *table;
}

bool same_separator(char a, char pattern)
{
    return pattern == '\\' ? (a == '\\' || a == '/') : a == pattern;
}

// The socket address of a pipe name: the name without its prefix, in lower case,
// hashed when it is too long for a socket address.
std::string socket_key(LPCSTR name)
{
    std::string key;
    for (const char* p = name + kPipePrefixLength; *p != '\0'; ++p) {
        const char c = *p;
        key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : (c == '/' ? '\\' : c);
    }
    std::string address = "tarvek-pipe:" + key;
    if (address.size() < sizeof(sockaddr_un::sun_path) - 1)
        return address;
    uint64_t hash = 14695981039346656037ULL;  // FNV-1a, the same in every process
    for (const char c : key) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    return "tarvek-pipe#" + std::to_string(hash);
}

socklen_t make_address(const std::string& key, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    // A leading NUL puts the name in the abstract name space.
    std::memcpy(address.sun_path + 1, key.data(), key.size());
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + key.size());
}

HANDLE fail_handle(DWORD error, platform::SourceSite where = platform::SourceSite::current())
{
    platform::make_win32_error(error, where);
    return platform::invalid_handle_value();
}

// The listener of a pipe name, made (and bound) when this process has none; NULL with
// the last error.
std::shared_ptr<PipeListener> listener_for(const std::string& key, DWORD max_instances)
{
    ListenerTable& table = listener_table();
    const std::lock_guard lock(table.mutex);
    const auto found = table.listeners.find(key);
    if (found != table.listeners.end()) {
        if (std::shared_ptr<PipeListener> listener = found->second.lock())
            return listener;
    }
    platform::UniqueFd descriptor(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!descriptor) {
        platform::make_win32_error_from_errno();
        return nullptr;
    }
    sockaddr_un address;
    const socklen_t length = make_address(key, address);
    if (bind(descriptor.get(), reinterpret_cast<const sockaddr*>(&address), length) != 0 ||
        listen(descriptor.get(), 64) != 0) {
        const int error_number = errno;
        platform::make_win32_error(error_number == EADDRINUSE
                                       ? ERROR_PIPE_BUSY
                                       : platform_win32_error_from_errno(error_number));
        return nullptr;
    }
    auto listener = std::make_shared<PipeListener>(key, std::move(descriptor), max_instances);
    table.listeners[key] = listener;
    return listener;
}

}

namespace platform {

PipeListener::~PipeListener()
{
    m_descriptor.reset();
    ListenerTable& table = listener_table();
    const std::lock_guard lock(table.mutex);
    const auto found = table.listeners.find(m_key);
    if (found != table.listeners.end() && found->second.expired())
        table.listeners.erase(found);
}

int accept_pipe_client(PipeListener& listener)
{
    const int descriptor = accept4(listener.descriptor(), nullptr, nullptr, SOCK_CLOEXEC);
    if (descriptor < 0) {
        make_win32_error(errno == EAGAIN || errno == EWOULDBLOCK
                             ? ERROR_PIPE_LISTENING
                             : platform_win32_error_from_errno(errno));
        return -1;
    }
    return descriptor;
}

void release_pipe_instance(PipeListener& listener)
{
    const std::lock_guard lock(listener_table().mutex);
    listener.remove_instance();
}

bool is_pipe_name(LPCSTR name)
{
    if (name == nullptr)
        return false;
    for (size_t i = 0; i < kPipePrefixLength; ++i) {
        const char c = name[i];
        const char wanted = kPipePrefix[i];
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (c == '\0' || !(same_separator(c, wanted) || lower == wanted))
            return false;
    }
    return name[kPipePrefixLength] != '\0';
}

HANDLE connect_to_pipe(LPCSTR name, DWORD access)
{
    UniqueFd descriptor(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!descriptor) {
        platform::make_win32_error_from_errno();
        return invalid_handle_value();
    }
    sockaddr_un address;
    const socklen_t length = make_address(socket_key(name), address);
    if (connect(descriptor.get(), reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        const int error_number = errno;
        return fail_handle(error_number == ECONNREFUSED || error_number == ENOENT
                               ? ERROR_FILE_NOT_FOUND
                               : platform_win32_error_from_errno(error_number));
    }
    const HANDLE handle = add_file_handle(descriptor.release(), access, DescriptorOwnership::Owned);
    if (handle != invalid_handle_value())
        SetLastError(ERROR_SUCCESS);
    return handle;
}

}

extern "C" {

PLATFORM_API BOOL CreatePipe(HANDLE* read_pipe, HANDLE* write_pipe,
                             LPSECURITY_ATTRIBUTES /*pipe_attributes*/, DWORD /*size*/) noexcept
{
    if (read_pipe == nullptr || write_pipe == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *read_pipe = nullptr;
    *write_pipe = nullptr;
    int descriptors[2];
    if (pipe2(descriptors, O_CLOEXEC) != 0) {
        platform::make_win32_error_from_errno();
        return FALSE;
    }
    platform::UniqueFd write_end(descriptors[1]);
    const HANDLE reader = platform::add_file_handle(descriptors[0], platform::map_generic_access(GENERIC_READ),
                                                    platform::DescriptorOwnership::Owned);
    if (reader == platform::invalid_handle_value())
        return FALSE;
    const HANDLE writer =
        platform::add_file_handle(write_end.release(), platform::map_generic_access(GENERIC_WRITE),
                                  platform::DescriptorOwnership::Owned);
    if (writer == platform::invalid_handle_value()) {
        const DWORD error = GetLastError();
        CloseHandle(reader);
        SetLastError(error);
        return FALSE;
    }
    *read_pipe = reader;
    *write_pipe = writer;
    return TRUE;
}

PLATFORM_API HANDLE CreateNamedPipeA(LPCSTR name, DWORD open_mode, DWORD pipe_mode, DWORD max_instances,
                                     DWORD /*out_buffer_size*/, DWORD /*in_buffer_size*/,
                                     DWORD /*default_time_out*/,
                                     LPSECURITY_ATTRIBUTES /*security_attributes*/) noexcept
{
    try {
        if (!platform::is_pipe_name(name))
            return fail_handle(ERROR_INVALID_NAME);
        const DWORD direction = open_mode & PIPE_ACCESS_DUPLEX;
        if (direction == 0 || max_instances < 1 || max_instances > PIPE_UNLIMITED_INSTANCES)
            return fail_handle(ERROR_INVALID_PARAMETER);
        if (pipe_mode & PIPE_TYPE_MESSAGE)
            return fail_handle(ERROR_NOT_SUPPORTED);
        std::shared_ptr<PipeListener> listener = listener_for(socket_key(name), max_instances);
        if (listener == nullptr)
            return platform::invalid_handle_value();
        {
            const std::lock_guard lock(listener_table().mutex);
            if (!listener->add_instance())
                return fail_handle(ERROR_PIPE_BUSY);
        }
        DWORD access = 0;
        if (direction & PIPE_ACCESS_INBOUND)
            access |= GENERIC_READ;
        if (direction & PIPE_ACCESS_OUTBOUND)
            access |= GENERIC_WRITE;
        auto object = std::make_shared<platform::FileObject>(std::move(listener),
                                                             platform::map_generic_access(access));
        const HANDLE handle = platform::add_handle(std::move(object));
        if (handle == nullptr)
            return platform::invalid_handle_value();
        SetLastError(ERROR_SUCCESS);
        return handle;
    } catch (const std::bad_alloc&) {
        return fail_handle(ERROR_NOT_ENOUGH_MEMORY);
    }
}

}
