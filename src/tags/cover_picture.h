#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace corvath {

/// A front cover image as FLAC and Vorbis files embed it.
struct CoverPicture {
    std::string mimeType; ///< "image/jpeg" or "image/png"
    std::string data;     ///< the image file's bytes
    uint32_t width = 0;   ///< 0 when the image does not say
    uint32_t height = 0;
    uint32_t depth = 0; ///< bits per pixel

    bool operator==(const CoverPicture&) const = default;
};

/// The picture type FLAC and Vorbis give a front cover.
inline constexpr uint32_t kFrontCoverPictureType = 3;

/// The bytes as a cover picture when they are a JPEG or PNG image (by their first bytes),
/// with its size read from the PNG header or the JPEG frame header; none for anything else.
std::optional<CoverPicture> CoverPictureOf(std::string bytes);

/// Why the picture is no whole image, "" when it is: "no whole JPEG image". A JPEG needs a
/// frame header with a size, an end marker last and at least the bytes of the smallest one; a
/// PNG its header chunk with a size and its end chunk last.
std::string CoverImageProblem(const CoverPicture& picture);

/// The file extension for the picture's type: ".jpg" or ".png".
std::string CoverExtension(const CoverPicture& picture);

/// The picture as a FLAC PICTURE block's body (front cover, no description), which Vorbis
/// comments carry Base64-encoded as METADATA_BLOCK_PICTURE.
std::string PictureBlockBody(const CoverPicture& picture);

} // namespace corvath
