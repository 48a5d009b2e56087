#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The rules of the sponsor banners that do not depend on a toolkit: which picture
// a tick shows, and which page a click opens.
namespace lumox {

// How many sponsor pictures the program carries; they are numbered from 1.
inline constexpr int sponsorPictureCount = 11;

// The banner timer's interval in milliseconds.
inline constexpr int bannerIntervalMs = 1750;

// The sponsor's page. Every banner click opens this one address, whatever
// picture the banner shows at that moment.
inline constexpr std::string_view sponsorPageAddress = "http://www.example.com/modem-mart/";

// The command line a click starts on Windows: "explorer", a blank and the address.
std::string sponsorCommandLine(std::string_view address);

// The sponsor number for a draw r from [0, 1): the integer part of
// r × sponsorPictureCount + 1, computed in single precision, so that each number
// takes an equal share of [0, 1). The result is always from 1 to
// sponsorPictureCount, also when rounding
// or a faulty draw (1, a negative value, NaN) would lead outside that range.
std::int16_t sponsorNumberForDraw(float r);

// A pseudo-random source of uniform values in [0, 1) that is reseeded from a
// clock before each draw. Every reseed takes a seed strictly greater than the
// one before, so two reseeds never repeat a seed, even when the clock has not
// moved on between them; the seed is mixed well enough that neighbouring
// seeds give unrelated draws.
class ClockSeededRandom
{
public:
    // A clock reading in nanoseconds; only its increase over time matters.
    using Clock = std::uint64_t (*)();

    // The monotonic system clock at its full (nanosecond) resolution.
    static std::uint64_t steadyNanoseconds();

    explicit ClockSeededRandom(Clock clock = &steadyNanoseconds);

    // Takes a new seed from the clock; the draws that follow depend only on it.
    void reseedFromClock();

    // The next value of the sequence: uniform in [0, 1), a multiple of 2^-24,
    // exactly representable in single precision and never 1.
    float next();

private:
    Clock m_clock;
    std::uint64_t m_lastSeed = 0;
    bool m_seeded = false;
    std::uint64_t m_state = 0;
};

// One banner change, as tmrAds_Timer makes it: reseeds from the clock, draws,
// and returns the sponsor number from 1 to sponsorPictureCount.
std::int16_t drawSponsorNumber(ClockSeededRandom &random);

} // namespace lumox
