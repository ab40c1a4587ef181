#pragma once

#include "audio/model/au_exception.h"
#include "audio/model/au_input.h"
#include "audio/model/au_streamed_output.h"
#include "audio/model/call_dispatcher.h"
#include "audio/model/memory_stream.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace corvath::test {

/// Memory that reads only forward, as a pipe does.
class ForwardStream : public TMemoryStream {
public:
    int64_t Seek(int64_t, TSeekOrigin) override { throw EAuException("cannot seek"); }
    bool IsSeekable() const override { return false; }
};

/// A source of total bytes (16-bit stereo at 44.1 kHz unless told otherwise) counting bytes
/// (byte i = i mod 251), in chunks of at most chunkBytes, optionally slow or failing at a given
/// byte.
class FakeSource : public TAuInput {
public:
    using TAuInput::TAuInput;

    uint32_t channels = 2;
    uint32_t bits = 16;
    uint32_t rate = 44100;
    int64_t total = 44100 * 4;
    int64_t announced = -2; // -2: announce total
    uint32_t chunkBytes = 4096;
    std::chrono::microseconds delay{0};
    int64_t failAt = -1;
    bool failOpen = false;
    std::atomic<int> opens{0};
    std::atomic<int> closes{0};

    uint32_t GetBitsPerSample() override { return bits; }
    uint32_t GetChannels() override { return channels; }
    uint32_t GetSampleRate() override { return rate; }

protected:
    void OpenSource() override
    {
        if (failOpen)
            throw EAuException("cannot open the fake");
        ++opens;
        busy_ = true;
        position_ = 0;
        delivered_ = 0;
        size_ = announced == -2 ? total : announced;
    }
    void CloseSource() override
    {
        ++closes;
        busy_ = false;
    }
    AudioChunk ReadChunk(uint32_t wanted) override
    {
        if (delay.count() > 0)
            std::this_thread::sleep_for(delay);
        if (failAt >= 0 && delivered_ >= failAt)
            throw EAuException("the fake broke");
        const auto bytes =
            static_cast<uint32_t>(std::min<int64_t>({wanted, chunkBytes, total - delivered_}));
        buffer_.resize(bytes);
        for (uint32_t i = 0; i < bytes; ++i)
            buffer_[i] = static_cast<uint8_t>((delivered_ + i) % 251);
        delivered_ += bytes;
        position_ += bytes;
        return {buffer_.data(), bytes};
    }

private:
    int64_t delivered_ = 0;
    std::vector<uint8_t> buffer_;
};

/// A sink that copies its input into memory and records what the worker did.
class MemorySink : public TAuStreamedOutput {
public:
    using TAuStreamedOutput::TAuStreamedOutput;

    std::vector<uint8_t> written; // worker only while running
    std::atomic<int> finishes{0};
    std::atomic<bool> stoppedAtFinish{false};
    std::atomic<bool> failPrepare{false};
    std::atomic<bool> failFinish{false};

protected:
    void PrepareOutput() override
    {
        if (failPrepare)
            throw EAuException("cannot prepare");
        written.clear();
        Input()->OpenForRun();
    }
    bool WriteStep(bool abort) override
    {
        if (abort)
            return false;
        const AudioChunk chunk = Input()->ReadData(16384);
        if (chunk.data == nullptr || chunk.bytes == 0)
            return false;
        written.insert(written.end(), chunk.data, chunk.data + chunk.bytes);
        return true;
    }
    void FinishOutput() override
    {
        ++finishes;
        stoppedAtFinish = WasStopped();
        Input()->EndRead();
        if (failFinish)
            throw EAuException("cannot finish");
    }
};

/// Installs a dispatcher as the main thread for one test and pumps it.
class MainThreadFixture : public ::testing::Test {
protected:
    void SetUp() override { MainThread::Install(&main_); }
    void TearDown() override { MainThread::Install(nullptr); }

    /// Runs the main thread's waiting calls until done() holds or the time runs out.
    bool PumpUntil(const std::function<bool()>& done,
                   std::chrono::milliseconds timeout = std::chrono::seconds(10))
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            main_.WaitAndProcess(std::chrono::milliseconds(5));
        }
        return true;
    }

    /// Runs the main thread's waiting calls for a while.
    void Pump(std::chrono::milliseconds duration)
    {
        PumpUntil([] { return false; }, duration);
    }

    CallDispatcher main_;
};

} // namespace corvath::test
