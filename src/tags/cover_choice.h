#pragma once

#include "tags/cover_picture.h"

#include <optional>
#include <string>

namespace corvath {

/// Picks a file's cover from the pictures its tag offers, in the tag's order: the first front
/// cover that CoverPictureOf accepts, else the first other picture it accepts. Used by the
/// tag readers on whatever thread reads.
class CoverChoice {
public:
    void Offer(bool frontCover, std::string bytes);
    /// The picked cover; none when no picture was accepted.
    std::optional<CoverPicture> Chosen() const { return front_ ? front_ : other_; }

private:
    std::optional<CoverPicture> front_;
    std::optional<CoverPicture> other_;
};

} // namespace corvath
