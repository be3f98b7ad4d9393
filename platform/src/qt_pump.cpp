// The Qt side of waiting for messages on the Qt application's thread.

#include "qt_pump.h"

#include <QtCore/QAbstractEventDispatcher>
#include <QtCore/QCoreApplication>
#include <QtCore/QThread>
#include <QtCore/QTimer>

#include <limits>

namespace platform::user {

bool is_qt_thread()
{
    const QCoreApplication* application = QCoreApplication::instance();
    return application != nullptr && application->thread() == QThread::currentThread();
}

void qt_process_pending()
{
    if (is_qt_thread())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void qt_wait(std::optional<uint64_t> milliseconds)
{
    if (!is_qt_thread())
        return;
    // A timer of our own ends the wait when the next platform timer is due.
    static thread_local QTimer* deadline = nullptr;
    if (milliseconds.has_value()) {
        if (deadline == nullptr) {
            deadline = new QTimer;
            deadline->setSingleShot(true);
            QObject::connect(QCoreApplication::instance(), &QObject::destroyed, [] {
                delete deadline;
                deadline = nullptr;
            });
        }
        const uint64_t limit = std::numeric_limits<int>::max();
        deadline->start(static_cast<int>(std::min(*milliseconds, limit)));
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    if (deadline != nullptr)
        deadline->stop();
}

void qt_wake()
{
    const QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr)
        return;
    if (QAbstractEventDispatcher* dispatcher =
            QAbstractEventDispatcher::instance(application->thread()))
        dispatcher->wakeUp();
}

}
