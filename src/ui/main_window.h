#pragma once

#include "app/settings_location.h"

#include <QMainWindow>

namespace corvath::ui {

/// The main window: one CD drive's tracks, the disc fields and every command of the program.
class TfrmMain : public QMainWindow {
    Q_OBJECT

public:
    /// The settings files and default output folder come from location.
    explicit TfrmMain(SettingsLocation location, QWidget* parent = nullptr);
    ~TfrmMain() override;

    /// Shows the window, restores it when minimised and brings it to the front.
    void BringToFront();
    /// A disc arrived in a drive: reloads the list and empties the disc fields.
    void DeviceArrived();
    /// A disc left a drive: empties the list.
    void DeviceRemoved();

private:
    SettingsLocation location_;
};

} // namespace corvath::ui
