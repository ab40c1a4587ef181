#pragma once

#include <filesystem>

class QWidget;

namespace corvath::ui {

/// The bundled user guide page: installed beside the program
/// (<program folder>/../share/doc/corvath/user-guide.html), else the source tree's
/// docs/user-guide.html of the build; empty when neither exists.
std::filesystem::path UserGuidePath();

/// Opens the user guide in the browser; tells the user, in a box over parent, when it cannot be
/// found or opened.
void OpenUserGuide(QWidget* parent);

} // namespace corvath::ui
