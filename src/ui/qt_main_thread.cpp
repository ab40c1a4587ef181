#include "ui/qt_main_thread.h"

namespace corvath::ui {

QtMainThread::QtMainThread()
{
    // Any thread may wake the loop. A queued call by name leaves the whole hand-over of the
    // call to Qt, with nothing of ours to free on the worker's side.
    dispatcher_.SetWakeUp(
        [this] { QMetaObject::invokeMethod(this, "RunPending", Qt::QueuedConnection); });
    MainThread::Install(&dispatcher_);
}

QtMainThread::~QtMainThread()
{
    MainThread::Install(nullptr);
}

void QtMainThread::RunPending()
{
    dispatcher_.ProcessPending();
}

} // namespace corvath::ui
