#include "tags/loudness.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace corvath {

namespace {

constexpr double kReplayGainReference = -18.0;
constexpr double kR128Reference = -23.0;

// to_chars, unlike printf, ignores the locale's decimal separator.
std::string Fixed(double value, int decimals)
{
    char text[64];
    const auto result =
        std::to_chars(std::begin(text), std::end(text), value, std::chars_format::fixed, decimals);
    std::string fixed(text, result.ptr);
    // A small negative value rounds to "-0.00", which reads as a sign without a gain.
    if (fixed.front() == '-' && fixed.find_first_not_of("-0.") == std::string::npos)
        fixed.erase(0, 1);
    return fixed;
}

} // namespace

std::string ReplayGainText(const Loudness& loudness)
{
    const double gain = std::isfinite(loudness.lufs) ? kReplayGainReference - loudness.lufs : 0.0;
    return Fixed(gain, 2) + " dB";
}

std::string ReplayGainPeakText(const Loudness& loudness)
{
    return Fixed(loudness.peak, 6);
}

std::string R128GainText(const Loudness& loudness)
{
    if (!std::isfinite(loudness.lufs))
        return "0";
    const double q78 = std::round((kR128Reference - loudness.lufs) * 256.0);
    return std::to_string(static_cast<int>(std::clamp(q78, -32768.0, 32767.0)));
}

} // namespace corvath
