// Wildcard scans: the entries that the platform's wildcard search finds for a path,
// one at a time, in a caller's MatchAnchor.

#include "osmark/patterns.h"

#include "core/files/directories_internal.h"
#include "core/runtime/make_error.h"
#include "osmark/errors.h"

namespace {

// A failed step always ends in a nonzero result, whatever the platform reports.
int32_t step_failure(DWORD error)
{
    return error != 0 ? static_cast<int32_t>(error) : static_cast<int32_t>(ERROR_NO_MORE_FILES);
}

// Moves the scan to the first entry from the current one that the mask lets through
// and copies it into the anchor; on failure the scan is ended.
int32_t settle(MatchAnchor* anchor, osmark::SearchState* state)
{
    DWORD error = 0;
    while ((state->entry.dwFileAttributes & anchor->ma_Mask) != 0) {
        if (!osmark::next_search_entry(state, error)) {
            MatchEnd(anchor);
            return step_failure(error);
        }
    }
    osmark::fill_file_info(state->entry, &anchor->ma_Info);
    return 0;
}

}

extern "C" {

OSMARK_API int32_t MatchFirst(const char* pattern, uint32_t mask, MatchAnchor* anchor) noexcept
{
    if (pattern == nullptr || anchor == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return IoErrRequiredArgMissing;
    }
    // A scan still running on the anchor would otherwise keep its search open.
    MatchEnd(anchor);
    anchor->ma_Mask = mask;
    const osmark::ExpandedPathOwner expanded = osmark::expand_path(pattern);
    if (!expanded)
        return osmark::make_error(IoErrNoMemory);
    osmark::SearchState* state = osmark::allocate_search();
    if (state == nullptr)
        return osmark::make_error(IoErrNoMemory);
    DWORD error = 0;
    if (!osmark::begin_search(state, expanded.get(), error)) {
        osmark::end_search(state);
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            osmark::set_io_error(IoErrObjectNotFound);
            return IoErrObjectNotFound;
        }
        osmark::set_io_error_from_win32(error);
        return step_failure(error);
    }
    anchor->ma_State = state;
    return settle(anchor, state);
}

OSMARK_API int32_t MatchNext(MatchAnchor* anchor) noexcept
{
    osmark::SearchState* state = anchor != nullptr ? osmark::live_search(anchor->ma_State) : nullptr;
    if (state == nullptr) {
        if (anchor != nullptr)
            anchor->ma_State = nullptr;
        osmark::set_io_error(IoErrRequiredArgMissing);
        return IoErrRequiredArgMissing;
    }
    DWORD error = 0;
    if (!osmark::next_search_entry(state, error)) {
        MatchEnd(anchor);
        return step_failure(error);
    }
    return settle(anchor, state);
}

OSMARK_API void MatchEnd(MatchAnchor* anchor) noexcept
{
    if (anchor == nullptr)
        return;
    osmark::end_search(osmark::live_search(anchor->ma_State));
    anchor->ma_State = nullptr;
}

}
