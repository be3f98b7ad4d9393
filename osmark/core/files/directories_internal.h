// Services shared by the directory functions, ExAll and the wildcard scans.
#ifndef OSMARK_CORE_DIRECTORIES_INTERNAL_H
#define OSMARK_CORE_DIRECTORIES_INTERNAL_H

#include "osmark/assigns.h"
#include "osmark/directories.h"
#include "osmark/locale.h"
#include "osmark/owners.h"
#include "platform/files.h"

#include <cstring>

namespace osmark {

// A running platform search: its handle and the entry it stands on. Every state is
// kept on a list of live searches, so that a stale or uninitialised pointer in a
// caller's record is recognised instead of being closed or freed.
struct SearchState {
    SearchState* next;
    SearchState* previous;
    HANDLE find;
    WIN32_FIND_DATAA entry;
};

// A new state, not yet searching; NULL with -1 for IoErr when memory runs out.
SearchState* allocate_search();
// Starts the search of an expanded pattern on a state from allocate_search; false
// with the platform's error number, the state then still idle.
bool begin_search(SearchState* state, const char* expanded_pattern, DWORD& error);
// Moves to the next entry; false with the platform's error number.
bool next_search_entry(SearchState* state, DWORD& error);
// Closes the search (when one runs) and frees the state. NULL is ignored.
void end_search(SearchState* state);
// The state when pointer is a live one, else NULL.
SearchState* live_search(void* pointer);

// A file time (UTC) as a local date stamp; a time the system cannot convert gives
// day 0 and time 0.
DateStampRec local_stamp(const FILETIME& time);
// Copies a found entry into fib: attributes, name, the low 32 bits of the size and
// the three times; the reserved words are cleared.
void fill_file_info(const WIN32_FIND_DATAA& entry, FileInfoBlock* fib);

// True for the path separators of the live Locale record.
inline bool is_path_separator(char c)
{
    const char* separators = GetSystemLocale()->loc_PathSeparators;
    return c != '\0' && separators != nullptr && std::strchr(separators, c) != nullptr;
}

// The assign-expanded path, owned; NULL with -1 for IoErr when memory runs out.
inline ExpandedPathOwner expand_path(const char* path)
{
    return ExpandedPathOwner(AllocExpandedPath(path));
}

}

#endif
