#include "cd/cd_rip_thread.h"

#include "audio/model/au_file_stream.h"
#include "audio/wave/pcm_wave_header.h"
#include "cd/process_info.h"
#include "cd/track_wave_path.h"
#include "cd/wave_normalizer.h"
#include "platform/cdrom/cd_drive_interface.h"
#include "platform/cdrom/disc_id.h"
#include "platform/cdrom/track_span.h"
#include "platform/files/partial_file.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <optional>
#include <set>
#include <vector>

namespace corvath {

namespace {

constexpr uint32_t kSectorsPerRead = 10;
constexpr uint16_t kChannels = 2;
constexpr uint32_t kSampleRate = 44100;
constexpr uint16_t kBitsPerSample = 16;

// The disc's audio sectors, up to its lead-out.
std::optional<uint32_t> DiscSectors(const CdToc& toc)
{
    const int32_t tracks = toc.LastTrack - toc.FirstTrack + 1;
    if (tracks < 1 || tracks >= static_cast<int32_t>(kCdMaxTocEntries))
        return std::nullopt;
    const uint32_t leadOut = TocEntryFrames(toc.Entries[tracks]);
    if (leadOut < kCdLeadInSectors)
        return std::nullopt;
    return leadOut - kCdLeadInSectors;
}

// Where the track lies among the disc's audio tracks: the checksums leave out the disc's edges.
TrackPlace PlaceOf(const CdToc& toc, int32_t trackNumber, uint32_t sectors)
{
    const int32_t tracks = toc.LastTrack - toc.FirstTrack + 1;
    const auto isAudio = [&](int32_t track) { return !IsDataTrack(toc.Entries[track - 1]); };
    TrackPlace place{true, true, uint64_t{sectors} * kCdSectorBytes / 4};
    for (int32_t track = 1; track <= tracks; ++track) {
        if (track < trackNumber && isAudio(track))
            place.firstOnDisc = false;
        if (track > trackNumber && isAudio(track))
            place.lastOnDisc = false;
    }
    return place;
}

void WriteHeader(TAuFileStream& file, uint32_t dataSize)
{
    const auto header = PcmWaveHeader(kChannels, kSampleRate, kBitsPerSample, dataSize);
    file.SetPosition(0);
    file.Write(header.data(), header.size());
}

} // namespace

/// The rip itself, run by the worker alone.
class TCDRipThread::Rip {
public:
    Rip(int32_t trackNumber, const std::string& title, int32_t cdHandle,
        const RipWaveOptions& options)
        : trackNumber_(trackNumber), cdHandle_(cdHandle), normalize_(options.normalize),
          normalizePercent_(options.normalizePercent), readOffset_(options.readOffset),
          secureReads_(options.secureReads), completedFileStep_(options.completedFileStep),
          wavPath_(TrackWavePath(options.outputFolder, title)), partialWav_(PartialName(wavPath_)),
          titleIsFileName_(title.find('/') == std::string::npos)
    {
    }

    void Execute(const std::stop_token& workerStop, MessageTarget& target);
    /// Any thread, before the worker starts too.
    void Stop() { stopSource_.request_stop(); }
    /// The top-level catch's report: the track failed for reason.
    void Fail(const std::string& reason, MessageTarget& target);

private:
    void Run();
    /// Extracts the track's sectors into the WAV; the status to report.
    int32_t Extract(uint32_t startSector, uint32_t sectorCount, uint32_t discSectors,
                    const TrackPlace& place);
    /// bytes of the disc's audio from startByte (which may lie outside the disc) into audio_.
    bool ReadShifted(int64_t startByte, uint32_t bytes, uint32_t discSectors);
    /// Reads the buffer's sectors the way the options chose.
    bool ReadSectors(CdTrackBuffer& buffer);
    void PostProgress(int32_t progress, int32_t status = 0);
    bool Stopped() const { return stop_.stop_requested(); }

    const int32_t trackNumber_;
    const int32_t cdHandle_;
    const bool normalize_;
    const int32_t normalizePercent_;
    const int32_t readOffset_;
    const bool secureReads_;
    const std::function<void(const std::string&)> completedFileStep_;
    const std::string wavPath_;    ///< the track's WAV as the user knows it
    const std::string partialWav_; ///< where it is written
    const bool titleIsFileName_;
    std::stop_source stopSource_;
    std::stop_token stop_; // asked by Stop or by the worker's owner
    MessageTarget* target_ = nullptr;
    std::vector<uint8_t> audio_; // the piece of the track read last
    /// Why the WAV could not be made or written.
    std::string fileFailure_;
    /// Of the audio as read, before any normalising.
    TrackChecksumValues checksums_;
    /// The sectors secure reads could not read exactly, in order.
    std::set<uint32_t> doubtfulSectors_;
};

TCDRipThread::TCDRipThread(int32_t trackNumber, const std::string& title, int32_t cdHandle,
                           MessageTarget& target, const RipWaveOptions& options)
    : target_(target), rip_(std::make_shared<Rip>(trackNumber, title, cdHandle, options))
{
}

TCDRipThread::~TCDRipThread() = default;

void TCDRipThread::Start()
{
    if (worker_)
        return;
    worker_.emplace(
        target_,
        [rip = rip_](std::stop_token stop, MessageTarget& target) { rip->Execute(stop, target); },
        [rip = rip_](const std::exception& error, MessageTarget& target) {
            rip->Fail(error.what(), target);
        });
}

void TCDRipThread::SetStopFlag()
{
    rip_->Stop();
}

void TCDRipThread::Rip::Execute(const std::stop_token& workerStop, MessageTarget& target)
{
    const std::stop_callback abandoned(workerStop, [this] { Stop(); });
    stop_ = stopSource_.get_token();
    target_ = &target;
    Run();
}

void TCDRipThread::Rip::Fail(const std::string& reason, MessageTarget& target)
{
    target_ = &target;
    fileFailure_ = reason;
    PostProgress(kProgressExtracted, kStatusReadFailed);
}

void TCDRipThread::Rip::PostProgress(int32_t progress, int32_t status)
{
    auto info = std::make_unique<TProcessInfo>(
        progress, status,
        status == kStatusSuccess ? "" : NamingFinal(fileFailure_, partialWav_, wavPath_));
    if (progress == kProgressExtracted && status == kStatusSuccess) {
        info->Checksums = checksums_;
        info->DoubtfulSectors.assign(doubtfulSectors_.begin(), doubtfulSectors_.end());
    }
    target_->Post(kMsgRipProgress, 0, 0, std::move(info));
}

void TCDRipThread::Rip::Run()
{
    if (!ModifyCDParms(cdHandle_, kCdParmMsfAddresses, 1)) {
        target_->Post(kMsgRipDriveFailure, 0, 1);
        return;
    }
    CdToc toc;
    if (ReadTOC(cdHandle_, toc) != 1) {
        target_->Post(kMsgRipDriveFailure, 0, 2);
        return;
    }
    // A track the TOC does not have cannot be read.
    const std::optional<SectorSpan> sectors = TrackSectors(toc, trackNumber_);
    const std::optional<uint32_t> discSectors = DiscSectors(toc);
    const int32_t status = sectors && discSectors
                               ? Extract(sectors->start, sectors->count, *discSectors,
                                         PlaceOf(toc, trackNumber_, sectors->count))
                               : kStatusReadFailed;
    if (status == kStatusSuccess && Stopped()) {
        PostProgress(kProgressStopped);
        return;
    }
    if (status != kStatusSuccess) {
        PostProgress(kProgressExtracted, status);
        return;
    }
    if (normalize_) {
        PostProgress(kProgressNormalizing);
        const std::optional<std::string> failure = NormalizeWave(
            partialWav_, normalizePercent_, [this](int32_t percent) { PostProgress(percent); },
            stop_);
        if (Stopped()) {
            PostProgress(kProgressStopped);
            return;
        }
        // The WAV stays as ripped; reporting the failure keeps the receiver from waiting.
        if (failure) {
            fileFailure_ = *failure;
            PostProgress(kProgressExtracted, kStatusReadFailed);
            return;
        }
    }
    if (completedFileStep_) {
        try {
            completedFileStep_(partialWav_);
        } catch (const std::exception& failure) {
            fileFailure_ = failure.what();
            PostProgress(kProgressExtracted, kStatusReadFailed);
            return;
        }
    }
    PostProgress(kProgressExtracted, kStatusSuccess);
}

int32_t TCDRipThread::Rip::Extract(uint32_t startSector, uint32_t sectorCount, uint32_t discSectors,
                                   const TrackPlace& place)
{
    TrackChecksums checksums(place);
    if (!titleIsFileName_)
        return kStatusFileNotCreated;
    std::optional<TAuFileStream> file;
    try {
        // A name's folders below the output folder come into being with its first file.
        std::error_code exists;
        std::filesystem::create_directories(std::filesystem::path(partialWav_).parent_path(),
                                            exists);
        file.emplace(partialWav_, TAuFileStream::kCreate);
        WriteHeader(*file, 0);
    } catch (const std::exception& failure) {
        fileFailure_ = failure.what();
        return kStatusFileNotCreated;
    }
    // A write that fails ends the extraction like a failed read.
    bool failed = false;
    uint32_t dataSize = 0;
    uint32_t position = 0;
    const int64_t shiftBytes = int64_t{readOffset_} * 4;
    while (position < sectorCount && !Stopped()) {
        const uint32_t count = std::min(kSectorsPerRead, sectorCount - position);
        const int64_t from = int64_t{startSector + position} * kCdSectorBytes + shiftBytes;
        failed = !ReadShifted(from, count * kCdSectorBytes, discSectors);
        if (failed && Stopped()) {
            failed = false; // a read cut short by Stop: the WAV keeps what came before it
            break;
        }
        if (!failed) {
            try {
                file->Write(audio_.data(), audio_.size());
                checksums.Add(audio_);
                dataSize += static_cast<uint32_t>(audio_.size());
            } catch (const std::exception& failure) {
                fileFailure_ = failure.what();
                failed = true;
            }
        }
        position = failed ? sectorCount : position + count;
        PostProgress(static_cast<int32_t>(uint64_t{position} * 100 / sectorCount));
    }
    if (failed)
        return kStatusReadFailed; // the partial file keeps its provisional header
    try {
        WriteHeader(*file, dataSize);
    } catch (const std::exception& failure) {
        fileFailure_ = failure.what();
        return kStatusReadFailed;
    }
    checksums_ = checksums.Values();
    return kStatusSuccess;
}

bool TCDRipThread::Rip::ReadShifted(int64_t startByte, uint32_t bytes, uint32_t discSectors)
{
    audio_.assign(bytes, 0);
    const int64_t from = std::max<int64_t>(startByte, 0);
    const int64_t to = std::min<int64_t>(startByte + bytes, int64_t{discSectors} * kCdSectorBytes);
    if (from >= to)
        return true; // all of it lies outside the disc: silence
    CdTrackBuffer buffer;
    buffer.StartSector = static_cast<uint32_t>(from / kCdSectorBytes);
    buffer.SectorCount = static_cast<uint32_t>((to - 1) / kCdSectorBytes) - buffer.StartSector + 1;
    buffer.Capacity = buffer.SectorCount * kCdSectorBytes;
    buffer.Data.resize(buffer.Capacity);
    if (!ReadSectors(buffer) || buffer.ReturnedBytes < buffer.Capacity ||
        uint64_t{buffer.DataOffset} + buffer.ReturnedBytes > buffer.Data.size())
        return false;
    const int64_t skipped = from - int64_t{buffer.StartSector} * kCdSectorBytes;
    std::copy_n(buffer.Data.begin() + buffer.DataOffset + skipped, to - from,
                audio_.begin() + (from - startByte));
    return true;
}

bool TCDRipThread::Rip::ReadSectors(CdTrackBuffer& buffer)
{
    if (!secureReads_)
        return ReadCDAudioLBA(cdHandle_, buffer) == 1;
    std::vector<uint32_t> doubtful;
    if (ReadCDAudioLBASecure(cdHandle_, buffer, doubtful, stop_) != 1)
        return false;
    doubtfulSectors_.insert(doubtful.begin(), doubtful.end());
    return true;
}

} // namespace corvath
