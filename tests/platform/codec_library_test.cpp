#include "platform/dynlib/codec_library.h"

#include <cmath>
#include <gtest/gtest.h>

namespace corvath {
namespace {

// The C library's maths is a library every machine has: it stands in for a codec.
struct MathApi {
    double (*cos)(double) = nullptr;
    double (*sin)(double) = nullptr;
};

CodecLibrary<MathApi> MathLibrary(const char* missingName = nullptr)
{
    return CodecLibrary<MathApi>(
        "libm.so.6", [missingName](const DynamicLibrary& library, MathApi& api) {
            return library.Resolve("cos", api.cos) &&
                   library.Resolve(missingName ? missingName : "sin", api.sin);
        });
}

TEST(CodecLibrary, ResolvesEveryEntryPointOrCountsAsMissing)
{
    auto math = MathLibrary();
    EXPECT_FALSE(math.Loaded());
    ASSERT_TRUE(math.Load());
    EXPECT_DOUBLE_EQ(math.Functions().cos(0.0), 1.0);
    math.Unload();
    EXPECT_FALSE(math.Loaded());
    EXPECT_EQ(math.Functions().cos, nullptr);

    auto incomplete = MathLibrary("no_such_function");
    EXPECT_FALSE(incomplete.Load());
    EXPECT_EQ(incomplete.Functions().cos, nullptr) << "a half-resolved table must not be used";
}

TEST(CodecLibrary, AMissingFileGivesTheMessageWithItsName)
{
    auto math = MathLibrary();
    math.SetFileName("libnothing.so.9");
    EXPECT_FALSE(math.Load());
    EXPECT_EQ(math.NotLoadedMessage(), "libnothing.so.9 library could not be loaded.");
}

} // namespace
} // namespace corvath
