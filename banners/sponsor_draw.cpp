#include "sponsor_draw.h"

#include <chrono>
#include <cmath>

namespace lumox {

std::string sponsorCommandLine(std::string_view address)
{
    std::string commandLine = "explorer ";
    commandLine += address;
    return commandLine;
}

std::int16_t sponsorNumberForDraw(float r)
{
    const float number = std::floor(r * static_cast<float>(sponsorPictureCount) + 1.0f);
    // Written so that NaN falls to the lowest number.
    if (!(number >= 1.0f))
        return 1;
    if (number >= static_cast<float>(sponsorPictureCount))
        return sponsorPictureCount;
    return static_cast<std::int16_t>(number);
}

std::uint64_t ClockSeededRandom::steadyNanoseconds()
{
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(sinceStart).count());
}

ClockSeededRandom::ClockSeededRandom(Clock clock) : m_clock(clock)
{
    reseedFromClock();
}

void ClockSeededRandom::reseedFromClock()
{
    std::uint64_t seed = m_clock();
    // A clock that has not moved on, or has stepped back, still gives a new seed.
    if (m_seeded && seed <= m_lastSeed)
        seed = m_lastSeed + 1;
    m_lastSeed = seed;
    m_seeded = true;
    m_state = seed;
}

float ClockSeededRandom::next()
{
    // SplitMix64: a Weyl sequence through a strong 64-bit mixer, so that seeds
    // a few nanoseconds apart still give unrelated values.
    m_state += 0x9e3779b97f4a7c15u;
    std::uint64_t z = m_state;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    z ^= z >> 31;
    // The top 24 bits fill a float's significand exactly: no rounding up to 1.
    return static_cast<float>(z >> 40) * 0x1p-24f;
}

std::int16_t drawSponsorNumber(ClockSeededRandom &random)
{
    random.reseedFromClock();
    return sponsorNumberForDraw(random.next());
}

} // namespace lumox
