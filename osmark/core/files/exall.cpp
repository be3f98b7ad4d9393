// ExAll: a directory listed into the caller's buffer, a bufferful at a time.
//
// Entries are packed one after another without alignment, so every field is written
// with memcpy at its offset in ExAllData; the fixed part of a type is the prefix of
// ExAllData up to the first field the type leaves out.

#include "osmark/directories.h"

#include "core/files/directories_internal.h"
#include "core/runtime/make_error.h"
#include "osmark/errors.h"
#include "osmark/paths.h"
#include "osmark/patterns.h"
#include "platform/kernel.h"

#include <cstddef>
#include <cstring>
#include <new>
#include <vector>

namespace {

size_t fixed_part_size(int32_t type)
{
    switch (type) {
    case ExAllName:
        return offsetof(ExAllData, ed_Attributes);
    case ExAllAttributes:
        return offsetof(ExAllData, ed_Size);
    case ExAllSize:
        return offsetof(ExAllData, ed_Created);
    default:
        return sizeof(ExAllData);
    }
}

template <typename Value>
void store(uint8_t* entry, size_t offset, const Value& value)
{
    std::memcpy(entry + offset, &value, sizeof value);
}

// Starts the search of the directory's entries on a new state kept in the control;
// false with the error stored (the control is then idle again).
bool start_listing(const char* path, ExAllControl* control)
{
    osmark::SearchState* state = osmark::allocate_search();
    if (state == nullptr)
        return false;
    control->eac_State = state;
    if (Access(path, 1) != 0)
        return false;
    const osmark::ExpandedPathOwner expanded = osmark::expand_path(path);
    if (!expanded)
        return false;
    const size_t length = std::strlen(expanded.get());
    std::vector<char> pattern(length + 3);
    std::memcpy(pattern.data(), expanded.get(), length);
    // AddPart drops a trailing separator first, which would turn the root "/" into
    // the current directory.
    bool joined = true;
    if (length > 0 && osmark::is_path_separator(pattern[length - 1]))
        pattern[length] = '*';
    else
        joined = AddPart(pattern.data(), "*", static_cast<uint32_t>(pattern.size())) != 0;
    DWORD error = 0;
    if (!joined || !osmark::begin_search(state, pattern.data(), error)) {
        osmark::set_io_error(IoErrNoMemory);
        return false;
    }
    return true;
}

// Writes the buffer's entries; the result of ExAll.
class Listing {
public:
    Listing(uint8_t* buffer, uint32_t size, int32_t type, ExAllControl* control)
        : m_buffer(buffer), m_size(size), m_type(type), m_fixed(fixed_part_size(type)), m_control(control)
    {
    }

    int32_t run(osmark::SearchState* state);

private:
    enum class Placed { Kept, Removed, Full, TooLarge };
    Placed place(const WIN32_FIND_DATAA& entry);

    uint8_t* m_buffer;
    size_t m_size;
    int32_t m_type;
    size_t m_fixed;
    ExAllControl* m_control;
    size_t m_used = 0;
    uint8_t* m_last = nullptr;
};

Listing::Placed Listing::place(const WIN32_FIND_DATAA& entry)
{
    const size_t name_length = strnlen(entry.cFileName, sizeof entry.cFileName - 1);
    const size_t needed = m_fixed + name_length + 1;
    if (needed >= m_size - m_used)
        return m_used == 0 ? Placed::TooLarge : Placed::Full;

    uint8_t* at = m_buffer + m_used;
    char* name = reinterpret_cast<char*>(at + m_fixed);
    store(at, offsetof(ExAllData, ed_Next), static_cast<ExAllData*>(nullptr));
    store(at, offsetof(ExAllData, ed_Name), name);
    if (m_type >= ExAllAttributes)
        store(at, offsetof(ExAllData, ed_Attributes), uint32_t{entry.dwFileAttributes});
    if (m_type >= ExAllSize)
        store(at, offsetof(ExAllData, ed_Size), uint32_t{entry.nFileSizeLow});
    if (m_type >= ExAllDates) {
        store(at, offsetof(ExAllData, ed_Created), osmark::local_stamp(entry.ftCreationTime));
        store(at, offsetof(ExAllData, ed_Written), osmark::local_stamp(entry.ftLastWriteTime));
        store(at, offsetof(ExAllData, ed_Accessed), osmark::local_stamp(entry.ftLastAccessTime));
    }
    std::memcpy(name, entry.cFileName, name_length);
    name[name_length] = '\0';

    auto* linked = reinterpret_cast<ExAllData*>(at);
    if (m_last != nullptr)
        store(m_last, offsetof(ExAllData, ed_Next), linked);
    ++m_control->eac_Entries;
    if (m_control->eac_MatchHook != nullptr && CallHookA(m_control->eac_MatchHook, linked, &m_type) == 0) {
        // Taken out again: the place returns to the entry's start.
        --m_control->eac_Entries;
        if (m_last != nullptr)
            store(m_last, offsetof(ExAllData, ed_Next), static_cast<ExAllData*>(nullptr));
        return Placed::Removed;
    }
    m_last = at;
    m_used += needed;
    return Placed::Kept;
}

int32_t Listing::run(osmark::SearchState* state)
{
    const ParsedPattern& pattern = m_control->eac_Pattern;
    const bool filtered = pattern.pp_Tokens != nullptr && pattern.pp_TokenLength > 0;
    for (;;) {
        const int32_t matched = filtered ? MatchPattern(&pattern, state->entry.cFileName) : 1;
        // A pattern error stops the call; the listing stays until ExAllEnd.
        if (matched < 0)
            return 0;
        if (matched > 0) {
            const Placed placed = place(state->entry);
            if (placed == Placed::Full)
                return 1;
            if (placed == Placed::TooLarge) {
                // Calling again could never make room for it.
                osmark::set_io_error(IoErrBufferOverflow);
                ExAllEnd(m_control);
                return 0;
            }
        }
        DWORD error = 0;
        if (!osmark::next_search_entry(state, error)) {
            // The end of the listing is no failure: no error site.
            if (error == ERROR_NO_MORE_FILES)
                SetIoErr(IoErrNoMoreEntries);
            else
                osmark::set_io_error_from_win32(error);
            ExAllEnd(m_control);
            return 0;
        }
    }
}

int32_t ex_all(const char* path, void* buffer, uint32_t size, int32_t type, ExAllControl* control)
{
    if (path == nullptr || buffer == nullptr || control == nullptr || size == 0 || type < ExAllName ||
        type > ExAllDates) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        ExAllEnd(control);
        return 0;
    }
    osmark::SearchState* state = osmark::live_search(control->eac_State);
    if (state == nullptr) {
        control->eac_State = nullptr;
        if (!start_listing(path, control)) {
            ExAllEnd(control);
            return 0;
        }
        state = osmark::live_search(control->eac_State);
    }
    return Listing(static_cast<uint8_t*>(buffer), size, type, control).run(state);
}

}

extern "C" {

OSMARK_API int32_t ExAll(const char* path, void* buffer, uint32_t size, int32_t type, ExAllControl* control) noexcept
{
    if (control != nullptr)
        control->eac_Entries = 0;
    try {
        return ex_all(path, buffer, size, type, control);
    } catch (const std::bad_alloc&) {
        osmark::set_io_error(IoErrNoMemory);
        ExAllEnd(control);
        return 0;
    }
}

OSMARK_API void ExAllEnd(ExAllControl* control) noexcept
{
    if (control == nullptr)
        return;
    osmark::end_search(osmark::live_search(control->eac_State));
    control->eac_State = nullptr;
}

}
