#pragma once

#include <QIcon>

namespace corvath::ui {

/// The program's icon: the bundled one, else the theme's "corvath" icon, else the style's CD
/// icon.
QIcon ProgramIcon();

} // namespace corvath::ui
