#include "sponsor_banners.h"

#include "pictures.h"

#include <QImage>
#include <QImageReader>
#include <QtGlobal>

#include <chrono>
#include <cmath>
#include <cstddef>
#include <utility>

#ifdef Q_OS_WIN
#include <QProcess>
#include <QStringList>
#include <qt_windows.h>
#else
#include <QDesktopServices>
#include <QUrl>
#endif

namespace lumox {

namespace {

std::array<int, sponsorPictureCount> &decodeCounts()
{
    static std::array<int, sponsorPictureCount> counts{};
    return counts;
}

SponsorLauncher::Launch &currentLauncher()
{
    static SponsorLauncher::Launch launcher;
    return launcher;
}

} // namespace

frmSponsors::frmSponsors() : QWidget(nullptr, Qt::Window)
{
    setObjectName(QStringLiteral("frmSponsors"));
    // A hidden window must never keep the program alive or end it.
    setAttribute(Qt::WA_QuitOnClose, false);
    for (int number = 1; number <= sponsorPictureCount; ++number) {
        // Decoded through an image reader rather than QPixmap(path), which would
        // hand out a copy from the global pixmap cache instead of decoding.
        QImageReader reader(pictures::sponsorBanner(number));
        m_pictures[number - 1] = QPixmap::fromImage(reader.read());
        ++decodeCounts()[number - 1];
    }
}

frmSponsors::~frmSponsors() = default;

const QPixmap &frmSponsors::picture(int number) const
{
    Q_ASSERT(number >= 1 && number <= sponsorPictureCount);
    return m_pictures[static_cast<std::size_t>(number - 1)];
}

int frmSponsors::decodeCount(int number)
{
    Q_ASSERT(number >= 1 && number <= sponsorPictureCount);
    return decodeCounts()[static_cast<std::size_t>(number - 1)];
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

bool SponsorLauncher::open(const QString &address)
{
    if (currentLauncher())
        return currentLauncher()(address);
    return openInSystemBrowser(address);
}

void SponsorLauncher::setLauncher(Launch launcher)
{
    currentLauncher() = std::move(launcher);
}

bool SponsorLauncher::openInSystemBrowser(const QString &address)
{
#ifdef Q_OS_WIN
    // "explorer" given a web address opens it in the user's browser.
    QProcess process;
    process.setProgram(QStringLiteral("explorer"));
    process.setArguments(QStringList{address});
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *arguments) {
        arguments->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
        arguments->startupInfo->wShowWindow = SW_SHOWNORMAL;
    });
    return process.startDetached();
#else
    return QDesktopServices::openUrl(QUrl(address));
#endif
}

QString sponsorPageUnavailableText(const QString &address)
{
    return QStringLiteral("Your web browser could not be started to show our sponsor's page. "
                          "You can visit it by typing this address into your browser:\n\n%1")
        .arg(address);
}

} // namespace lumox
