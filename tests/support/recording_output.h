#pragma once

#include "platform/cdaudio/audio_output.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace corvath::test {

/// The sound card of tests: each output its factory makes records what a play gives it as one
/// take. While held, a write waits until the hold is released or the output is aborted. After
/// RefuseOpening, outputs do not open and give the reason.
class RecordingOutput {
public:
    AudioOutputFactory Factory();

    std::vector<std::string> Takes() const;
    void Hold(bool held);
    void RefuseOpening(std::string reason);

private:
    struct Shared {
        mutable std::mutex mutex;
        std::condition_variable changed;
        bool held = false;
        std::string refusal;
        std::vector<std::string> takes;
    };
    class Output;

    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
};

} // namespace corvath::test
