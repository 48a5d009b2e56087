#include "frm_sponsors.h"

#include "pictures.h"

#include <QtGlobal>

#include <cstddef>

namespace lumox {

namespace {

std::array<int, sponsorPictureCount> &decodeCounts()
{
    static std::array<int, sponsorPictureCount> counts{};
    return counts;
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

} // namespace lumox

// The meta-object code of frm_sponsors.h, compiled here rather than in a unit of its own.
#include "moc_frm_sponsors.cpp" // NOLINT(bugprone-suspicious-include): moc writes it as .cpp
