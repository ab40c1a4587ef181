#include "ui/program_activation.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <utility>

namespace corvath::ui {

ProgramActivation::ProgramActivation(QWidget& window, std::function<void()> activated)
    : QObject(&window), window_(window), activated_(std::move(activated)),
      programHadFocus_(QGuiApplication::focusWindow() != nullptr)
{
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &ProgramActivation::FocusMoved);
}

// No focus window means another application has the focus.
void ProgramActivation::FocusMoved(QWindow* focus)
{
    const bool fromProgram = std::exchange(programHadFocus_, focus != nullptr);
    if (!focus || focus != window_.windowHandle())
        return;
    const bool first = !std::exchange(activatedBefore_, true);
    if (first || fromProgram)
        activated_();
}

} // namespace corvath::ui
