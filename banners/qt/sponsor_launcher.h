#pragma once

#include "sponsor_draw.h"

#include <QString>

#include <functional>

namespace lumox {

// The sponsor's page, as the shared banner rules give it.
inline const QString sponsorAddress =
    QString::fromUtf8(sponsorPageAddress.data(), static_cast<qsizetype>(sponsorPageAddress.size()));

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

    // The real launcher: hands the address to the desktop's web browser. It returns
    // once the browser has been started or could not be, and reports which.
    static bool openInSystemBrowser(const QString &address);
};

} // namespace lumox
