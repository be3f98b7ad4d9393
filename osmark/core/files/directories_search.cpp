// Platform searches shared by ExAll and the wildcard scans.
//
// The live states form one list, so that ExAllEnd, MatchNext and MatchEnd can tell a
// state of theirs from a stale or uninitialised pointer in a caller's record. Like
// the library's other file tables it takes no lock: it belongs to the thread that
// uses the library's files.

#include "core/files/directories_internal.h"

#include "osmark/memory.h"
#include "platform/kernel.h"
#include "platform/system_time.h"

#include <cstring>
#include <new>

namespace {

osmark::SearchState* g_live_searches = nullptr;

}

namespace osmark {

SearchState* allocate_search()
{
    void* block = AllocVec(sizeof(SearchState));
    if (block == nullptr)
        return nullptr;
    auto* state = new (block) SearchState{};
    state->find = INVALID_HANDLE_VALUE;
    state->next = g_live_searches;
    if (g_live_searches != nullptr)
        g_live_searches->previous = state;
    g_live_searches = state;
    return state;
}

bool begin_search(SearchState* state, const char* expanded_pattern, DWORD& error)
{
    state->find = FindFirstFileA(expanded_pattern, &state->entry);
    if (state->find != INVALID_HANDLE_VALUE)
        return true;
    error = GetLastError();
    return false;
}

bool next_search_entry(SearchState* state, DWORD& error)
{
    if (FindNextFileA(state->find, &state->entry))
        return true;
    error = GetLastError();
    return false;
}

void end_search(SearchState* state)
{
    if (state == nullptr)
        return;
    if (state->find != INVALID_HANDLE_VALUE)
        FindClose(state->find);
    if (state->previous != nullptr)
        state->previous->next = state->next;
    else
        g_live_searches = state->next;
    if (state->next != nullptr)
        state->next->previous = state->previous;
    state->~SearchState();
    FreeVec(state);
}

SearchState* live_search(void* pointer)
{
    if (pointer == nullptr)
        return nullptr;
    for (SearchState* state = g_live_searches; state != nullptr; state = state->next) {
        if (state == pointer)
            return state;
    }
    return nullptr;
}

DateStampRec local_stamp(const FILETIME& time)
{
    DateStampRec stamp{};
    FILETIME local{};
    SYSTEMTIME parts{};
    if (FileTimeToLocalFileTime(&time, &local) && FileTimeToSystemTime(&local, &parts))
        Date2Stamp(&parts, &stamp);
    return stamp;
}

void fill_file_info(const WIN32_FIND_DATAA& entry, FileInfoBlock* fib)
{
    *fib = FileInfoBlock{};
    fib->fib_Attributes = entry.dwFileAttributes;
    // The platform's name always ends within cFileName, which is shorter than fib_Name.
    static_assert(sizeof entry.cFileName <= sizeof fib->fib_Name);
    std::memcpy(fib->fib_Name, entry.cFileName, strnlen(entry.cFileName, sizeof entry.cFileName - 1));
    fib->fib_Size = entry.nFileSizeLow;
    fib->fib_Created = local_stamp(entry.ftCreationTime);
    fib->fib_Written = local_stamp(entry.ftLastWriteTime);
    fib->fib_Accessed = local_stamp(entry.ftLastAccessTime);
}

}
