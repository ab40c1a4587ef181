#pragma once

#include "tags/cover_picture.h"

#include <string>

namespace corvath {

/// Puts the cover into the folder as "folder.jpg" or "folder.png", where players look for an
/// album's picture, making the folder when it is missing; a file of that name stays as it is. Empty
/// on success, else why not.
std::string PlaceFolderImage(const CoverPicture& cover, const std::string& folder);

} // namespace corvath
