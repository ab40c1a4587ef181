#include "audio/filters/background_loudness.h"

namespace corvath {

namespace {

constexpr std::size_t kMostWaitingBytes = 4 << 20;

} // namespace

BackgroundLoudness::BackgroundLoudness(TrackLoudness measurement, uint32_t bitsPerSample)
    : measurement_(std::move(measurement)), bits_(bitsPerSample), thread_([this] { Run(); })
{
}

BackgroundLoudness::~BackgroundLoudness()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void BackgroundLoudness::Add(std::span<const uint8_t> bytes)
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return waitingBytes_ < kMostWaitingBytes || failure_; });
    if (failure_)
        return; // Finish tells
    waiting_.emplace_back(bytes.begin(), bytes.end());
    waitingBytes_ += bytes.size();
    lock.unlock();
    changed_.notify_all();
}

TrackLoudness& BackgroundLoudness::Finish()
{
    {
        std::lock_guard lock(mutex_);
        finishing_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
    if (failure_)
        std::rethrow_exception(failure_);
    return measurement_;
}

void BackgroundLoudness::Run()
{
    std::unique_lock lock(mutex_);
    while (true) {
        changed_.wait(lock, [this] { return stopping_ || finishing_ || !waiting_.empty(); });
        if (stopping_ || (waiting_.empty() && finishing_))
            return;
        const std::vector<uint8_t> bytes = std::move(waiting_.front());
        waiting_.pop_front();
        lock.unlock();
        try {
            measurement_.Add(bytes, bits_);
        } catch (...) {
            lock.lock();
            failure_ = std::current_exception();
            changed_.notify_all();
            return;
        }
        lock.lock();
        waitingBytes_ -= bytes.size();
        changed_.notify_all();
    }
}

} // namespace corvath
