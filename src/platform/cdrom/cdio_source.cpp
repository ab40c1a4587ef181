#include "platform/cdrom/cdio_source.h"

#include <algorithm>
#include <cdio/cdtext.h>
#include <cdio/logging.h>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace corvath {

namespace {

void AssertionsOnlyLog(cdio_log_level_t level, const char message[])
{
    if (level == CDIO_LOG_ASSERT)
        std::fprintf(stderr, "libcdio: %s\n", message);
}

uint8_t Control(CdIo_t* cdio, track_t track)
{
    uint8_t value = 0;
    if (cdio_get_track_format(cdio, track) != TRACK_FORMAT_AUDIO)
        value |= kCdDataTrackControl;
    if (cdio_get_track_copy_permit(cdio, track) == CDIO_TRACK_FLAG_TRUE)
        value |= kCdCopyPermittedControl;
    if (cdio_get_track_preemphasis(cdio, track) == CDIO_TRACK_FLAG_TRUE)
        value |= kCdPreEmphasisControl;
    return value;
}

// Text libcdio hands over in memory the caller frees.
std::string TakeText(char* text)
{
    std::string taken = text ? text : "";
    std::free(text);
    return taken;
}

std::string CdTextField(const cdtext_t* text, cdtext_field_t field, track_t track)
{
    const char* value = text ? cdtext_get_const(text, field, track) : nullptr;
    return value ? value : "";
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

std::optional<DiscTracks> ReadDiscTracks(CdIo_t* cdio)
{
    const auto turn = LibraryTurn();
    const track_t first = cdio_get_first_track_num(cdio);
    const track_t count = cdio_get_num_tracks(cdio);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0 ||
        count >= kCdMaxTocEntries)
        return std::nullopt;
    DiscTracks disc;
    disc.firstTrack = first;
    lsn_t previous = 0;
    for (track_t k = 0; k <= count; ++k) {
        const bool leadOut = k == count;
        const auto track =
            static_cast<track_t>(leadOut ? int{CDIO_CDROM_LEADOUT_TRACK} : first + k);
        const lsn_t lsn = cdio_get_track_lsn(cdio, track);
        // A track before the one it follows is a damaged TOC, not a disc to list.
        if (lsn == CDIO_INVALID_LSN || lsn < previous)
            return std::nullopt;
        previous = lsn;
        if (leadOut)
            disc.leadOut = static_cast<uint32_t>(lsn);
        else
            disc.tracks.push_back({static_cast<uint32_t>(lsn), Control(cdio, track)});
    }
    return disc;
}

std::optional<CdDiscFacts> ReadDriveFacts(CdIo_t* cdio, CdFactsDepth depth)
{
    const auto turn = LibraryTurn();
    const track_t first = cdio_get_first_track_num(cdio);
    const track_t count = cdio_get_num_tracks(cdio);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0)
        return std::nullopt;
    // Tracks from the last session's start on belong to a later session than the first.
    lsn_t lastSession = 0;
    if (cdio_get_last_session(cdio, &lastSession) != DRIVER_OP_SUCCESS)
        lastSession = 0;
    const lsn_t firstStart = cdio_get_track_lsn(cdio, first);
    CdDiscFacts facts;
    const bool codes = depth == CdFactsDepth::WithCodes;
    if (codes)
        facts.Catalog = TakeText(cdio_get_mcn(cdio));
    const cdtext_t* text = cdio_get_cdtext(cdio);
    facts.Title = CdTextField(text, CDTEXT_FIELD_TITLE, 0);
    facts.Performer = CdTextField(text, CDTEXT_FIELD_PERFORMER, 0);
    for (int track = first; track < first + count; ++track) {
        const auto t = static_cast<track_t>(track);
        CdTrackFacts& trackFacts = facts.Tracks.emplace_back();
        const lsn_t start = cdio_get_track_lsn(cdio, t);
        trackFacts.Session = lastSession > firstStart && start >= lastSession ? 2 : 1;
        trackFacts.PreEmphasis = cdio_get_track_preemphasis(cdio, t) == CDIO_TRACK_FLAG_TRUE;
        if (codes)
            trackFacts.Isrc = TakeText(cdio_get_track_isrc(cdio, t));
        trackFacts.Title = CdTextField(text, CDTEXT_FIELD_TITLE, t);
        trackFacts.Performer = CdTextField(text, CDTEXT_FIELD_PERFORMER, t);
    }
    return facts;
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
