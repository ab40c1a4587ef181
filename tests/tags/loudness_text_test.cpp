#include "tags/loudness.h"

#include <cmath>
#include <gtest/gtest.h>

namespace corvath {
namespace {

TEST(LoudnessTextTest, GainPeakAndR128Texts)
{
    struct Case {
        double lufs;
        double peak;
        const char* gain;
        const char* peakText;
        const char* r128;
    };
    const Case cases[] = {
        {-19.990456, 3277.0 / 32768, "1.99 dB", "0.100006", "-770"},
        {-6.679102, 0.50119, "-11.32 dB", "0.501190", "-4178"},
        {-20.720679, 0.290771, "2.72 dB", "0.290771", "-584"},
        {-11.091685, 1.0, "-6.91 dB", "1.000000", "-3049"},
        // Rounds to zero from below: no "-0.00".
        {-17.996, 0.0, "0.00 dB", "0.000000", "-1281"},
        {-18.0, 0.0, "0.00 dB", "0.000000", "-1280"},
        {-23.0, 1.2, "5.00 dB", "1.200000", "0"},
        // No loudness: silence, or less than one block.
        {-INFINITY, 0.0, "0.00 dB", "0.000000", "0"},
        {-INFINITY, 0.100006, "0.00 dB", "0.100006", "0"},
        // Q7.8 holds only -128..128 dB.
        {150.0, 1.0, "-168.00 dB", "1.000000", "-32768"},
        {-200.0, 0.0, "182.00 dB", "0.000000", "32767"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lufs);
        const Loudness loudness{c.lufs, c.peak};
        EXPECT_EQ(ReplayGainText(loudness), c.gain);
        EXPECT_EQ(ReplayGainPeakText(loudness), c.peakText);
        EXPECT_EQ(R128GainText(loudness), c.r128);
    }
}

} // namespace
} // namespace corvath
