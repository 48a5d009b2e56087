#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>

namespace lumox {

// How many sponsor pictures the program carries; they are numbered from 1.
inline constexpr int sponsorPictureCount = 11;

// The sponsor's page. Every banner click opens this one address, whatever
// picture the banner shows at that moment.
inline const QString sponsorAddress = QStringLiteral("http://www.example.com/modem-mart/");

// The hidden window that holds the eleven sponsor pictures. It decodes every
// picture exactly once, when it is created, and hands out its own pixmaps so
// that the banners share them instead of copying or decoding them again. The
// window is never shown: its only job is to keep the pictures for as long as
// it lives.
class frmSponsors : public QWidget
{
    Q_OBJECT

public:
    // Decodes the eleven compiled-in sponsor pictures. A QApplication must exist.
    frmSponsors();
    ~frmSponsors() override;

    // The store's own picture with the given number, which must be from 1 to
    // sponsorPictureCount. The reference stays valid as long as the store lives;
    // copies of it share the store's pixel data.
    const QPixmap &picture(int number) const;

    // How many times sponsor picture `number` (1 to sponsorPictureCount) has been
    // decoded by all stores created so far in this process.
    static int decodeCount(int number);

private:
    std::array<QPixmap, sponsorPictureCount> m_pictures;
};

// The sponsor number for a draw r from [0, 1): the integer part of r × 11 + 1,
// computed in single precision, so that each number from 1 to 11 takes an
// equal share of [0, 1). The result is always from 1 to 11, also when rounding
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

// Opening the sponsor's page in a web browser. Everything that opens it goes
// through open(), so that tests can replace the real browser start.
class SponsorLauncher
{
public:
    // Starts opening the address and returns whether that could be started.
    using Launch = std::function<bool(const QString &address)>;

    // Opens the address with the current launcher, without waiting for the
    // browser, and returns whether it could be started.
    static bool open(const QString &address);

    // Replaces the launcher; an empty function restores the real one.
    static void setLauncher(Launch launcher);

    // The real launcher. On Windows it starts the command line "explorer"
    // followed by a blank and the address, as a separate process whose window
    // is shown normally and takes the focus; elsewhere it hands the address to
    // the desktop's web browser. It returns once the browser has been started
    // or could not be, and reports which.
    static bool openInSystemBrowser(const QString &address);
};

// What the user is told when the sponsor's page could not be opened: the
// address, so that it can be typed into a browser by hand.
QString sponsorPageUnavailableText(const QString &address);

} // namespace lumox
