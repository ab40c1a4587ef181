// Feeds arbitrary bytes to the CD layer as a disc image: written as a cue sheet and as a cdrdao
// TOC file beside data files they can name (image.bin, second.bin), and as an NRG image;
// registered and opened the way the program opens an image, its TOC read with both address kinds
// and a few sectors of each track read. A refusal is an accepted answer; a crash, a sanitizer
// report, an exception, or a TOC that does not rise track by track up to its lead-out is a bug.

#include "platform/cdrom/cd_drive_interface.h"
#include "platform/cdrom/cd_records.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using corvath::CdToc;

// Room for a few short tracks; small enough to write once and keep.
constexpr uint32_t kImageSectors = 600;
constexpr uint32_t kSecondFileSectors = 150;
constexpr uint32_t kSectorsPerRead = 3;
constexpr uint8_t kLeadOutTrack = 0xAA;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "disc_image_fuzzer: %s\n", what);
    std::abort();
}

// This process's own folder under the temporary folder, made once.
const fs::path& WorkFolder()
{
    static const fs::path folder = [] {
        std::string pattern = (fs::temp_directory_path() / "disc_image_fuzzer-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            Fail("cannot make a temporary folder");
        return fs::path(pattern);
    }();
    return folder;
}

void RemoveWorkFolder()
{
    std::error_code ignored;
    fs::remove_all(WorkFolder(), ignored);
}

void WriteFile(const fs::path& file, const char* data, std::size_t size)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(data, static_cast<std::streamsize>(size));
    if (!out)
        Fail("cannot write a file in the temporary folder");
}

// Raw sectors of a pattern that is never silent.
void WriteDataFile(const fs::path& file, uint32_t sectors)
{
    std::string bytes(std::size_t{sectors} * corvath::kCdSectorBytes, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i % 251);
    WriteFile(file, bytes.data(), bytes.size());
}

uint32_t SectorOf(const corvath::CdTocEntry& entry, bool msf)
{
    const auto& a = entry.Address;
    if (msf)
        return (a[1] * 60u + a[2]) * 75u + a[3] - corvath::kCdLeadInSectors;
    return uint32_t{a[0]} << 24 | uint32_t{a[1]} << 16 | uint32_t{a[2]} << 8 | a[3];
}

// The sector each track starts at, then the lead-out's.
std::vector<uint32_t> CheckedStarts(const CdToc& toc, bool msf)
{
    if (toc.FirstTrack < 1 || toc.LastTrack < toc.FirstTrack || toc.LastTrack > 99)
        Fail("the TOC's track numbers are out of range");
    const int tracks = toc.LastTrack - toc.FirstTrack + 1;
    std::vector<uint32_t> starts;
    for (int k = 0; k <= tracks; ++k) {
        const corvath::CdTocEntry& entry = toc.Entries[static_cast<std::size_t>(k)];
        const int expected = k == tracks ? kLeadOutTrack : toc.FirstTrack + k;
        if (entry.TrackNumber != expected)
            Fail("the TOC's entries are not numbered track by track");
        const uint32_t start = SectorOf(entry, msf);
        if (!starts.empty() && start < starts.back())
            Fail("the TOC's addresses run backwards");
        starts.push_back(start);
    }
    return starts;
}

void ReadSomeSectors(int32_t handle, uint32_t start)
{
    corvath::CdTrackBuffer buffer;
    buffer.StartSector = start;
    buffer.SectorCount = kSectorsPerRead;
    buffer.Capacity = kSectorsPerRead * corvath::kCdSectorBytes;
    buffer.Data.resize(buffer.Capacity);
    if (corvath::ReadCDAudioLBA(handle, buffer) == 1 && buffer.ReturnedBytes != buffer.Capacity)
        Fail("a read succeeded with fewer bytes than asked for");
}

void Exercise(int32_t handle)
{
    CdToc msfToc;
    CdToc sectorToc;
    if (!corvath::ModifyCDParms(handle, corvath::kCdParmMsfAddresses, 1) ||
        corvath::ReadTOC(handle, msfToc) != 1 ||
        !corvath::ModifyCDParms(handle, corvath::kCdParmMsfAddresses, 0) ||
        corvath::ReadTOC(handle, sectorToc) != 1)
        Fail("an opened image has no TOC");
    const std::vector<uint32_t> starts = CheckedStarts(sectorToc, false);
    if (CheckedStarts(msfToc, true) != starts)
        Fail("the TOC's two address kinds disagree");
    for (std::size_t k = 0; k + 1 < starts.size(); ++k)
        ReadSomeSectors(handle, starts[k]);
    ReadSomeSectors(handle, starts.back() - std::min(starts.back(), kSectorsPerRead));
    ReadSomeSectors(handle, starts.back());
}

void OpenAs(const char* extension, const uint8_t* data, std::size_t size)
{
    const fs::path sheet = WorkFolder() / (std::string("image") + extension);
    WriteFile(sheet, reinterpret_cast<const char*>(data), size);
    const int32_t handle = corvath::OpenDiscImage(sheet.string());
    if (handle != 0) {
        Exercise(handle);
        corvath::CloseCDHandle(handle);
    }
    // An image whose file is gone leaves the drive list, so the next input is opened afresh.
    fs::remove(sheet);
    corvath::CdDriveList list;
    corvath::GetCDList(list);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    WriteDataFile(WorkFolder() / "image.bin", kImageSectors);
    WriteDataFile(WorkFolder() / "second.bin", kSecondFileSectors);
    // Registered after the folder's path exists, so it runs before that path is destroyed. A
    // crash leaves the folder behind.
    std::atexit(RemoveWorkFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    OpenAs(".cue", data, size);
    OpenAs(".toc", data, size);
    OpenAs(".nrg", data, size);
    return 0;
}
