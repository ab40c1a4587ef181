#include "platform/cdrom/paranoia_reader.h"

#include "platform/cdrom/cd_records.h"
#include "platform/cdrom/cdio_source.h"

#define DO_NOT_WANT_PARANOIA_COMPATIBILITY
#include <algorithm>
#include <atomic>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>
#include <cstdio>
#include <cstring>

namespace corvath {

namespace {

// Without NEVERSKIP, paranoia gives up on a sector it cannot verify after the retries below and
// moves on instead of retrying a damaged sector for ever; the sector is then reported doubtful.
constexpr int kParanoiaMode = PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP;
constexpr int kRetries = 20;

using SectorRead = long (*)(cdrom_drive_t*, void*, lsn_t, long);

// The reader libcdio-paranoia installs for every drive.
std::atomic<SectorRead> paranoiaSectorRead{nullptr};

// Paranoia reads through the drive's reader; this one takes libcdio's turn for each read rather
// than for a whole paranoia read, which can last minutes on a damaged disc.
long ReadInTurn(cdrom_drive_t* drive, void* data, lsn_t begin, long sectors)
{
    const auto turn = LibraryTurn();
    return paranoiaSectorRead.load()(drive, data, begin, sectors);
}

// Where the reading thread's paranoia callbacks note the sectors they report trouble with; the
// callback has no argument of its own to carry it.
thread_local std::set<uint32_t>* troubleNotes = nullptr;

// A read error or a skip leaves a sector as one read gave it, or as zeros; the other reports are
// corrections paranoia verified (jitter, drift, dropped or doubled bytes) or notes on its work.
void NoteTrouble(long position, paranoia_cb_mode_t mode)
{
    if ((mode == PARANOIA_CB_READERR || mode == PARANOIA_CB_SKIP) && position >= 0 &&
        troubleNotes != nullptr)
        troubleNotes->insert(static_cast<uint32_t>(position / CD_FRAMEWORDS));
}

class TroubleNotesScope {
public:
    explicit TroubleNotesScope(std::set<uint32_t>& notes) { troubleNotes = &notes; }
    ~TroubleNotesScope() { troubleNotes = nullptr; }
    TroubleNotesScope(const TroubleNotesScope&) = delete;
    TroubleNotesScope& operator=(const TroubleNotesScope&) = delete;
};

} // namespace

void ParanoiaDriveCloser::operator()(cdrom_drive_s* drive) const
{
    cdio_cddap_close_no_free_cdio(drive);
}

void ParanoiaFreer::operator()(cdrom_paranoia_s* paranoia) const
{
    cdio_paranoia_free(paranoia);
}

ParanoiaReader::ParanoiaReader(CdIo_t* cdio, ParanoiaDrive drive, ParanoiaState state)
    : cdio_(cdio), drive_(std::move(drive)), state_(std::move(state))
{
}

std::unique_ptr<ParanoiaReader> ParanoiaReader::Open(CdIo_t* cdio)
{
    ParanoiaDrive drive;
    ParanoiaState state;
    {
        const auto turn = LibraryTurn();
        drive.reset(cdio_cddap_identify_cdio(cdio, CDDA_MESSAGE_FORGETIT, nullptr));
        if (!drive)
            return nullptr;
        // Samples as libcdio hands them over, like plain reads: paranoia's guess at their byte
        // order from the audio itself could swap them.
        drive->bigendianp = 0;
        drive->b_swap_bytes = false;
        if (cdio_cddap_open(drive.get()) != 0)
            return nullptr;
        state.reset(cdio_paranoia_init(drive.get()));
        if (!state)
            return nullptr;
        cdio_paranoia_modeset(state.get(), kParanoiaMode);
        paranoiaSectorRead = drive->read_audio;
        drive->read_audio = ReadInTurn;
    }
    return std::unique_ptr<ParanoiaReader>(
        new ParanoiaReader(cdio, std::move(drive), std::move(state)));
}

bool ParanoiaReader::Read(uint8_t* data, uint32_t start, uint32_t count,
                          std::vector<uint32_t>& doubtful, const std::stop_token& stop)
{
    doubtful.clear();
    if (count == 0 || !OnlyAudioIn(cdio_, start, count) ||
        !ReadThroughParanoia(data, start, count, stop) || !CheckAfterTrouble(data, start, count))
        return false;
    doubtful.assign(doubtful_.lower_bound(start), doubtful_.lower_bound(start + count));
    return true;
}

bool ParanoiaReader::ReadThroughParanoia(uint8_t* data, uint32_t start, uint32_t count,
                                         const std::stop_token& stop)
{
    uint32_t sector = start;
    if (next_ && start + 1 == *next_ && !lastSector_.empty()) {
        std::copy(lastSector_.begin(), lastSector_.end(), data);
        ++sector;
    } else if (next_ != start) {
        next_.reset();
        lastSector_.clear();
        // Where the drive refuses the first sector, paranoia has nothing to build on and fills
        // in zeros from the disc's start, two sectors per skip: practically for ever.
        if (!ReadAudioSectors(cdio_, data, start, 1))
            return false;
        const auto turn = LibraryTurn();
        if (cdio_paranoia_seek(state_.get(), static_cast<int32_t>(start), SEEK_SET) < 0)
            return false;
        next_ = start;
    }
    const TroubleNotesScope notes(trouble_);
    for (; sector < start + count; ++sector) {
        // A damaged sector can take paranoia's retries long: Stop is looked at between sectors.
        if (stop.stop_requested()) {
            next_.reset();
            return false;
        }
        const int16_t* samples = cdio_paranoia_read_limited(state_.get(), NoteTrouble, kRetries);
        if (samples == nullptr) {
            next_.reset();
            return false;
        }
        std::memcpy(data + std::size_t{sector - start} * kCdSectorBytes, samples, kCdSectorBytes);
        next_ = sector + 1;
    }
    const uint8_t* last = data + std::size_t{count - 1} * kCdSectorBytes;
    lastSector_.assign(last, last + kCdSectorBytes);
    return true;
}

// After trouble, paranoia may hand back sectors from a single unverified read or zeros where it
// skipped ahead, for a stretch whose length it does not report, and later from its cache without
// reporting the trouble again. So from the session's first sector of trouble on, the drive is
// asked once more: a sector it refuses fails the read, one it hands back differently is doubtful.
bool ParanoiaReader::CheckAfterTrouble(const uint8_t* data, uint32_t start, uint32_t count)
{
    const uint32_t end = start + count;
    if (trouble_.empty() || *trouble_.begin() >= end)
        return true;
    const uint32_t from = std::max(start, *trouble_.begin());
    std::vector<uint8_t> again(std::size_t{end - from} * kCdSectorBytes);
    if (!ReadAudioSectors(cdio_, again.data(), from, end - from))
        return false;
    for (uint32_t sector = from; sector < end; ++sector) {
        const uint8_t* mine = data + std::size_t{sector - start} * kCdSectorBytes;
        if (!std::equal(mine, mine + kCdSectorBytes,
                        again.begin() + std::ptrdiff_t{sector - from} * kCdSectorBytes))
            doubtful_.insert(sector);
    }
    doubtful_.insert(trouble_.lower_bound(start), trouble_.lower_bound(end));
    return true;
}

} // namespace corvath
