#include "sponsor_banners.h"

#include "pictures.h"

#include <QtGlobal>

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
        // Decoded by the program itself, with no image plugin, and never taken from
        // the global pixmap cache.
        m_pictures[number - 1] =
            QPixmap::fromImage(pictures::readPicture(pictures::sponsorBanner(number)));
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

} // namespace lumox
