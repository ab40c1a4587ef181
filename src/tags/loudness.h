#pragma once

#include <string>

namespace corvath {

/// One EBU R128 measurement of a track or an album: the integrated loudness in LUFS, -infinity
/// when there is none (silence, or less than 400 ms of sound), and the sample peak as a linear
/// ratio, 1.0 full scale.
struct Loudness {
    double lufs;
    double peak;
};

/// The ReplayGain 2.0 gain to the -18 LUFS reference: "1.99 dB", "-11.32 dB"; "0.00 dB" without
/// a loudness. Any thread, whatever the locale.
std::string ReplayGainText(const Loudness& loudness);

/// The ReplayGain peak with six decimals: "0.100006". Any thread, whatever the locale.
std::string ReplayGainPeakText(const Loudness& loudness);

/// The Opus R128 gain to the -23 LUFS reference as Q7.8 decimal text ("-770"), for an output
/// gain of 0, clamped to -32768..32767; "0" without a loudness. Any thread.
std::string R128GainText(const Loudness& loudness);

} // namespace corvath
