#include "platform/cdrom/cdio_source.h"

#include <algorithm>
#include <cdio/logging.h>
#include <cstdio>
#include <mutex>

namespace corvath {

namespace {

void AssertionsOnlyLog(cdio_log_level_t level, const char message[])
{
    if (level == CDIO_LOG_ASSERT)
        std::fprintf(stderr, "libcdio: %s\n", message);
}

uint8_t AdrControl(CdIo_t* cdio, track_t track)
{
    constexpr uint8_t kAdrPosition = 0x10;
    constexpr uint8_t kCopyPermitted = 0x02;
    constexpr uint8_t kPreEmphasis = 0x01;
    uint8_t value = kAdrPosition;
    if (cdio_get_track_format(cdio, track) != TRACK_FORMAT_AUDIO)
        value |= kCdDataTrackControl;
    if (cdio_get_track_copy_permit(cdio, track) == CDIO_TRACK_FLAG_TRUE)
        value |= kCopyPermitted;
    if (cdio_get_track_preemphasis(cdio, track) == CDIO_TRACK_FLAG_TRUE)
        value |= kPreEmphasis;
    return value;
}

std::array<uint8_t, 4> Address(lba_t lba, bool msf)
{
    if (msf) {
        constexpr lba_t kFramesPerSecond = 75;
        constexpr lba_t kFramesPerMinute = 60 * kFramesPerSecond;
        return {0, static_cast<uint8_t>(lba / kFramesPerMinute),
                static_cast<uint8_t>(lba / kFramesPerSecond % 60),
                static_cast<uint8_t>(lba % kFramesPerSecond)};
    }
    const auto sector = static_cast<uint32_t>(lba - static_cast<lba_t>(kCdLeadInSectors));
    return {static_cast<uint8_t>(sector >> 24), static_cast<uint8_t>(sector >> 16),
            static_cast<uint8_t>(sector >> 8), static_cast<uint8_t>(sector)};
}

} // namespace

// The first turn silences libcdio's logging.
std::unique_lock<std::mutex> LibraryTurn()
{
    static std::mutex mutex;
    static std::once_flag quiet;
    std::call_once(quiet, [] { cdio_log_set_handler(AssertionsOnlyLog); });
    return std::unique_lock(mutex);
}

bool OnlyAudioIn(CdIo_t* cdio, uint32_t start, uint32_t count)
{
    const auto turn = LibraryTurn();
    const track_t first = cdio_get_first_track_num(cdio);
    const track_t tracks = cdio_get_num_tracks(cdio);
    if (first == CDIO_INVALID_TRACK || tracks == CDIO_INVALID_TRACK)
        return true; // the read itself will tell
    const int64_t end = int64_t{start} + count;
    for (int track = first; track < first + tracks; ++track) {
        const auto t = static_cast<track_t>(track);
        if (cdio_get_track_format(cdio, t) == TRACK_FORMAT_AUDIO)
            continue;
        const lsn_t begin = cdio_get_track_lsn(cdio, t);
        const lsn_t last = cdio_get_track_last_lsn(cdio, t);
        if (begin != CDIO_INVALID_LSN && last != CDIO_INVALID_LSN && begin < end &&
            int64_t{start} <= last)
            return false;
    }
    return true;
}

void CdioDestroyer::operator()(CdIo_t* cdio) const
{
    const auto turn = LibraryTurn();
    cdio_destroy(cdio);
}

CdioHandle OpenCdio(const std::string& source, driver_id_t driver)
{
    const auto turn = LibraryTurn();
    return CdioHandle(cdio_open(source.c_str(), driver));
}

std::vector<std::string> CdDrivePaths()
{
    const auto turn = LibraryTurn();
    std::vector<std::string> paths;
    char** list = cdio_get_devices(DRIVER_DEVICE);
    for (char** path = list; path && *path; ++path)
        paths.emplace_back(*path);
    if (list)
        cdio_free_device_list(list);
    return paths;
}

std::optional<DriveNames> ReadDriveNames(CdIo_t* cdio)
{
    const auto turn = LibraryTurn();
    cdio_hwinfo_t hardware{};
    if (!cdio_get_hwinfo(cdio, &hardware))
        return std::nullopt;
    return DriveNames{hardware.psz_vendor, hardware.psz_model};
}

std::optional<CdToc> ReadDiscToc(CdIo_t* cdio, bool msf)
{
    const auto turn = LibraryTurn();
    const track_t first = cdio_get_first_track_num(cdio);
    const track_t count = cdio_get_num_tracks(cdio);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0 ||
        count >= kCdMaxTocEntries)
        return std::nullopt;

    CdToc toc;
    toc.FirstTrack = first;
    toc.LastTrack = static_cast<uint8_t>(first + count - 1);
    // As a drive counts it: the two bytes after the length field and one entry per track plus
    // the lead-out.
    toc.Length = static_cast<uint16_t>(2 + sizeof(CdTocEntry) * (count + 1u));
    // No track starts in the lead-in: a cue sheet's track without an INDEX line comes back at
    // 00:00:00, where no sector number can address it.
    auto previous = static_cast<lba_t>(kCdLeadInSectors);
    for (track_t k = 0; k <= count; ++k) {
        const bool leadOut = k == count;
        const auto track =
            static_cast<track_t>(leadOut ? int{CDIO_CDROM_LEADOUT_TRACK} : first + k);
        const lba_t lba = cdio_get_track_lba(cdio, track);
        // A track before the one it follows, or after the lead-out, is a damaged TOC (an
        // image whose data file is shorter than its cue sheet says), not a disc to list.
        if (lba == CDIO_INVALID_LBA || lba < previous)
            return std::nullopt;
        previous = lba;
        CdTocEntry& entry = toc.Entries[k];
        // The lead-out carries the last track's control bits, as drives report it.
        entry.AdrControl = AdrControl(cdio, leadOut ? toc.LastTrack : track);
        entry.TrackNumber = track;
        entry.Address = Address(lba, msf);
    }
    return toc;
}

std::vector<std::optional<uint32_t>> ReadPregapSectors(CdIo_t* cdio)
{
    const auto turn = LibraryTurn();
    const track_t first = cdio_get_first_track_num(cdio);
    const track_t count = cdio_get_num_tracks(cdio);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK)
        return {};
    std::vector<std::optional<uint32_t>> pregaps;
    for (int track = first; track < first + count; ++track) {
        const auto t = static_cast<track_t>(track);
        // Drives mostly do not tell (CDIO_INVALID_LSN); an image without INDEX 00 gives a
        // value before the disc's start or the track's own start.
        const lsn_t pregap = cdio_get_track_pregap_lsn(cdio, t);
        const lsn_t start = cdio_get_track_lsn(cdio, t);
        if (pregap != CDIO_INVALID_LSN && start != CDIO_INVALID_LSN && pregap >= 0 &&
            pregap < start)
            pregaps.emplace_back(static_cast<uint32_t>(pregap));
        else
            pregaps.emplace_back();
    }
    return pregaps;
}

std::optional<uint32_t> LeadOutSector(CdIo_t* cdio)
{
    const auto turn = LibraryTurn();
    const lsn_t leadOut = cdio_get_track_lsn(cdio, CDIO_CDROM_LEADOUT_TRACK);
    if (leadOut == CDIO_INVALID_LSN || leadOut < 0)
        return std::nullopt;
    return static_cast<uint32_t>(leadOut);
}

bool ReadAudioSectors(CdIo_t* cdio, uint8_t* data, uint32_t start, uint32_t count)
{
    // A drive's single transfer must stay below 64 KiB on many hosts.
    constexpr uint32_t kSectorsPerTransfer = 26;
    // A drive refuses data sectors read as audio; libcdio's image readers would hand them back.
    if (!OnlyAudioIn(cdio, start, count))
        return false;
    for (uint32_t done = 0; done < count; done += kSectorsPerTransfer) {
        const uint32_t n = std::min(kSectorsPerTransfer, count - done);
        const auto turn = LibraryTurn();
        if (cdio_read_audio_sectors(cdio, data + std::size_t{done} * kCdSectorBytes,
                                    static_cast<lsn_t>(start + done), n) != DRIVER_OP_SUCCESS)
            return false;
    }
    return true;
}

bool EjectDriveTray(const std::string& devicePath)
{
    const auto turn = LibraryTurn();
    return cdio_eject_media_drive(devicePath.c_str()) == DRIVER_OP_SUCCESS;
}

bool CloseDriveTray(const std::string& devicePath)
{
    const auto turn = LibraryTurn();
    driver_id_t driver = DRIVER_DEVICE;
    return cdio_close_tray(devicePath.c_str(), &driver) == DRIVER_OP_SUCCESS;
}

} // namespace corvath
