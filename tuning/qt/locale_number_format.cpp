#include "rwin_calculator.h"

#include <QChar>
#include <QStringView>

#include <string>

namespace lumox {

namespace {

std::string utf8Of(QStringView text)
{
    return text.toUtf8().toStdString();
}

} // namespace

NumberFormat numberFormatOf(const QLocale &locale)
{
    NumberFormat format;
    format.decimalSeparator = utf8Of(locale.decimalPoint());
    format.groupSeparator = utf8Of(locale.groupSeparator());
    format.minusSign = utf8Of(locale.negativeSign());
    format.plusSign = utf8Of(locale.positiveSign());
    const QString exponential = locale.exponential();
    format.exponential = utf8Of(exponential);
    // Qt compares the exponent marker without regard to case.
    if (exponential.toCaseFolded() != exponential)
        format.exponentialOtherCase = utf8Of(exponential.toCaseFolded());
    else if (exponential.toUpper() != exponential)
        format.exponentialOtherCase = utf8Of(exponential.toUpper());
    // The locale's digits follow its zero, which may lie outside the BMP.
    const QString zero = locale.zeroDigit();
    const char32_t zeroCodePoint =
        zero.size() == 2 ? QChar::surrogateToUcs4(zero[0], zero[1]) : zero[0].unicode();
    for (char32_t digit = 0; digit < 10; ++digit) {
        const char32_t codePoint = zeroCodePoint + digit;
        format.digits[digit] = utf8Of(QString::fromUcs4(&codePoint, 1));
    }
    format.readsLowercaseE = locale.percent() != QLatin1String("%");
    return format;
}

RwinCalculator::RwinCalculator(const QLocale &locale)
    : m_locale(locale), m_rules(numberFormatOf(locale))
{
}

std::optional<double> RwinCalculator::readNumber(const QString &text) const
{
    return m_rules.readNumber(utf8Of(text));
}

QString RwinCalculator::writeNumber(double value) const
{
    return QString::fromStdString(m_rules.writeNumber(value));
}

std::optional<QString> RwinCalculator::proposalText(const QString &mtuText) const
{
    const std::optional<std::string> text = m_rules.proposalText(utf8Of(mtuText));
    if (!text)
        return std::nullopt;
    return QString::fromStdString(*text);
}

std::optional<bool> RwinCalculator::isProposal(const QString &mtuText,
                                               const QString &rwinText) const
{
    return m_rules.isProposal(utf8Of(mtuText), utf8Of(rwinText));
}

QString RwinCalculator::formulaCaption(const QString &mtuText)
{
    return QString::fromStdString(RwinRules::formulaCaption(utf8Of(mtuText)));
}

} // namespace lumox
