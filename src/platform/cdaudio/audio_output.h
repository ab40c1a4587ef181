#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace corvath {

/// Where played CD audio goes: 44100 Hz, 16-bit little-endian stereo frames.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    /// Opens the device: empty when it is open, else why not, in words for the user (there is
    /// no device, it refuses). Player thread.
    virtual std::string Open() = 0;

    /// Plays size bytes of whole frames; blocks while the device has no room. False when the
    /// device failed or Abort was called. Player thread.
    virtual bool Write(const uint8_t* bytes, std::size_t size) = 0;

    /// Makes a Write under way return (false) at once and every later one fail; what is
    /// buffered is dropped. Any thread.
    virtual void Abort() = 0;
};

/// Makes the output a player uses for each play.
using AudioOutputFactory = std::function<std::unique_ptr<AudioOutput>()>;

/// The system's default sound output (PortAudio).
std::unique_ptr<AudioOutput> MakeSoundCardOutput();

} // namespace corvath
