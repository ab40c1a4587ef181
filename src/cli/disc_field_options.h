#pragma once

#include "app/disc_info_store.h"

#include <ostream>
#include <string>
#include <string_view>

namespace corvath::cli {

/// True for the options that set a disc field: --artist, --album, --year, --comment, --genre.
bool IsDiscFieldOption(std::string_view name);

/// Stores a disc-field option's value in disc; a genre is looked up by its exact name. False
/// for an unknown genre, which is named on err after "corvath-cli <command>: ".
bool ApplyDiscFieldOption(std::string_view name, const std::string& value, TDiscFields& disc,
                          std::ostream& err, std::string_view command);

} // namespace corvath::cli
