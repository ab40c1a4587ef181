#include "support/accurate_rip_file.h"

namespace corvath::test {

namespace {

void Le32(std::string& file, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        file.push_back(static_cast<char>(value >> shift));
}

} // namespace

AccurateRipSubmitted AccurateRipPadding(std::size_t tracks)
{
    return AccurateRipSubmitted(tracks, {0, 0});
}

std::string AccurateRipFile(const AccurateRipDisc& disc,
                            const std::vector<AccurateRipSubmitted>& submissions)
{
    std::string file;
    for (const AccurateRipSubmitted& tracks : submissions) {
        file.push_back(static_cast<char>(tracks.size()));
        for (const uint32_t value : {disc.id1, disc.id2, disc.freedbId})
            Le32(file, value);
        for (const auto& [confidence, checksum] : tracks) {
            file.push_back(static_cast<char>(confidence));
            Le32(file, checksum);
            Le32(file, 0); // the checksum used to find a drive's offset
        }
    }
    return file;
}

} // namespace corvath::test
