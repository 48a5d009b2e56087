#include "rwin_calculator.h"

#include <cmath>

namespace lumox {

RwinCalculator::RwinCalculator(const QLocale &locale) : m_locale(locale)
{
    // A group separator makes a text no number: "1,500" would otherwise be read
    // as 1500 here and then refused when saved.
    m_locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
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
    // ASCII digits in every locale, since saving accepts nothing else; only the
    // decimal separator is the locale's own.
    QString text = QString::number(value, 'g', 15).toUpper();
    text.replace(QLatin1Char('.'), m_locale.decimalPoint());
    return text;
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
