#include "tags/cover_picture.h"

#include <string_view>

namespace corvath {

namespace {

constexpr std::string_view kJpegStart("\xFF\xD8\xFF", 3);
constexpr std::string_view kPngStart("\x89PNG\r\n\x1A\n", 8);
constexpr const char* kJpegType = "image/jpeg";
constexpr const char* kPngType = "image/png";
constexpr std::string_view kJpegEnd("\xFF\xD9", 2);
constexpr std::string_view kPngEnd("\0\0\0\0IEND\xAE\x42\x60\x82", 12);
// Quantisation and Huffman tables, frame and scan headers take about this much at the least.
constexpr std::size_t kSmallestJpegBytes = 125;

uint32_t ReadBe16(const std::string& bytes, std::size_t at)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at]) << 8 |
                                 static_cast<uint8_t>(bytes[at + 1]));
}

uint32_t ReadBe32(const std::string& bytes, std::size_t at)
{
    return ReadBe16(bytes, at) << 16 | ReadBe16(bytes, at + 2);
}

void AppendBe32(std::string& out, std::size_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

// The IHDR chunk comes first: width, height, bit depth, colour type.
void ReadPngSize(CoverPicture& picture)
{
    const std::string& png = picture.data;
    constexpr std::size_t kIhdrData = 16;
    if (png.size() < kIhdrData + 10 || png.compare(12, 4, "IHDR") != 0)
        return;
    picture.width = ReadBe32(png, kIhdrData);
    picture.height = ReadBe32(png, kIhdrData + 4);
    const uint32_t bitDepth = static_cast<uint8_t>(png[kIhdrData + 8]);
    const uint8_t colourType = static_cast<uint8_t>(png[kIhdrData + 9]);
    // Grey, -, RGB, palette, grey with alpha, -, RGB with alpha.
    constexpr uint32_t kSamplesPerPixel[] = {1, 0, 3, 1, 2, 0, 4};
    if (colourType < std::size(kSamplesPerPixel))
        picture.depth = bitDepth * kSamplesPerPixel[colourType];
}

// Walks the marker segments to the first start-of-frame: precision, height, width, components.
void ReadJpegSize(CoverPicture& picture)
{
    const std::string& jpeg = picture.data;
    std::size_t at = 2;
    while (at + 4 <= jpeg.size() && static_cast<uint8_t>(jpeg[at]) == 0xFF) {
        const uint8_t marker = static_cast<uint8_t>(jpeg[at + 1]);
        const uint32_t length = ReadBe16(jpeg, at + 2);
        // C4 (Huffman tables), C8 (reserved) and CC (arithmetic coding) are no frames.
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && at + 10 <= jpeg.size()) {
            picture.height = ReadBe16(jpeg, at + 5);
            picture.width = ReadBe16(jpeg, at + 7);
            picture.depth = static_cast<uint8_t>(jpeg[at + 4]) *
                            static_cast<uint32_t>(static_cast<uint8_t>(jpeg[at + 9]));
            return;
        }
        if (marker == 0xDA || length < 2)
            return; // the image data starts without a frame header before it
        at += 2 + length;
    }
}

} // namespace

std::optional<CoverPicture> CoverPictureOf(std::string bytes)
{
    CoverPicture picture;
    const std::string_view start(bytes);
    const bool jpeg = start.starts_with(kJpegStart);
    if (!jpeg && !start.starts_with(kPngStart))
        return std::nullopt;
    picture.mimeType = jpeg ? kJpegType : kPngType;
    picture.data = std::move(bytes);
    if (jpeg)
        ReadJpegSize(picture);
    else
        ReadPngSize(picture);
    return picture;
}

std::string CoverImageProblem(const CoverPicture& picture)
{
    const std::string_view data(picture.data);
    const bool sized = picture.width > 0 && picture.height > 0;
    if (picture.mimeType == kPngType)
        return data.starts_with(kPngStart) && sized && data.ends_with(kPngEnd)
                   ? std::string()
                   : "no whole PNG image";
    // Some writers pad a JPEG after its end marker.
    const std::string_view image = data.substr(0, data.find_last_not_of('\0') + 1);
    return data.starts_with(kJpegStart) && data.size() >= kSmallestJpegBytes && sized &&
                   image.ends_with(kJpegEnd)
               ? std::string()
               : "no whole JPEG image";
}

std::string CoverExtension(const CoverPicture& picture)
{
    return picture.mimeType == kPngType ? ".png" : ".jpg";
}

std::string PictureBlockBody(const CoverPicture& picture)
{
    std::string block;
    AppendBe32(block, kFrontCoverPictureType);
    AppendBe32(block, picture.mimeType.size());
    block += picture.mimeType;
    AppendBe32(block, 0); // description
    AppendBe32(block, picture.width);
    AppendBe32(block, picture.height);
    AppendBe32(block, picture.depth);
    AppendBe32(block, 0); // colours: only for indexed images
    AppendBe32(block, picture.data.size());
    block += picture.data;
    return block;
}

} // namespace corvath
