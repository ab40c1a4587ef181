#pragma once

#include <cdio/cdio.h>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <stop_token>
#include <vector>

struct cdrom_drive_s;
struct cdrom_paranoia_s;

namespace corvath {

/// Closes libcdio-paranoia's view of a drive, leaving the drive itself open.
struct ParanoiaDriveCloser {
    void operator()(cdrom_drive_s* drive) const;
};
using ParanoiaDrive = std::unique_ptr<cdrom_drive_s, ParanoiaDriveCloser>;

/// Frees a libcdio-paranoia reading state.
struct ParanoiaFreer {
    void operator()(cdrom_paranoia_s* paranoia) const;
};
using ParanoiaState = std::unique_ptr<cdrom_paranoia_s, ParanoiaFreer>;

/// Reads a drive's audio through libcdio-paranoia, which reads every sector more than once,
/// compares the reads and corrects jitter, drift and dropped or doubled bytes. Sequential reads
/// continue one session; a read elsewhere seeks. Used by one thread at a time.
class ParanoiaReader {
public:
    /// Nothing when paranoia cannot use the drive (no TOC, no readable audio track). The drive
    /// must outlive the reader.
    static std::unique_ptr<ParanoiaReader> Open(CdIo_t* cdio);

    /// Reads count sectors from start (0 = the sector at 00:02:00) into data, 2352 bytes each,
    /// as ReadAudioSectors would. Fills doubtful with the numbers of the sectors among them that
    /// could not be read exactly: those where paranoia met a read error or gave up verifying
    /// and skipped ahead, and those a plain read after such trouble hands back differently.
    /// False when the drive refuses a sector even then, or the range holds data sectors, or a
    /// stop is asked for through stop, which is looked at between sectors.
    bool Read(uint8_t* data, uint32_t start, uint32_t count, std::vector<uint32_t>& doubtful,
              const std::stop_token& stop);

private:
    ParanoiaReader(CdIo_t* cdio, ParanoiaDrive drive, ParanoiaState state);
    bool ReadThroughParanoia(uint8_t* data, uint32_t start, uint32_t count,
                             const std::stop_token& stop);
    bool CheckAfterTrouble(const uint8_t* data, uint32_t start, uint32_t count);

    CdIo_t* cdio_;
    ParanoiaDrive drive_;
    ParanoiaState state_;
    /// Where paranoia's cursor stands: the sector after the last one read.
    std::optional<uint32_t> next_;
    /// The last sector read: a shifted rip's reads share their edge sectors.
    std::vector<uint8_t> lastSector_;
    /// Sectors where paranoia reported trouble, and the doubtful ones; kept across seeks, as
    /// paranoia keeps what it read.
    std::set<uint32_t> trouble_;
    std::set<uint32_t> doubtful_;
};

} // namespace corvath
