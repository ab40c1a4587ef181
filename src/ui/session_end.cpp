#include "ui/session_end.h"

#include "platform/process/stop_signals.h"
#include "ui/when_no_dialog.h"

#include <QCoreApplication>
#include <QWidget>

namespace corvath::ui {

SessionEnd::SessionEnd(const StopSignals& stopSignals, QWidget& window)
    : stopSignals_(stopSignals), window_(window),
      notifier_(stopSignals.ReadFd(), QSocketNotifier::Read)
{
    connect(&notifier_, &QSocketNotifier::activated, this, &SessionEnd::SignalArrived);
    // Qt gives the session manager's "die" as a quit, which ends the event loop without a
    // close; commitDataRequest is left alone, as a logout can still be cancelled after it.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (window_.isVisible())
            window_.close();
    });
}

void SessionEnd::SignalArrived()
{
    // Each signal dismisses the dialogs in the way, one that the closing window shows too; the
    // window closes once, as a closed window ignores a close.
    if (stopSignals_.Take())
        WhenNoDialogIsOpen(*this, OpenDialogs::kDismiss, [this] { window_.close(); });
}

} // namespace corvath::ui
