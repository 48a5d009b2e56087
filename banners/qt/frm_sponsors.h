#pragma once

#include "sponsor_draw.h"

#include <QPixmap>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>

namespace lumox {

// The sponsor's page, as the shared banner rules give it.
inline const QString sponsorAddress =
    QString::fromUtf8(sponsorPageAddress.data(), static_cast<qsizetype>(sponsorPageAddress.size()));

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

} // namespace lumox
