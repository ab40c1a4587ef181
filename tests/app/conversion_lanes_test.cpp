#include "app/conversion_lanes.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <thread>

namespace corvath {
namespace {

TEST(ConversionLanesTest, AChosenCountIsKeptWithinTheLimitsAndNoneGivesOnePerProcessor)
{
    const auto processors = static_cast<int32_t>(std::thread::hardware_concurrency());
    struct Case {
        int32_t chosen;
        int32_t lanes;
    };
    for (const Case& each : {Case{0, std::max(processors, 1)},
                             {1, 1},
                             {3, 3},
                             {kMostConversionLanes, kMostConversionLanes},
                             {kMostConversionLanes + 1, kMostConversionLanes},
                             {-4, 1}})
        EXPECT_EQ(ConversionLanes(each.chosen), each.lanes) << each.chosen;
}

} // namespace
} // namespace corvath
