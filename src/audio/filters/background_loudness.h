#pragma once

#include "audio/filters/track_loudness.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

namespace corvath {

/// Measures a track on a thread of its own, so that measuring runs beside the encoder instead
/// of adding to its time. Add copies the data; when 4 MiB wait unmeasured it waits for room.
/// Destruction drops what waits and joins the thread.
///
/// Add and Finish on one thread (the sink's worker).
class BackgroundLoudness {
public:
    BackgroundLoudness(TrackLoudness measurement, uint32_t bitsPerSample);
    ~BackgroundLoudness();
    BackgroundLoudness(const BackgroundLoudness&) = delete;
    BackgroundLoudness& operator=(const BackgroundLoudness&) = delete;

    void Add(std::span<const uint8_t> bytes);

    /// Waits until everything added is measured; the measurement. Raises what measuring raised.
    TrackLoudness& Finish();

private:
    void Run();

    TrackLoudness measurement_;
    const uint32_t bits_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<uint8_t>> waiting_;
    std::size_t waitingBytes_ = 0;
    bool finishing_ = false;
    bool stopping_ = false;
    std::exception_ptr failure_;
    std::thread thread_;
};

} // namespace corvath
