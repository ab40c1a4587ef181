#include "ui/main_window.h"

namespace corvath::ui {

TfrmMain::TfrmMain(SettingsLocation location, QWidget* parent)
    : QMainWindow(parent), location_(std::move(location))
{
    setWindowTitle("Corvath");
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::BringToFront()
{
    show();
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void TfrmMain::DeviceArrived() {}

void TfrmMain::DeviceRemoved() {}

} // namespace corvath::ui
