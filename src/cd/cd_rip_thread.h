#pragma once

#include "audio/threads/message_target.h"
#include "audio/threads/worker.h"
#include "cd/track_checksums.h"
#include "platform/cdrom/cd_records.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

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
/// stopped rip ends after the sector under way (secure reads) or the read under way (plain
/// ones), or before the normaliser's next block, finishes the WAV's header and posts
/// kProgressStopped as its last message. Every rip ends with exactly one of kMsgRipDriveFailure,
/// kProgressExtracted or kProgressStopped; a rip that throws (out of memory) reports
/// kProgressExtracted with kStatusReadFailed and the reason.
/// The WAV keeps its partial name: whether it takes the track's name is the receiver's choice,
/// as a WAV on its way to an encoder never should.
///
/// The track is the position in the TOC (1 for its first entry, 0 for the audio hidden before
/// it), read as TrackSectors gives it. A track the TOC does not have is reported as a failed
/// read, and no file is made. With a read offset, the track's samples are taken that many samples
/// later on the disc (earlier when negative), with silence where that reaches before the disc's
/// first sector or past its last.
///
/// Created idle; Start runs it on a Worker. Destruction stops a rip still running and never
/// waits for it: nothing reaches the target after it, and the rip ends on its own.
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

    /// Asks the rip to end; its last message says when it has. Never waits; any thread.
    void SetStopFlag();

private:
    class Rip;
    MessageTarget& target_;
    std::shared_ptr<Rip> rip_; // shared with the worker, which may outlive this
    std::optional<Worker> worker_;
};

} // namespace corvath
