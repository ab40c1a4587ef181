#include "platform/cdaudio/cd_player.h"

#include "platform/cdrom/cd_drive_interface.h"
#include "platform/cdrom/cd_errors.h"
#include "platform/cdrom/cd_handle.h"
#include "platform/cdrom/track_span.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace corvath {

namespace {

// As many sectors as the rip worker reads at a time: Stop and Pause act between reads.
constexpr uint32_t kSectorsPerRead = 10;

struct PlayRequest {
    // Shared so that a handle number a read still uses is not given to another disc.
    std::shared_ptr<CdHandle> disc;
    SectorSpan sectors;
    CdPlayer::Completion done;
};

std::optional<CdDriveInfo> DriveListEntry(int32_t index)
{
    CdDriveList list;
    GetCDList(list);
    if (index < 0 || index >= list.Count)
        return std::nullopt;
    return list.Drives[static_cast<std::size_t>(index)];
}

bool TrayCommand(int32_t index, bool open)
{
    try {
        const std::optional<CdDriveInfo> entry = DriveListEntry(index);
        if (!entry) {
            SetCdLastError(kCdErrorNoDrive, "There is no such CD drive.");
            return false;
        }
        return MoveCDTray(HandleRequestFor(*entry), open);
    } catch (const std::exception& failure) {
        SetCdLastError(kCdErrorNoTray, failure.what());
        return false;
    }
}

} // namespace

// One worker thread per player runs the plays one after another. Every Play, Stop and Close
// starts a new generation; a play whose generation has passed ends at its next read or write.
struct CdPlayer::State {
    explicit State(AudioOutputFactory make) : makeOutput(std::move(make)) {}

    void Run();
    void Perform(const PlayRequest& request, uint64_t current);
    // Opens the output and plays into it; why the play ended before its end position, empty
    // when it got there or its generation passed (Complete then tells no one).
    std::string Deliver(const PlayRequest& request, AudioOutput& out, uint64_t current);
    // Waits while the play is paused; false once its generation has passed.
    bool AwaitTurn(uint64_t current);
    bool Attach(AudioOutput& out, uint64_t current);
    void Detach(uint64_t current);
    void Complete(const Completion& done, const std::string& failure, uint64_t current);
    // Ends the play under way and any pending one; `completing` and `mutex` are held.
    void Supersede();
    std::optional<SectorSpan> Span(int from, std::optional<int> to) const;

    const AudioOutputFactory makeOutput;

    // Main thread only.
    std::shared_ptr<CdHandle> disc;
    CdToc toc;
    int trackCount = 0;

    // Held while a completion runs and while a play is superseded, so that no completion
    // runs after the call that ended its play; recursive for a completion that plays on.
    std::recursive_mutex completing;
    std::mutex mutex;
    std::condition_variable wake;
    uint64_t generation = 0;
    std::optional<PlayRequest> pending;
    bool playing = false;
    bool paused = false;
    bool quit = false;
    AudioOutput* output = nullptr; // the worker's, while it may block in Write
    std::thread worker;
};

void CdPlayer::State::Run()
{
    for (;;) {
        std::unique_lock lock(mutex);
        wake.wait(lock, [this] { return quit || pending; });
        if (quit)
            return;
        const PlayRequest request = std::move(*pending);
        pending.reset();
        const uint64_t current = generation;
        lock.unlock();
        Perform(request, current);
    }
}

void CdPlayer::State::Perform(const PlayRequest& request, uint64_t current)
{
    // The output outlives its detaching, so an Abort never reaches a destroyed one.
    std::unique_ptr<AudioOutput> out;
    std::string failure;
    try {
        out = makeOutput ? makeOutput() : nullptr;
        failure = out ? Deliver(request, *out, current) : "there is no sound output";
    } catch (const std::exception& error) {
        failure = error.what();
    }
    Detach(current);
    out.reset();
    Complete(request.done, failure, current);
}

std::string CdPlayer::State::Deliver(const PlayRequest& request, AudioOutput& out, uint64_t current)
{
    if (!Attach(out, current))
        return {};
    if (std::string failure = out.Open(); !failure.empty())
        return failure;
    CdTrackBuffer buffer;
    uint32_t count = 0;
    for (uint32_t done = 0; done < request.sectors.count; done += count) {
        if (!AwaitTurn(current))
            return {};
        count = std::min(kSectorsPerRead, request.sectors.count - done);
        buffer.StartSector = request.sectors.start + done;
        buffer.SectorCount = count;
        buffer.Capacity = count * kCdSectorBytes;
        buffer.Data.resize(buffer.Capacity);
        if (ReadCDAudioLBA(request.disc->get(), buffer) != 1 ||
            uint64_t{buffer.DataOffset} + buffer.ReturnedBytes > buffer.Data.size())
            return "the disc could not be read";
        if (!out.Write(buffer.Data.data() + buffer.DataOffset, buffer.ReturnedBytes))
            return "the sound output stopped";
    }
    return {};
}

bool CdPlayer::State::AwaitTurn(uint64_t current)
{
    std::unique_lock lock(mutex);
    wake.wait(lock, [&] { return !paused || generation != current || quit; });
    return generation == current && !quit;
}

bool CdPlayer::State::Attach(AudioOutput& out, uint64_t current)
{
    const std::lock_guard lock(mutex);
    if (generation != current)
        return false;
    output = &out;
    return true;
}

void CdPlayer::State::Detach(uint64_t current)
{
    const std::lock_guard lock(mutex);
    output = nullptr;
    if (generation == current)
        playing = false;
}

void CdPlayer::State::Complete(const Completion& done, const std::string& failure, uint64_t current)
{
    const std::lock_guard gate(completing);
    {
        const std::lock_guard lock(mutex);
        if (generation != current)
            return;
    }
    if (done)
        done(failure);
}

void CdPlayer::State::Supersede()
{
    ++generation;
    pending.reset();
    playing = false;
    paused = false;
    if (output)
        output->Abort();
    wake.notify_all();
}

std::optional<SectorSpan> CdPlayer::State::Span(int from, std::optional<int> to) const
{
    if (from < kHiddenTrackPosition || from > trackCount ||
        (to && (*to <= from || *to > trackCount)))
        return std::nullopt;
    // The same sectors as the rip worker reads: from the first track played to the end of the
    // last audio track before where the play stops.
    const std::optional<SectorSpan> first = TrackSectors(toc, from);
    std::optional<SectorSpan> last;
    for (int track = to ? *to - 1 : trackCount; track >= from && !last; --track)
        last = TrackSectors(toc, track);
    if (!first || !last || last->start + last->count <= first->start)
        return std::nullopt;
    return SectorSpan{first->start, last->start + last->count - first->start};
}

CdPlayer::CdPlayer(AudioOutputFactory makeOutput)
    : state_(std::make_unique<State>(std::move(makeOutput)))
{
    state_->worker = std::thread([state = state_.get()] { state->Run(); });
}

CdPlayer::~CdPlayer()
{
    // The output is aborted first, so the wait is for a read under way at most.
    Close();
    {
        const std::lock_guard lock(state_->mutex);
        state_->quit = true;
    }
    state_->wake.notify_all();
    state_->worker.join();
}

bool CdPlayer::Open(int32_t driveIndex)
{
    Close();
    const std::optional<CdDriveInfo> entry = DriveListEntry(driveIndex);
    if (!entry)
        return false;
    auto disc = std::make_shared<CdHandle>(GetCDHandle(HandleRequestFor(*entry)));
    CdToc toc;
    if (!*disc || !ModifyCDParms(disc->get(), kCdParmMsfAddresses, 1) ||
        ReadTOC(disc->get(), toc) != 1)
        return false;
    const int tracks = toc.LastTrack - toc.FirstTrack + 1;
    if (tracks < 1 || tracks >= static_cast<int>(kCdMaxTocEntries))
        return false;
    state_->disc = std::move(disc);
    state_->toc = toc;
    state_->trackCount = tracks;
    return true;
}

bool CdPlayer::IsOpen() const
{
    return state_->disc != nullptr;
}

int CdPlayer::TrackCount() const
{
    return state_->trackCount;
}

bool CdPlayer::Play(int from, std::optional<int> to, Completion done)
{
    if (!IsOpen())
        return false;
    const std::optional<SectorSpan> sectors = state_->Span(from, to);
    if (!sectors)
        return false;
    const std::lock_guard gate(state_->completing);
    const std::lock_guard lock(state_->mutex);
    state_->Supersede();
    state_->pending = PlayRequest{state_->disc, *sectors, std::move(done)};
    state_->playing = true;
    return true;
}

bool CdPlayer::Pause()
{
    const std::lock_guard lock(state_->mutex);
    if (!state_->playing)
        return false;
    state_->paused = !state_->paused;
    state_->wake.notify_all();
    return true;
}

bool CdPlayer::Resume()
{
    const std::lock_guard lock(state_->mutex);
    if (!state_->playing || !state_->paused)
        return false;
    state_->paused = false;
    state_->wake.notify_all();
    return true;
}

bool CdPlayer::Stop()
{
    if (!IsOpen())
        return false;
    const std::lock_guard gate(state_->completing);
    const std::lock_guard lock(state_->mutex);
    state_->Supersede();
    return true;
}

void CdPlayer::Close()
{
    Stop();
    state_->disc.reset();
    state_->toc = CdToc{};
    state_->trackCount = 0;
}

bool EjectTray(int32_t driveIndex)
{
    return TrayCommand(driveIndex, true);
}

bool CloseTray(int32_t driveIndex)
{
    return TrayCommand(driveIndex, false);
}

} // namespace corvath
