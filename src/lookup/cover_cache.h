#pragma once

#include "tags/cover_picture.h"

#include <filesystem>
#include <optional>
#include <string>

namespace corvath {

/// Where the front covers of discs are kept: $XDG_CACHE_HOME/corvath/covers, or
/// ~/.cache/corvath/covers when XDG_CACHE_HOME is unset or empty.
std::filesystem::path CoverCacheFolder();

/// A disc's cover as the cache holds it.
struct CachedCover {
    std::filesystem::path file;
    CoverPicture picture;
};

/// Keeps the picture as the cover of the disc with the key (its key in the disc information
/// file), in place of any it had: "<key>.jpg" or "<key>.png", written whole or not at all.
/// Returns the file; throws std::exception when it cannot be written or is no whole image
/// (CoverImageProblem).
std::filesystem::path StoreCover(const std::string& discKey, const CoverPicture& picture);

/// Drops the disc's cover, if the cache has one.
void ForgetCover(const std::string& discKey);

/// The disc's cover; none when the cache has no readable, whole image for it.
std::optional<CachedCover> LoadCover(const std::string& discKey);

} // namespace corvath
