#pragma once

#include <QIcon>

namespace corvath::ui {

/// The name of the program's icon in the icon theme and in its desktop entry.
inline constexpr const char* kProgramIconName = "corvath";

/// The program's icon: the bundled one, else the theme's "corvath" icon, else the style's CD
/// icon.
QIcon ProgramIcon();

} // namespace corvath::ui
