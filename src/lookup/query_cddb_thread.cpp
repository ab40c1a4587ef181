#include "lookup/query_cddb_thread.h"

#include "audio/model/main_thread.h"
#include "lookup/cddb_client.h"
#include "lookup/cddb_entry_lines.h"
#include "lookup/cddb_options.h"
#include "platform/cdrom/cd_drive_interface.h"

#include <atomic>
#include <chrono>
#include <exception>
#include <mutex>
#include <utility>

namespace corvath {

CddbFailure::CddbFailure(std::string reason) : reason(std::move(reason)) {}

/// What the worker shares with its owner. Every call on a target goes through Forward, under
/// callMutex: Abandon takes that mutex after setting abandoned, so no call starts after it.
struct TQueryCDDBThread::State : CddbEntryTarget {
    State(const CddbServer& settings, uint8_t firstTrack, uint8_t lastTrack, int32_t cdHandle,
          MessageTarget& messages, CddbEntryTarget& entry)
        : settings(settings), firstTrack(firstTrack), lastTrack(lastTrack), cdHandle(cdHandle),
          messages(messages), entry(entry)
    {
    }

    template <typename Call> void Forward(Call call)
    {
        const std::lock_guard lock(callMutex);
        if (abandoned)
            return;
        call();
        // Abandon may wait for the mutex on the main thread. Only while not abandoned is that
        // thread's loop sure to be there: an abandoned worker may outlive it.
        MainThread::Current().Wake();
    }

    void Post(intptr_t wParam, intptr_t lParam, std::unique_ptr<MessagePayload> payload = nullptr)
    {
        Forward([&] { messages.Post(kMsgCddbQuery, wParam, lParam, std::move(payload)); });
    }

    void PostFailure(std::string reason)
    {
        Post(kCddbFailed, GetAspiLibError(), std::make_unique<CddbFailure>(std::move(reason)));
    }

    void ClearDiscFields() override
    {
        Forward([&] { entry.ClearDiscFields(); });
    }
    void SetArtist(const std::string& artist) override
    {
        Forward([&] { entry.SetArtist(artist); });
    }
    void SetAlbum(const std::string& album) override
    {
        Forward([&] { entry.SetAlbum(album); });
    }
    void SetYear(const std::string& year) override
    {
        Forward([&] { entry.SetYear(year); });
    }
    void SelectGenre(const std::string& name) override
    {
        Forward([&] { entry.SelectGenre(name); });
    }
    void SetDisc(int number, int total) override
    {
        Forward([&] { entry.SetDisc(number, total); });
    }
    void SetReleaseDetails(const ReleaseDetails& details) override
    {
        Forward([&] { entry.SetReleaseDetails(details); });
    }
    void AlignTitlesLeft() override
    {
        Forward([&] { entry.AlignTitlesLeft(); });
    }
    void SetTitle(int row, const std::string& title) override
    {
        Forward([&] { entry.SetTitle(row, title); });
    }

    void Run(const std::stop_token& stop);

    const CddbServer settings;
    const uint8_t firstTrack;
    const uint8_t lastTrack;
    const int32_t cdHandle;
    MessageTarget& messages;
    CddbEntryTarget& entry;
    std::atomic<bool> abandoned{false};
    std::mutex callMutex;
};

void TQueryCDDBThread::State::Run(const std::stop_token& stop)
{
    CddbMatchList matches;
    ApplyCddbOptions(settings);
    const CddbLookupDeadline deadline;
    if (CDDBQuery(cdHandle, matches, stop) != 1) {
        PostFailure(GetCdLastErrorText());
        return;
    }
    if (matches.Count < 1) {
        Post(kCddbNoMatch, GetAspiLibError());
        return;
    }
    // The fields are emptied for the first entry read: a lookup whose reads all fail keeps
    // what the user typed, and says why it failed.
    bool entryRead = false;
    std::string readFailure;
    std::string text;
    for (uint32_t i = 0; i < matches.Count && !abandoned; ++i) {
        if (CDDBGetDiskInfo(matches.Matches[i], text, kCddbEntryCapacity, stop) != 1) {
            readFailure = GetCdLastErrorText();
            continue;
        }
        if (!std::exchange(entryRead, true))
            ClearDiscFields();
        if (ApplyCddbEntry(text, firstTrack, lastTrack, *this))
            break;
    }
    if (!entryRead && !readFailure.empty()) {
        PostFailure(readFailure);
        return;
    }
    Post(kCddbFinished, 0);
}

TQueryCDDBThread::TQueryCDDBThread(const CddbServer& settings, uint8_t firstTrack,
                                   uint8_t lastTrack, int32_t cdHandle, MessageTarget& messages,
                                   CddbEntryTarget& entry)
    : state_(std::make_shared<State>(settings, firstTrack, lastTrack, cdHandle, messages, entry)),
      // The state posts itself, so that its messages and its target calls stop together.
      worker_(
          messages, [state = state_](std::stop_token stop, MessageTarget&) { state->Run(stop); },
          // Out of memory and the like: the wait window must still learn that the lookup ended.
          [state = state_](const std::exception& error, MessageTarget&) {
              state->PostFailure(error.what());
          })
{
}

TQueryCDDBThread::~TQueryCDDBThread()
{
    Abandon();
}

void TQueryCDDBThread::Abandon()
{
    state_->abandoned = true;
    worker_.Stop();
    // The worker may be waiting for the main thread inside a call: serve it until the call ends.
    std::unique_lock lock(state_->callMutex, std::defer_lock);
    MainThread& mainThread = MainThread::Current();
    if (!mainThread.IsCurrentThread()) {
        lock.lock();
        return;
    }
    while (!lock.try_lock())
        mainThread.WaitAndProcess(std::chrono::seconds(1));
}

} // namespace corvath
