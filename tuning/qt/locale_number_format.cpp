#include "locale_number_format.h"

#include <QChar>
#include <QString>
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

} // namespace lumox
