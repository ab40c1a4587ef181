#pragma once

#include <QString>

class QWidget;

namespace corvath::ui {

/// Opens a local file or folder with the desktop's program for it; when there is none (no file
/// opener installed), tells the user in a warning box over parent naming what stays unopened.
bool OpenOnDesktop(const QString& path, QWidget* parent);

} // namespace corvath::ui
