#include "rip_bench_support.h"

#include "cd/process_info.h"
#include "platform/cdrom/cd_drive_interface.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <functional>
#include <mutex>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace corvath::bench {

namespace {

// Drops the workers' messages, remembering whether a track failed and how many rips ended.
class FailureWatch : public MessageTarget {
public:
    void Post(uint32_t, intptr_t, intptr_t, std::unique_ptr<MessagePayload> payload) override
    {
        const auto* info = dynamic_cast<const TProcessInfo*>(payload.get());
        const std::lock_guard lock(mutex_);
        if (info == nullptr || (info->Progress == kProgressExtracted && info->Status != 0))
            failed = true;
        if (info == nullptr || info->Progress == kProgressExtracted) {
            ++ended_;
            changed_.notify_all();
        }
    }

    // Until count rips have sent their last message.
    void WaitForEnds(uint32_t count)
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return ended_ >= count; });
    }

    std::atomic<bool> failed{false};

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    uint32_t ended_ = 0;
};

} // namespace

fs::path WriteNoiseImage(const ScratchFolder& folder, uint32_t sectors, uint32_t tracks)
{
    std::ofstream bin(folder / "disc.bin", std::ios::binary);
    std::mt19937 random(7);
    std::vector<uint32_t> sector(kCdSectorBytes / sizeof(uint32_t));
    for (uint32_t i = 0; i < sectors; ++i) {
        std::generate(sector.begin(), sector.end(), std::ref(random));
        bin.write(reinterpret_cast<const char*>(sector.data()), kCdSectorBytes);
    }
    std::string sheet = "FILE \"disc.bin\" BINARY\n";
    for (uint32_t track = 0; track < tracks; ++track) {
        const uint32_t start = track * (sectors / tracks);
        char lines[96];
        std::snprintf(lines, sizeof lines, "  TRACK %02u AUDIO\n    INDEX 01 %02u:%02u:%02u\n",
                      track + 1, start / 4500, start / 75 % 60, start % 75);
        sheet += lines;
    }
    std::ofstream(folder / "disc.cue") << sheet;
    if (!bin.flush())
        throw std::runtime_error("cannot write the disc image");
    return folder / "disc.cue";
}

int32_t OpenLayerHandle(const fs::path& image)
{
    const int32_t handle = OpenDiscImage(image.string());
    if (handle == 0)
        throw std::runtime_error("the CD layer cannot open " + image.string());
    return handle;
}

double RipAllTracks(int32_t handle, uint32_t tracks, const RipWaveOptions& options)
{
    FailureWatch watch;
    const double seconds = SecondsOf([&] {
        for (uint32_t track = 1; track <= tracks; ++track) {
            TCDRipThread worker(static_cast<int32_t>(track), "Track" + std::to_string(track),
                                handle, watch, options);
            worker.Start();
            watch.WaitForEnds(track);
        }
    });
    if (watch.failed)
        throw std::runtime_error("the rip worker failed");
    return seconds;
}

} // namespace corvath::bench
