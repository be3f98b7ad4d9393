// Creates the QGuiApplication that Qt's fonts and painting need when the program has
// not made one itself (tests, tools, libraries used without the viewer).

#include "qt_application.h"

#include <QtCore/QCoreApplication>
#include <QtGui/QGuiApplication>

#include <clocale>
#include <cstdlib>
#include <mutex>
#include <string>

namespace platform {
namespace {

// QGuiApplication keeps references to argc and argv for its whole life.
int g_argument_count = 0;
char g_program_name[] = "tarvek";
char g_platform_option[] = "-platform";
char g_offscreen[] = "offscreen";
char* g_arguments[] = {g_program_name, g_platform_option, g_offscreen, nullptr};

std::once_flag g_application_once;

bool has_display()
{
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (display != nullptr && *display != '\0') || (wayland != nullptr && *wayland != '\0');
}

void create_application()
{
    if (QCoreApplication::instance() != nullptr)
        return;
    const char* platform_name = std::getenv("QT_QPA_PLATFORM");
    const bool offscreen = (platform_name == nullptr || *platform_name == '\0') && !has_display();
    g_argument_count = offscreen ? 3 : 1;
    // Qt switches the C locale to the user's; the libraries read and write numbers
    // in the "C" locale, so the process's locale is put back as it was.
    const char* current = std::setlocale(LC_ALL, nullptr);
    const std::string saved_locale = current != nullptr ? current : "C";
    // Lives as long as the process: Qt's own globals may be gone before any library
    // destructor could delete it.
    new QGuiApplication(g_argument_count, g_arguments);
    std::setlocale(LC_ALL, saved_locale.c_str());
}

}

bool ensure_gui_application() noexcept
{
    try {
        std::call_once(g_application_once, create_application);
    } catch (...) {
        return false;
    }
    QCoreApplication* application = QCoreApplication::instance();
    return application != nullptr && application->inherits("QGuiApplication");
}

}
