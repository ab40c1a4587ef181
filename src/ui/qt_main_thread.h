#pragma once

#include "audio/model/call_dispatcher.h"

#include <QObject>

namespace corvath::ui {

/// The Qt event loop's thread as the audio components' main thread: calls from workers wake the
/// loop, which runs them between its events. Construct on the GUI thread; it is installed as
/// the process's main thread while it lives.
class QtMainThread : public QObject {
    Q_OBJECT

public:
    QtMainThread();
    ~QtMainThread() override;
    QtMainThread(const QtMainThread&) = delete;
    QtMainThread& operator=(const QtMainThread&) = delete;

private slots:
    void RunPending();

private:
    CallDispatcher dispatcher_;
};

} // namespace corvath::ui
