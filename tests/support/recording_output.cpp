#include "support/recording_output.h"

#include <utility>

namespace corvath::test {

class RecordingOutput::Output final : public AudioOutput {
public:
    explicit Output(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}

    std::string Open() override
    {
        const std::lock_guard lock(shared_->mutex);
        if (!shared_->refusal.empty())
            return shared_->refusal;
        take_ = shared_->takes.size();
        shared_->takes.emplace_back();
        return {};
    }

    bool Write(const uint8_t* bytes, std::size_t size) override
    {
        std::unique_lock lock(shared_->mutex);
        shared_->changed.wait(lock, [&] { return !shared_->held || aborted_; });
        if (aborted_)
            return false;
        shared_->takes[take_].append(reinterpret_cast<const char*>(bytes), size);
        return true;
    }

    void Abort() override
    {
        {
            const std::lock_guard lock(shared_->mutex);
            aborted_ = true;
        }
        shared_->changed.notify_all();
    }

private:
    std::shared_ptr<Shared> shared_;
    std::size_t take_ = 0;
    bool aborted_ = false;
};

AudioOutputFactory RecordingOutput::Factory()
{
    return [shared = shared_] { return std::make_unique<Output>(shared); };
}

std::vector<std::string> RecordingOutput::Takes() const
{
    const std::lock_guard lock(shared_->mutex);
    return shared_->takes;
}

void RecordingOutput::Hold(bool held)
{
    {
        const std::lock_guard lock(shared_->mutex);
        shared_->held = held;
    }
    shared_->changed.notify_all();
}

void RecordingOutput::RefuseOpening(std::string reason)
{
    const std::lock_guard lock(shared_->mutex);
    shared_->refusal = std::move(reason);
}

} // namespace corvath::test
