#include "platform/cdrom/disc_id.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

TEST(FreedbDiscIdTest, PublishedTenTrackDisc)
{
    const DiscFrames disc{{150, 12767, 40487, 63225, 93410, 118115, 151865, 184340, 215260,
                           247455},
                          270335};
    EXPECT_EQ(FreedbDiscId(disc), "890e120a");
}

} // namespace
} // namespace corvath
