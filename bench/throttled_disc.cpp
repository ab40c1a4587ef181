#include "throttled_disc.h"

#include "platform/cdrom/cd_drive_interface.h"
#include "platform/cdrom/cd_records.h"
#include "platform/cdrom/images/image_disc.h"

#include <algorithm>
#include <stdexcept>
#include <thread>

namespace corvath::bench {

namespace {

constexpr double kBytesPerSecondAt1x = 176'400;

} // namespace

ThrottledDisc::ThrottledDisc(std::unique_ptr<OpenDisc> disc, double speed)
    : disc_(std::move(disc)), perSector_(kCdSectorBytes / (kBytesPerSecondAt1x * speed))
{
}

int32_t ThrottledDisc::OpenHandle(const std::filesystem::path& image, double speed)
{
    ImageParse parse = ReadImage(image);
    std::string problem = parse.problem;
    std::unique_ptr<ImageDisc> disc;
    if (parse.layout)
        disc = ImageDisc::Open(std::move(*parse.layout), problem);
    if (!disc)
        throw std::runtime_error("cannot read " + image.string() + ": " + problem);
    const int32_t handle = OpenDiscHandle(std::make_unique<ThrottledDisc>(std::move(disc), speed));
    if (handle == 0)
        throw std::runtime_error("the CD layer took no more discs");
    return handle;
}

bool ThrottledDisc::ReadAudio(uint8_t* data, uint32_t start, uint32_t count)
{
    Pace(count);
    return disc_->ReadAudio(data, start, count);
}

bool ThrottledDisc::ReadAudioSecure(uint8_t* data, uint32_t start, uint32_t count,
                                    std::vector<uint32_t>& doubtful, const std::stop_token& stop)
{
    Pace(count);
    return disc_->ReadAudioSecure(data, start, count, doubtful, stop);
}

void ThrottledDisc::Pace(uint32_t count)
{
    Clock::time_point due;
    {
        const std::lock_guard lock(mutex_);
        const Clock::time_point from = std::max(Clock::now(), due_.value_or(Clock::now()));
        due = from + std::chrono::duration_cast<Clock::duration>(perSector_ * count);
        due_ = due;
    }
    std::this_thread::sleep_until(due);
}

} // namespace corvath::bench
