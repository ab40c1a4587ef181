#pragma once

#include "audio/model/au_output.h"
#include "support/fake_components.h"
#include "support/temp_dir.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace corvath::test {

/// True when the command-line tool is installed.
bool HaveTool(const std::string& name);

/// Interleaved signed 16-bit samples as ffmpeg decodes the file ("" when it cannot).
std::vector<int16_t> FfmpegDecode(const std::filesystem::path& file);

/// Makes file with sox from nothing: options describe the file ("-b 16 -c 2 -r 44100"), then
/// `synth seconds sound` ("sine 440") fills it. Returns the file.
std::filesystem::path Sox(const std::filesystem::path& file, const std::string& options,
                          const std::string& seconds, const std::string& sound);

/// Interleaved signed 16-bit samples as sox decodes the file.
std::vector<int16_t> SoxDecode(const std::filesystem::path& file);

/// The sample bytes of a WAV file's data chunk, as stored.
std::string WaveData(const std::filesystem::path& file);

/// The CRC-32 of a file's bytes as zlib computes it ("1A2B3C4D"), through python3; "" without it.
std::string ZlibCrc32(const std::filesystem::path& file);

/// Signed 16-bit samples of little-endian bytes.
std::vector<int16_t> Samples16(const std::string& bytes);

/// The samples of one channel of interleaved sound: every channels-th from index channel on.
std::vector<int16_t> ChannelOf(const std::vector<int16_t>& interleaved, uint32_t channels,
                               uint32_t channel);

/// The frequency of a steady tone in Hz, counted from the periods between its first and its last
/// upward crossing of a band around zero (the band keeps coding noise from counting); 0 when the
/// samples hold less than one period.
double ToneFrequency(const std::vector<int16_t>& samples, uint32_t sampleRate);

/// The root mean square of the samples, as a fraction of full scale.
double Rms(const std::vector<int16_t>& samples);

/// A fixture that runs sinks to their end on the test's main thread.
class AudioRunFixture : public MainThreadFixture {
protected:
    /// Starts the sink and pumps until its OnDone; returns its LastError ("timeout" if it never
    /// ends).
    std::string Run(TAuOutput& sink);

    TempDir dir_;
};

} // namespace corvath::test
