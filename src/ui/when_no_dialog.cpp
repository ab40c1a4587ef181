#include "ui/when_no_dialog.h"

#include <QApplication>
#include <QDialog>
#include <QThread>
#include <QTimer>
#include <QWidget>

namespace corvath::ui {

namespace {

constexpr int kCheckMs = 100;

// Dismisses the top modal dialog when asked to; true when none is open and no dialog's own
// event loop runs any longer (0 before QApplication::exec, 1 inside it).
bool NoDialogLeft(OpenDialogs dialogs)
{
    if (QWidget* modal = QApplication::activeModalWidget()) {
        if (dialogs == OpenDialogs::kDismiss) {
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            else
                modal->close();
        }
        return false;
    }
    return QThread::currentThread()->loopLevel() <= 1;
}

} // namespace

void WhenNoDialogIsOpen(QObject& context, OpenDialogs dialogs, std::function<void()> action)
{
    if (NoDialogLeft(dialogs)) {
        action();
        return;
    }
    auto* timer = new QTimer(&context);
    QObject::connect(timer, &QTimer::timeout, &context,
                     [timer, dialogs, action = std::move(action)] {
                         if (!NoDialogLeft(dialogs))
                             return;
                         timer->stop();
                         timer->deleteLater();
                         action();
                     });
    timer->start(kCheckMs);
}

} // namespace corvath::ui
