#pragma once

#include <QObject>
#include <functional>

class QWidget;
class QWindow;

namespace corvath::ui {

/// Tells when a window becomes the program's active window: the first time, and each time the
/// focus comes back to it from another window of the program (such as a dialog that closed),
/// but not when the user comes back to the program from another application.
class ProgramActivation : public QObject {
public:
    ProgramActivation(QWidget& window, std::function<void()> activated);

private:
    void FocusMoved(QWindow* focus);

    QWidget& window_;
    std::function<void()> activated_;
    bool activatedBefore_ = false;
    bool programHadFocus_; // a window of the program had the focus before it moved
};

} // namespace corvath::ui
