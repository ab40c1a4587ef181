#pragma once

#include <QObject>
#include <functional>

namespace corvath::ui {

/// What to do with a modal dialog that is open while an action waits.
enum class OpenDialogs { kWait, kDismiss };

/// Runs action once no modal dialog is open and the program is back in its own event loop, so no
/// command of the main window is half done (a rip holds the drive while its window is open): at
/// once when that holds already, otherwise from a check every tenth of a second while context
/// lives. kDismiss rejects each modal dialog found open, as Escape does.
void WhenNoDialogIsOpen(QObject& context, OpenDialogs dialogs, std::function<void()> action);

} // namespace corvath::ui
