// The Qt GUI application that fonts and painting need.
#ifndef PLATFORM_SRC_QT_APPLICATION_H
#define PLATFORM_SRC_QT_APPLICATION_H

namespace platform {

// Makes sure that a QGuiApplication exists, creating one when the program has none
// (on the offscreen platform when QT_QPA_PLATFORM is unset and there is no display).
// The process's C locale is left as it was. False when no GUI application can be had:
// the program made a plain QCoreApplication, or Qt could not start.
bool ensure_gui_application() noexcept;

}

#endif
