#pragma once

#include "audio/threads/message_target.h"
#include "cd/track_checksums.h"
#include "platform/cdrom/cd_records.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace corvath {

/// Where a ripped track goes and whether it is normalised there.
struct RipWaveOptions {
    std::string outputFolder;
    bool normalize = false;
    int32_t normalizePercent = 95;
    /// Samples the reads are shifted by; silence stands in where they reach past the disc.
    int32_t readOffset = 0;
    /// Reads through libcdio-paranoia (ReadCDAudioLBASecure), which reads every sector more than
    /// once, and reports the sectors it could not read exactly.
    bool secureReads = false;
    /// Runs on the rip's thread once the WAV is complete (and normalised), before it is
    /// reported extracted: the tag writer, when the WAV is what the rip makes. What it throws
    /// fails the track with that reason; the WAV stays.
    std::function<void(const std::string& wav)> completedFileStep{};
};

/// Reads one audio track of the disc into the partial name (PartialName) of
/// TrackWavePath(output folder, title), making the output folder when it is missing, normalises
/// it when the options ask for it, and reports to its target: kMsgRipDriveFailure (lParam 1 when
/// the MSF option is refused, 2 when the TOC cannot be read), else kMsgRipProgress with a
/// TProcessInfo: percent read after every read of ten sectors, kProgressNormalizing and the
/// normaliser's percent, and last kProgressExtracted with kStatusSuccess, kStatusReadFailed (a read
/// or a write failed; the partial file stays) or kStatusFileNotCreated (also for a title holding
/// "/", which would lead out of the output folder); a failure of the file itself comes with the
/// system's reason in TProcessInfo::Failure, a success with the checksums of the audio read and,
/// with secure reads, the disc's sectors read for the track that could not be read exactly. A
/// stopped rip ends after the read under way, finishes the WAV's header and posts nothing more.
/// The WAV keeps its partial name: whether it takes the track's name is the receiver's choice,
/// as a WAV on its way to an encoder never should.
///
/// The track is the position in the TOC (1 for its first entry, 0 for the audio hidden before
/// it), read as TrackSectors gives it. A track the TOC does not have is reported as a failed
/// read, and no file is made. With a read offset, the track's samples are taken that many samples
/// later on the disc (earlier when negative), with silence where that reaches before the disc's
/// first sector or past its last.
///
/// Created idle; Start runs it on its own thread. Destruction waits for that thread's end.
class TCDRipThread {
public:
    /// Keeps the WAV's path and the normalising; the handle is borrowed and used by this worker
    /// alone while it runs.
    TCDRipThread(int32_t trackNumber, const std::string& title, int32_t cdHandle,
                 MessageTarget& target, const RipWaveOptions& options);
    ~TCDRipThread();
    TCDRipThread(const TCDRipThread&) = delete;
    TCDRipThread& operator=(const TCDRipThread&) = delete;

    /// Starts the rip; later calls do nothing. Call from one thread.
    void Start();

    /// Asks the rip to end after the read under way. Any thread.
    void SetStopFlag() { stop_ = true; }

private:
    void Execute();
    /// Extracts the track's sectors into the WAV; the status to report.
    int32_t Extract(uint32_t startSector, uint32_t sectorCount, uint32_t discSectors,
                    const TrackPlace& place);
    /// bytes of the disc's audio from startByte (which may lie outside the disc) into audio_.
    bool ReadShifted(int64_t startByte, uint32_t bytes, uint32_t discSectors);
    /// Reads the buffer's sectors the way the options chose.
    bool ReadSectors(CdTrackBuffer& buffer);
    void PostProgress(int32_t progress, int32_t status = 0);

    const int32_t trackNumber_;
    const int32_t cdHandle_;
    MessageTarget& target_;
    const bool normalize_;
    const int32_t normalizePercent_;
    const int32_t readOffset_;
    const bool secureReads_;
    const std::function<void(const std::string&)> completedFileStep_;
    std::vector<uint8_t> audio_;   // the piece of the track read last
    const std::string wavPath_;    ///< the track's WAV as the user knows it
    const std::string partialWav_; ///< where it is written
    const bool titleIsFileName_;
    /// Why the WAV could not be made or written; the worker's alone.
    std::string fileFailure_;
    /// Of the audio as read, before any normalising; the worker's alone.
    TrackChecksumValues checksums_;
    /// The sectors secure reads could not read exactly, in order; the worker's alone.
    std::set<uint32_t> doubtfulSectors_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace corvath
