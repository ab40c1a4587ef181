// The default sound output over PortAudio's blocking write stream.

#include "platform/cdaudio/audio_output.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <portaudio.h>
#include <string>

namespace corvath {

namespace {

constexpr int kChannels = 2;
constexpr double kSampleRate = 44100;
constexpr std::size_t kFrameBytes = kChannels * sizeof(int16_t);
// Writes go out in pieces this small so that Abort, which only raises a flag, takes effect
// within one device buffer: PortAudio does not promise that a stream may be aborted from one
// thread while another writes to it.
constexpr std::size_t kFramesPerPiece = 1024;

// PortAudio counts its initialisations, but the calls themselves must not overlap.
std::mutex& LibraryMutex()
{
    static std::mutex mutex;
    return mutex;
}

// One reference to the PortAudio library, held from a successful Pa_Initialize on.
class PortAudioSession {
public:
    PortAudioSession()
    {
        const std::lock_guard lock(LibraryMutex());
        error_ = Pa_Initialize();
    }
    ~PortAudioSession()
    {
        if (error_ == paNoError) {
            const std::lock_guard lock(LibraryMutex());
            Pa_Terminate();
        }
    }
    PortAudioSession(const PortAudioSession&) = delete;
    PortAudioSession& operator=(const PortAudioSession&) = delete;

    PaError Error() const { return error_; }

private:
    PaError error_ = paNoError;
};

std::string Problem(const char* what, PaError error)
{
    return std::string(what) + " (" + Pa_GetErrorText(error) + ")";
}

// Aborting rather than stopping drops what the device still holds.
struct StreamCloser {
    void operator()(PaStream* stream) const
    {
        Pa_AbortStream(stream);
        Pa_CloseStream(stream);
    }
};
using StreamHandle = std::unique_ptr<PaStream, StreamCloser>;

class SoundCardOutput final : public AudioOutput {
public:
    ~SoundCardOutput() override
    {
        // A play that was not aborted lets the device play out what it holds.
        if (stream_ && !aborted_)
            Pa_StopStream(stream_.get());
    }

    std::string Open() override
    {
        session_.emplace();
        if (session_->Error() != paNoError)
            return Problem("the sound system did not start", session_->Error());
        if (Pa_GetDefaultOutputDevice() == paNoDevice)
            return "there is no sound output device";
        PaStream* stream = nullptr;
        const PaError opened = Pa_OpenDefaultStream(&stream, 0, kChannels, paInt16, kSampleRate,
                                                    paFramesPerBufferUnspecified, nullptr, nullptr);
        if (opened != paNoError)
            return Problem("the sound output could not be opened", opened);
        stream_.reset(stream);
        const PaError started = Pa_StartStream(stream);
        return started == paNoError ? std::string()
                                    : Problem("the sound output did not start", started);
    }

    bool Write(const uint8_t* bytes, std::size_t size) override
    {
        if (!stream_)
            return false;
        std::size_t frames = size / kFrameBytes;
        while (frames > 0) {
            if (aborted_)
                return false;
            const std::size_t piece = std::min(frames, kFramesPerPiece);
            const PaError error =
                Pa_WriteStream(stream_.get(), bytes, static_cast<unsigned long>(piece));
            // An underflow only means the device ran dry for a moment.
            if (error != paNoError && error != paOutputUnderflowed)
                return false;
            bytes += piece * kFrameBytes;
            frames -= piece;
        }
        return !aborted_;
    }

    void Abort() override { aborted_ = true; }

private:
    // The stream goes before the library reference it needs.
    std::optional<PortAudioSession> session_;
    StreamHandle stream_;
    std::atomic<bool> aborted_{false};
};

} // namespace

std::unique_ptr<AudioOutput> MakeSoundCardOutput()
{
    return std::make_unique<SoundCardOutput>();
}

} // namespace corvath
