#pragma once

#include <QObject>
#include <QSocketNotifier>

class QWidget;

namespace corvath {
class StopSignals;
}

namespace corvath::ui {

/// Ends the program as the user does, by closing its main window, which saves what it shows:
/// when SIGTERM, SIGHUP or SIGINT arrives (a logout, a closed terminal, Ctrl+C), and when the
/// application quits with the window still open (the X session manager's end of the session
/// comes as a quit). Dialogs open at a signal are dismissed first, as Escape does; a later signal
/// dismisses those that the closing window shows.
class SessionEnd : public QObject {
    Q_OBJECT

public:
    /// Signals that came before are acted on once the event loop runs.
    SessionEnd(const StopSignals& stopSignals, QWidget& window);

private:
    void SignalArrived();

    const StopSignals& stopSignals_;
    QWidget& window_;
    QSocketNotifier notifier_;
};

} // namespace corvath::ui
