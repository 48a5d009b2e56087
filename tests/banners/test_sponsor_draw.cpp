#include "sponsor_draw.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <set>

using lumox::ClockSeededRandom;
using lumox::sponsorNumberForDraw;

namespace {

// Every value the generator can produce is a multiple of 2^-24 below 1. Over
// all of them each sponsor number must take an equal share (to within one
// value, since 2^24 is not a multiple of 11), in increasing order.
TEST(SponsorNumberForDraw, GivesEachNumberAnEqualShareOfTheGeneratorsValues)
{
    constexpr std::uint32_t values = 1u << 24;
    std::array<std::uint32_t, 12> counts{};
    int previous = 1;
    for (std::uint32_t i = 0; i < values; ++i) {
        const int n = sponsorNumberForDraw(static_cast<float>(i) * 0x1p-24f);
        ASSERT_GE(n, previous) << "draw " << i << " of 2^24";
        ASSERT_LE(n, 11) << "draw " << i << " of 2^24";
        previous = n;
        ++counts[static_cast<std::size_t>(n)];
    }
    const double share = static_cast<double>(values) / 11.0;
    for (int n = 1; n <= 11; ++n)
        EXPECT_LT(std::abs(counts[static_cast<std::size_t>(n)] - share), 1.0) << "number " << n;
}

TEST(SponsorNumberForDraw, MapsEachEleventhOfTheRangeToItsNumber)
{
    for (int n = 1; n <= 11; ++n) {
        const float low = (static_cast<float>(n) - 1.0f + 0.001f) / 11.0f;
        const float middle = (static_cast<float>(n) - 0.5f) / 11.0f;
        const float high = (static_cast<float>(n) - 0.001f) / 11.0f;
        EXPECT_EQ(sponsorNumberForDraw(low), n);
        EXPECT_EQ(sponsorNumberForDraw(middle), n);
        EXPECT_EQ(sponsorNumberForDraw(high), n);
    }
}

TEST(SponsorNumberForDraw, StaysWithinTheElevenPicturesAtAndBeyondTheEnds)
{
    const float largestBelowOne = std::nextafter(1.0f, 0.0f);
    EXPECT_EQ(sponsorNumberForDraw(largestBelowOne), 11);
    EXPECT_EQ(sponsorNumberForDraw(0.0f), 1);
    EXPECT_EQ(sponsorNumberForDraw(-0.0f), 1);
    EXPECT_EQ(sponsorNumberForDraw(std::numeric_limits<float>::denorm_min()), 1);

    // Draws a faulty generator might deliver must still name a picture that exists.
    EXPECT_EQ(sponsorNumberForDraw(1.0f), 11);
    EXPECT_EQ(sponsorNumberForDraw(1.5f), 11);
    EXPECT_EQ(sponsorNumberForDraw(std::numeric_limits<float>::infinity()), 11);
    EXPECT_EQ(sponsorNumberForDraw(-0.25f), 1);
    EXPECT_EQ(sponsorNumberForDraw(-std::numeric_limits<float>::infinity()), 1);
    EXPECT_EQ(sponsorNumberForDraw(std::numeric_limits<float>::quiet_NaN()), 1);
}

// A clock replayed from a list of readings, so that a test can hold it still
// or turn it back.
struct ScriptedClock
{
    static inline std::array<std::uint64_t, 8> readings{};
    static inline std::size_t next = 0;
    static std::uint64_t read() { return readings[next++ % readings.size()]; }
};

TEST(ClockSeededRandom, NeverRepeatsADrawWhenTheClockStandsStillOrGoesBack)
{
    ScriptedClock::readings = {5000, 5000, 5000, 4000, 5000, 1, 5000, 5000};
    ScriptedClock::next = 0;
    ClockSeededRandom random(&ScriptedClock::read);

    std::set<float> draws;
    float previous = -1.0f;
    constexpr int reseeds = 2000;
    for (int i = 0; i < reseeds; ++i) {
        random.reseedFromClock();
        const float r = random.next();
        ASSERT_GE(r, 0.0f);
        ASSERT_LT(r, 1.0f);
        ASSERT_NE(r, previous) << "reseed " << i << " repeated the draw before it";
        previous = r;
        draws.insert(r);
    }
    // 2000 independent draws from 2^24 values collide about 0.1 times.
    EXPECT_GE(draws.size(), static_cast<std::size_t>(reseeds - 3));
}

TEST(ClockSeededRandom, DrawsAreSingleFloatsBelowOneFromTheRealClock)
{
    ClockSeededRandom random;
    for (int i = 0; i < 100000; ++i) {
        random.reseedFromClock();
        const float r = random.next();
        ASSERT_GE(r, 0.0f);
        ASSERT_LT(r, 1.0f);
        // A multiple of 2^-24: representable exactly, never rounded up to 1.
        const float scaled = r * 0x1p24f;
        ASSERT_EQ(scaled, std::floor(scaled));
    }
}

} // namespace
