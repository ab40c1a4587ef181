#include "ui/qt_main_thread.h"

namespace corvath::ui {

QtMainThread::QtMainThread()
{
    // Any thread may wake the loop; the calls then run on this object's thread.
    dispatcher_.SetWakeUp([this] {
        QMetaObject::invokeMethod(
            this, [this] { dispatcher_.ProcessPending(); }, Qt::QueuedConnection);
    });
    MainThread::Install(&dispatcher_);
}

QtMainThread::~QtMainThread()
{
    MainThread::Install(nullptr);
}

} // namespace corvath::ui
