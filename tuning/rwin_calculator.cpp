#include "rwin_calculator.h"

#include <cmath>

namespace lumox {

RwinCalculator::RwinCalculator(const QLocale &locale) : m_locale(locale)
{
    m_locale.setNumberOptions(QLocale::OmitGroupSeparator);
}

std::optional<double> RwinCalculator::readNumber(const QString &text) const
{
    bool ok = false;
    const double value = m_locale.toDouble(QStringView(text).trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString RwinCalculator::writeNumber(double value) const
{
    // Negative zero would otherwise come out as "-0".
    if (value == 0.0)
        value = std::fabs(value);
    return m_locale.toString(value, 'g', 15);
}

std::optional<QString> RwinCalculator::proposalText(const QString &mtuText) const
{
    const std::optional<double> mtu = readNumber(mtuText);
    if (!mtu)
        return std::nullopt;
    const double rwin = proposal(*mtu);
    if (!std::isfinite(rwin))
        return std::nullopt;
    return writeNumber(rwin);
}

std::optional<bool> RwinCalculator::isProposal(const QString &mtuText,
                                               const QString &rwinText) const
{
    const std::optional<double> mtu = readNumber(mtuText);
    const std::optional<double> rwin = readNumber(rwinText);
    if (!mtu || !rwin)
        return std::nullopt;
    return proposal(*mtu) == *rwin;
}

QString RwinCalculator::formulaCaption(const QString &mtuText)
{
    return QLatin1Char('(') + mtuText + QLatin1String(" - 40) * 4");
}

} // namespace lumox
