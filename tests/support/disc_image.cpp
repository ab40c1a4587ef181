#include "support/disc_image.h"

#include "platform/cdrom/cd_drive_interface.h"
#include "support/temp_dir.h"

#include <cstdio>
#include <string>

namespace corvath::test {

namespace {

constexpr uint32_t kSectorBytes = 2352;

// A cue sheet position: minutes, seconds and frames (75 per second) from the file's start.
std::string Msf(uint64_t sector)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", static_cast<unsigned>(sector / 4500),
                  static_cast<unsigned>(sector / 75 % 60), static_cast<unsigned>(sector % 75));
    return text;
}

} // namespace

std::filesystem::path WriteCueImage(const std::filesystem::path& stem,
                                    const std::vector<ImageTrack>& tracks, uint32_t hiddenSectors,
                                    int firstTrack)
{
    std::vector<uint8_t> hidden(std::size_t{hiddenSectors} * kSectorBytes);
    for (std::size_t i = 0; i < hidden.size(); ++i)
        hidden[i] = static_cast<uint8_t>(i % 251);
    return WriteCueImage(stem, tracks, hidden, firstTrack);
}

std::filesystem::path WriteCueImage(const std::filesystem::path& stem,
                                    const std::vector<ImageTrack>& tracks,
                                    const std::vector<uint8_t>& hidden, int firstTrack)
{
    std::filesystem::path bin = stem;
    bin += ".bin";
    std::filesystem::path cue = stem;
    cue += ".cue";

    std::string sectors(hidden.begin(), hidden.end());
    std::string sheet = "FILE \"" + bin.filename().string() + "\" BINARY\n";
    for (std::size_t t = 0; t < tracks.size(); ++t) {
        char number[24];
        std::snprintf(number, sizeof number, "%02zu", t + static_cast<std::size_t>(firstTrack));
        sheet += std::string("  TRACK ") + number + (tracks[t].data ? " MODE1/2352\n" : " AUDIO\n");
        const uint64_t start = sectors.size() / kSectorBytes;
        if (t == 0 && !hidden.empty())
            sheet += "    INDEX 00 00:00:00\n";
        else if (tracks[t].pregap > 0)
            sheet += "    INDEX 00 " + Msf(start) + "\n";
        sheet += "    INDEX 01 " + Msf(start + tracks[t].pregap) + "\n";
        sectors.append(tracks[t].sectors.begin(), tracks[t].sectors.end());
    }
    WriteFile(bin, sectors);
    WriteFile(cue, sheet);
    return cue;
}

std::vector<uint8_t> AudioSectors(uint32_t count, uint32_t seed)
{
    std::vector<uint8_t> audio(std::size_t{count} * kSectorBytes);
    uint32_t state = seed * 2654435761u + 1;
    for (uint8_t& byte : audio) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<uint8_t>(state >> 24);
    }
    return audio;
}

std::optional<std::size_t> DriveListIndex(const std::filesystem::path& image)
{
    CdDriveList list;
    GetCDList(list);
    for (std::size_t i = 0; i < list.Count; ++i) {
        if (image.string() == list.Drives[i].Identification.data())
            return i;
    }
    return std::nullopt;
}

} // namespace corvath::test
