#pragma once

#include "platform/cdrom/cd_records.h"
#include "platform/cdrom/open_disc.h"

#include <cdio/cdio.h>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace corvath {

// libcdio's logging is not thread-safe (a message logged while another thread's is being
// handled aborts the process), so every call into libcdio goes through these functions, which
// take turns. Its own warnings are kept off standard error: failures reach the callers as the
// layer's error numbers instead.

/// Held for every call into libcdio, including those libcdio-paranoia makes.
std::unique_lock<std::mutex> LibraryTurn();

/// Destroys a libcdio drive or disc image.
struct CdioDestroyer {
    void operator()(CdIo_t* cdio) const;
};
using CdioHandle = std::unique_ptr<CdIo_t, CdioDestroyer>;

/// Opens a drive with libcdio; null when it cannot.
CdioHandle OpenCdio(const std::string& source, driver_id_t driver);

/// The device paths of the machine's CD drives.
std::vector<std::string> CdDrivePaths();

/// A drive's vendor and model names as it reports them; nothing when it does not.
struct DriveNames {
    std::string vendor;
    std::string model;
};
std::optional<DriveNames> ReadDriveNames(CdIo_t* cdio);

/// The disc's table of contents as a drive reports it. Nothing when the disc has no readable
/// TOC, or one whose addresses do not rise up to the lead-out.
std::optional<DiscTracks> ReadDiscTracks(CdIo_t* cdio);

/// What the drive tells beyond the TOC: the session of each track, flags and CD-Text, and as
/// deep as asked ISRCs and the catalogue number, as far as it reads them. Nothing when the disc
/// has no tracks.
std::optional<CdDiscFacts> ReadDriveFacts(CdIo_t* cdio, CdFactsDepth depth);

/// Per track from the first, where its pre-gap starts (0 = 00:02:00) when the drive or image
/// tells and the pre-gap lies before the track's start; empty when the disc has no tracks.
std::vector<std::optional<uint32_t>> ReadPregapSectors(CdIo_t* cdio);

/// The number of sectors from 00:02:00 to the lead-out: the first one a read may not reach.
std::optional<uint32_t> LeadOutSector(CdIo_t* cdio);

/// Whether no data track lies in the sectors start to start + count - 1 (0 = 00:02:00).
bool OnlyAudioIn(CdIo_t* cdio, uint32_t start, uint32_t count);

/// Reads count raw 2352-byte sectors from sector start (0 = 00:02:00) into data; false, as a
/// drive answers, when any of them belongs to a data track.
bool ReadAudioSectors(CdIo_t* cdio, uint8_t* data, uint32_t start, uint32_t count);

/// Opens or closes the tray of the drive at a device path; false when the drive cannot.
bool EjectDriveTray(const std::string& devicePath);
bool CloseDriveTray(const std::string& devicePath);

} // namespace corvath
