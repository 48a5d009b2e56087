#include "pictures.h"

#include <QtGlobal>

namespace lumox::pictures {

QString sponsorBanner(int number)
{
    Q_ASSERT(number >= 1 && number <= sponsorCount);
    return QStringLiteral(":/banners/sponsor%1.gif").arg(number, 2, 10, QLatin1Char('0'));
}

} // namespace lumox::pictures
