// Event handlers called from places that must not let an exception out (window
// procedures, Qt's signal connections): what escapes a handler goes to the
// application's exception handling, and the message loop goes on.
#ifndef FRAMEWORK_FORMS_GUARDED_CALL_H
#define FRAMEWORK_FORMS_GUARDED_CALL_H

#include <utility>

namespace fw {
class TObject;
}

namespace fw::forms {

// Passes the exception being handled on to Application->HandleException(sender), or,
// while there is no application, writes its message to standard error. Called only
// from a catch block.
void report_escaped_exception(TObject* sender) noexcept;

// Calls handler(); true when it returned, false when it threw (the exception reported
// as above).
template <typename Handler>
bool guarded_call(TObject* sender, Handler&& handler) noexcept
{
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (...) {
        report_escaped_exception(sender);
        return false;
    }
}

}

#endif
