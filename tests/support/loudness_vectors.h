#pragma once

#include <filesystem>
#include <string>

namespace corvath::test {

/// Makes a 10 s, 44.1 kHz, 16-bit WAV file with ffmpeg from a lavfi source ("anullsrc=..."),
/// bit-exact, so the same source always gives the same bytes; codec may ask for another sample
/// format ("pcm_s24le"). Returns the file.
std::filesystem::path LavfiWav(const std::filesystem::path& file, const std::string& source,
                               const std::string& codec = "pcm_s16le");

/// What ffmpeg's ebur128 filter measures of a file (integrated loudness, LUFS) and its astats
/// filter (the sample peak, as a linear ratio): the figures other programs hold ours to.
struct FfmpegLoudness {
    double lufs = 0;
    double peak = 0;
};
FfmpegLoudness FfmpegMeasure(const std::filesystem::path& file);

/// The loudness test signals, made by LavfiWav: two steady tones (1 kHz at 0.1 full scale and
/// 440 Hz at -6 dBFS, stereo), the 1 kHz tone in mono, pink noise (seed 42, both channels alike)
/// and digital silence.
inline constexpr const char* kTone1kSource =
    "aevalsrc=0.1*sin(2*PI*1000*t)|0.1*sin(2*PI*1000*t):s=44100:d=10";
inline constexpr const char* kTone440Source =
    "aevalsrc=pow(10\\,-6/20)*sin(2*PI*440*t)|pow(10\\,-6/20)*sin(2*PI*440*t):s=44100:d=10";
inline constexpr const char* kTone1kMonoSource = "aevalsrc=0.1*sin(2*PI*1000*t):s=44100:d=10";
inline constexpr const char* kPinkNoiseSource = "anoisesrc=c=pink:r=44100:a=0.5:s=42:d=10";
inline constexpr const char* kSilenceSource = "anullsrc=r=44100:cl=stereo:d=10";

} // namespace corvath::test
