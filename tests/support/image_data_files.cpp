#include "support/image_data_files.h"

#include "support/riff_bytes.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace corvath::test {

namespace {

constexpr uint64_t kSectorBytes = 2352;
constexpr uint64_t kFramesPerSector = kSectorBytes / 4;

void MakeFolder(const std::filesystem::path& file)
{
    if (file.has_parent_path())
        std::filesystem::create_directories(file.parent_path());
}

} // namespace

void WriteSizedWave(const std::filesystem::path& file, uint32_t sectors)
{
    MakeFolder(file);
    const auto bytes = static_cast<uint32_t>(sectors * kSectorBytes);
    const std::string header = "RIFF" + Le32(36 + bytes) + "WAVE" +
                               Chunk("fmt ", FmtBody(1, 2, 44100, 4, 16)) + "data" + Le32(bytes);
    WriteFile(file, header);
    std::filesystem::resize_file(file, header.size() + bytes);
}

void WriteSizedFlac(const std::filesystem::path& file, uint32_t sectors)
{
    MakeFolder(file);
    const uint64_t samples = sectors * kFramesPerSector;
    // The last metadata block, STREAMINFO, 34 bytes: block sizes 4096, frame sizes unknown,
    // then 20 bits of rate, 3 of channels - 1, 5 of bits - 1, 36 of samples; no MD5.
    std::array<uint8_t, 4 + 4 + 34> head{'f', 'L', 'a', 'C', 0x80, 0, 0, 34, 0x10, 0, 0x10, 0};
    uint8_t* info = head.data() + 8 + 10;
    constexpr uint32_t kRate = 44100;
    info[0] = static_cast<uint8_t>(kRate >> 12);
    info[1] = static_cast<uint8_t>(kRate >> 4);
    info[2] = static_cast<uint8_t>((kRate & 0x0F) << 4 | 1 << 1 | 15 >> 4);
    info[3] = static_cast<uint8_t>((15 & 0x0F) << 4 | (samples >> 32 & 0x0F));
    for (int k = 0; k < 4; ++k)
        info[4 + k] = static_cast<uint8_t>(samples >> (24 - 8 * k));
    WriteFile(file, std::string(head.begin(), head.end()));
}

void WriteSizedRaw(const std::filesystem::path& file, uint32_t sectors)
{
    MakeFolder(file);
    WriteFile(file, "");
    std::filesystem::resize_file(file, sectors * kSectorBytes);
}

void WriteSizedDataFile(const std::filesystem::path& file, uint32_t sectors)
{
    std::string extension = file.extension().string();
    std::ranges::transform(extension, extension.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".wav")
        WriteSizedWave(file, sectors);
    else if (extension == ".flac")
        WriteSizedFlac(file, sectors);
    else
        WriteSizedRaw(file, sectors);
}

} // namespace corvath::test
