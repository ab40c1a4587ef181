#pragma once

#include "platform/cdrom/cd_records.h"
#include "platform/cdrom/open_disc.h"

#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace corvath {

/// The CD access layer: drives over libcdio, disc images read by the project, CDDB over HTTP.
/// Results follow the layer's conventions: handles are non-zero, 1 means success where a count is
/// returned. Thread-safe; a handle is used by one thread at a time.

/// Fills the list with the machine's CD drives, then the registered disc images, up to
/// list.Capacity entries.
void GetCDList(CdDriveList& list);

/// Opens the drive with the request's host adapter, target and LUN; 0 on failure. No number is
/// given out twice in a run, so a closed handle's number stays closed.
int32_t GetCDHandle(const CdHandleRequest& request);

/// A handle for a disc opened another way than through the drive list, such as a stand-in
/// for a drive in tests.
int32_t OpenDiscHandle(std::unique_ptr<OpenDisc> disc);

/// True when the handle was open and is now closed.
bool CloseCDHandle(int32_t handle);

/// Sets a parameter of the handle (kCdParmMsfAddresses with value 1 or 0); false when refused.
bool ModifyCDParms(int32_t handle, int32_t parameter, int32_t value);

/// Reads the disc's table of contents; 1 on success.
int32_t ReadTOC(int32_t handle, CdToc& toc);

/// Reads where each track's pre-gap starts, one entry per TOC track: a sector number (0 = the
/// sector at 00:02:00), or nothing where the disc has none or the drive does not tell, as most
/// drives do not. False when the handle has no disc with tracks.
bool ReadTrackPregaps(int32_t handle, std::vector<std::optional<uint32_t>>& pregaps);

/// Reads what the disc tells beyond its TOC: sessions, flags and CD-Text, and with
/// CdFactsDepth::WithCodes the ISRCs and the catalogue number too. False when the handle has no
/// disc with tracks.
bool ReadDiscFacts(int32_t handle, CdDiscFacts& facts, CdFactsDepth depth);

/// Reads buffer.SectorCount raw audio sectors from buffer.StartSector (a sector number, 0 =
/// the sector at 00:02:00); 1 on success.
int32_t ReadCDAudioLBA(int32_t handle, CdTrackBuffer& buffer);

/// Reads like ReadCDAudioLBA, through libcdio-paranoia: every sector is read more than once and
/// what varies between reads is corrected. doubtfulSectors gets the numbers (as StartSector's)
/// of the sectors read that could not be read exactly: where paranoia met a read error or gave
/// up verifying and skipped ahead, and, after such trouble, where one more plain read differs.
/// A sector the drive refuses even then fails the read. Reads that follow one another (or
/// share one sector, as shifted reads do) continue the handle's paranoia session; 1 on success.
/// A stop asked for through stop fails the read before its next sector.
int32_t ReadCDAudioLBASecure(int32_t handle, CdTrackBuffer& buffer,
                             std::vector<uint32_t>& doubtfulSectors, std::stop_token stop = {});

/// Sets a CDDB option (CddbOption) for the following queries.
void CDDBSetOption(int32_t option, const std::string& text, int32_t number);

/// Looks the handle's disc up on the CDDB server; 1 on success (matches.Count may be 0). A stop
/// asked for through stop ends the request within about a second, as a failed one.
int32_t CDDBQuery(int32_t handle, CddbMatchList& matches, std::stop_token stop = {});

/// The server's entry for a match, as its lines ("DTITLE=...", ...) joined by "\n", cut to
/// capacity bytes; 1 on success. stop as for CDDBQuery.
int32_t CDDBGetDiskInfo(const CddbMatch& match, std::string& text, uint32_t capacity,
                        std::stop_token stop = {});

/// The number of the last error the layer met (0: none).
int32_t GetAspiLibError();

/// Why the last error happened, in words for the user, such as "Could not connect to
/// <server>: Timeout was reached"; empty when the layer has no words for it.
std::string GetCdLastErrorText();

/// Adds a disc image (.cue, .toc, .nrg, or a .bin beside its .cue) to the end of the drive list,
/// for this run; false, with the reason in GetCdLastErrorText, when it cannot be read.
/// Registering the same path again changes nothing.
bool RegisterDiscImage(const std::string& path);

/// The request that opens a drive list entry.
CdHandleRequest HandleRequestFor(const CdDriveInfo& drive);

/// Opens (open set) or closes the tray of the drive with the request's numbers, whether or not
/// a handle of it is open: the command opens the drive by its device path for as long as it
/// takes. False, with the reason in GetCdLastErrorText, when there is no such drive, it is a
/// disc image, or the drive would not.
bool MoveCDTray(const CdHandleRequest& request, bool open);

/// Registers a disc image and opens it: its handle, or 0 when it cannot be read or the
/// drive list has no room left for it.
int32_t OpenDiscImage(const std::string& path);

} // namespace corvath
