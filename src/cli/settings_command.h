#pragma once

#include <ostream>

namespace corvath::cli {

/// Loads the settings as the program does and prints the files in use and every setting.
int RunSettings(std::ostream& out);

} // namespace corvath::cli
