#pragma once

#include "sponsor_draw.h"

#include <QPixmap>
#include <QWidget>

#include <array>

namespace lumox {

// The hidden window that holds the sponsor pictures. It decodes every
// picture exactly once, when it is created, and hands out its own pixmaps so
// that the banners share them instead of copying or decoding them again. The
// window is never shown: its only job is to keep the pictures for as long as
// it lives.
class frmSponsors : public QWidget
{
    Q_OBJECT

public:
    // Decodes the compiled-in sponsor pictures. A QApplication must exist.
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

} // namespace lumox
