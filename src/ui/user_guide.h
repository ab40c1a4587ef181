#pragma once

#include <filesystem>

namespace corvath::ui {

/// The bundled user guide page: installed beside the program
/// (<program folder>/../share/doc/corvath/user-guide.html), else the source tree's
/// docs/user-guide.html of the build; empty when neither exists.
std::filesystem::path UserGuidePath();

/// Opens the user guide in the browser; tells the user when it cannot be found.
void OpenUserGuide();

} // namespace corvath::ui
