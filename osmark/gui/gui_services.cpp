// The services of Osmark's windows and graphics that the core relies on, in the form
// they take while the library has no windows of its own yet: the initialisers set up
// what needs no window system and register their clean-ups in the library's order,
// the notifications reach no window, message pumping finds no message, and the
// requester, having no display, tells standard error and answers its last button.

#include "osmark/gui_services.h"

#include "core/runtime/make_error.h"
#include "osmark/exit_list.h"
#include "osmark/format.h"
#include "osmark/library.h"
#include "osmark/memory.h"
#include "osmark/testing.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace {

// Readers may ask from several threads at once: the counters and the last requester
// are kept under one lock.
constinit std::mutex g_lock;
OsmarkGuiCounters g_counters = {};
// Below -2: no scripted answer.
constexpr int32_t kNoScriptedAnswer = -3;
int32_t g_scripted_answer = kNoScriptedAnswer;
char g_last_requester_body[1024] = "";

// Clean-ups of components whose resources come with the window system; in the
// meantime each holds its place on the exit list.
void release_nothing()
{
}

int32_t count_buttons(const char* buttons)
{
    if (buttons == nullptr || buttons[0] == '\0')
        return 0;
    int32_t count = 1;
    for (const char* c = buttons; *c != '\0'; ++c) {
        if (*c == '|')
            ++count;
    }
    return count;
}

}

extern "C" {

OSMARK_API void InitialiseImages(void) noexcept
{
    AddExitProc(&LibraryExitList, release_nothing);
}

OSMARK_API void InitialiseKeyCodes(void) noexcept
{
    AddExitProc(&LibraryExitList, release_nothing);
}

OSMARK_API void InitialisePointers(void) noexcept
{
    AddExitProc(&LibraryExitList, release_nothing);
}

OSMARK_API void InitialiseMenus(void) noexcept
{
    AddExitProc(&LibraryExitList, release_nothing);
}

OSMARK_API void InitialiseMsgs(void) noexcept
{
    AddExitProc(&LibraryExitList, release_nothing);
}

OSMARK_API void InitialiseClasses(void) noexcept
{
    AddExitProc(&LibraryExitList, release_nothing);
}

OSMARK_API void InitialisePopups(void) noexcept
{
    AddExitProc(&LibraryExitList, release_nothing);
}

OSMARK_API int32_t RefreshAllWindows(void) noexcept
{
    const std::lock_guard lock(g_lock);
    ++g_counters.refresh_all_windows;
    return 0;
}

OSMARK_API uint32_t BroadcastGadgetChange(uint32_t change) noexcept
{
    const std::lock_guard lock(g_lock);
    ++g_counters.broadcast_gadget_change;
    g_counters.last_gadget_change = change;
    return 0;
}

OSMARK_API int32_t PeekMsg(struct IDCMPMsg* /*message*/, struct Window* /*window*/,
                           uint32_t /*class_mask*/, int32_t /*remove*/) noexcept
{
    const std::lock_guard lock(g_lock);
    ++g_counters.peek_msg;
    return 0;
}

OSMARK_API int32_t ProcessMsgs(void) noexcept
{
    const std::lock_guard lock(g_lock);
    ++g_counters.process_msgs;
    return 0;
}

OSMARK_API int32_t EasyRequest(struct Window* /*window*/, const char* title, const char* format,
                               const char* buttons, ...) noexcept
{
    const std::lock_guard lock(g_lock);
    ++g_counters.easy_request;
    if (format == nullptr || count_buttons(buttons) == 0)
        return osmark::make_error(-2);
    // The arguments are C variable arguments, so the formatter reads each with the C
    // type of its conversion; the body is cut to the buffer and always terminated.
    struct BodyText {
        char* buffer;
        size_t count;
    } body{g_last_requester_body, 0};
    const PutCharFunc store = [](char character, void* data) {
        auto& text = *static_cast<BodyText*>(data);
        if (character != '\0' && text.count + 1 < sizeof g_last_requester_body)
            text.buffer[text.count++] = character;
    };
    va_list arguments;
    va_start(arguments, buttons);
    RawDoFmtVaList(store, &body, format, arguments);
    va_end(arguments);
    g_last_requester_body[body.count] = '\0';
    if (g_scripted_answer > kNoScriptedAnswer)
        return g_scripted_answer;
    std::fprintf(stderr, "%s: %s\n", title != nullptr ? title : "", g_last_requester_body);
    return 0;
}

OSMARK_TESTING_API void osmark_testing_gui_counters(OsmarkGuiCounters* counters) noexcept
{
    const std::lock_guard lock(g_lock);
    if (counters != nullptr)
        *counters = g_counters;
}

OSMARK_TESTING_API void osmark_testing_script_requester(int32_t answer) noexcept
{
    const std::lock_guard lock(g_lock);
    g_scripted_answer = answer;
}

OSMARK_TESTING_API const char* osmark_testing_last_requester_body(void) noexcept
{
    return g_last_requester_body;
}

}
