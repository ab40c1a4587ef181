#pragma once

#include "audio/threads/message_target.h"
#include "audio/threads/stoppable_lookup.h"
#include "audio/threads/worker.h"
#include "lookup/cddb_entry_target.h"
#include "lookup/cddb_server.h"

#include <cstdint>
#include <memory>
#include <string>

namespace corvath {

/// Size of the text an entry is read into.
inline constexpr uint32_t kCddbEntryCapacity = 32000;

/// The wParam values of kMsgCddbQuery.
inline constexpr intptr_t kCddbNoMatch = 6;  // lParam: GetAspiLibError()
inline constexpr intptr_t kCddbFinished = 7; // lParam: 0
inline constexpr intptr_t kCddbFailed = 8;   // lParam: GetAspiLibError(); payload: CddbFailure

/// Why a lookup failed, in words for the user.
struct CddbFailure : MessagePayload {
    explicit CddbFailure(std::string reason);
    std::string reason;
};

/// Looks the disc in a drive up on a CDDB server and writes the first entry that has the
/// disc's track titles into the entry target, then posts kMsgCddbQuery: kCddbFinished when
/// done, kCddbNoMatch when the server knows no match, kCddbFailed when the query failed (no
/// answer, an HTTP or CDDB error, an unreadable answer or TOC) or no entry could be read, which
/// changes nothing. The query and the reads together take at most the request time-out. An
/// unexpected error (out of memory) posts kCddbFailed as well; changes made before it stay.
///
/// Threads: starts at once on a Worker; abandoning it stops its server request, which ends within
/// about a second. Both targets are called on that thread, never two calls
/// at once, every change before the last message. The caller keeps the targets alive until the
/// message arrives or Abandon() has returned.
class TQueryCDDBThread : public StoppableLookup {
public:
    /// The settings are copied here, on the caller's thread; the drive layer's CDDB options
    /// are set from them on the worker. firstTrack and lastTrack are the disc's, from its TOC.
    TQueryCDDBThread(const CddbServer& settings, uint8_t firstTrack, uint8_t lastTrack,
                     int32_t cdHandle, MessageTarget& messages, CddbEntryTarget& entry);
    /// Abandons the worker when it still runs.
    ~TQueryCDDBThread() override;
    TQueryCDDBThread(const TQueryCDDBThread&) = delete;
    TQueryCDDBThread& operator=(const TQueryCDDBThread&) = delete;

    /// Stop: once this returns, the worker calls neither target again, even while its server
    /// request still ends. Changes already made stay.
    /// Waits for a target call in progress; on the main thread it keeps running the main
    /// thread's pending synchronised calls meanwhile, so a target may hand its changes over
    /// with MainThread::InvokeSync.
    void Abandon() override;

private:
    struct State;
    std::shared_ptr<State> state_;
    Worker worker_;
};

} // namespace corvath
