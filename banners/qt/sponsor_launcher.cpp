#include "sponsor_launcher.h"

#include <QDesktopServices>
#include <QUrl>

#include <utility>

namespace lumox {

namespace {

SponsorLauncher::Launch &currentLauncher()
{
    static SponsorLauncher::Launch launcher;
    return launcher;
}

} // namespace

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
    return QDesktopServices::openUrl(QUrl(address));
}

} // namespace lumox
