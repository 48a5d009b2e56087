// Fuzzes the RWIN calculator's reading and writing of numbers, and checks them against
// Qt's own: a text reads as the number QLocale::toDouble reads from it (group separators
// refused, the text trimmed, the result finite), and a number is written as
// QString::number(value, 'g', 15) in capitals with the locale's decimal separator.
//
// Input: the first byte chooses the locale (its value modulo the number of locales, in
// the order of localeCases()) and how the rest is decoded (its value divided by that
// number, modulo 2: UTF-8, or UTF-16 in little-endian byte order, which also reaches
// lone surrogates). The decoded text is the MTU text up to its first line feed and the
// RWIN text after it.

#include "fuzz_support.h"
#include "locale_number_format.h"
#include "rwin_rules.h"

#include <QByteArray>
#include <QChar>
#include <QLocale>
#include <QString>
#include <QStringView>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

using lumox::RwinRules;
using lumox::fuzzing::printable;

// The calculator as the Qt front end drives it: the shared rules in a locale's number
// format, over QString texts handed over in UTF-8.
class LocaleCalculator
{
public:
    explicit LocaleCalculator(const QLocale &locale = QLocale::c())
        : m_rules(lumox::numberFormatOf(locale))
    {
    }

    std::optional<double> readNumber(const QString &text) const
    {
        return m_rules.readNumber(text.toStdString());
    }
    QString writeNumber(double value) const
    {
        return QString::fromStdString(m_rules.writeNumber(value));
    }
    std::optional<QString> proposalText(const QString &mtu) const
    {
        const std::optional<std::string> text = m_rules.proposalText(mtu.toStdString());
        return text ? std::optional(QString::fromStdString(*text)) : std::nullopt;
    }
    std::optional<bool> isProposal(const QString &mtu, const QString &rwin) const
    {
        return m_rules.isProposal(mtu.toStdString(), rwin.toStdString());
    }

private:
    RwinRules m_rules;
};

struct LocaleCase
{
    const char *name;
    QLocale locale;
    LocaleCalculator calculator;
};

QLocale refusingGroups(const char *name)
{
    QLocale locale{QLatin1String(name)};
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return locale;
}

// The first three are the locales the corpus began with; the others bring what they do
// not have: local digits (also beyond the BMP), minus signs with direction marks or
// U+2212, exponent markers that are no letter e (some refusing a lower-case "e"), a
// Cyrillic exponent, an apostrophe or a no-break space as group separator.
constexpr std::array localeNames = {"en_US",  "de_DE", "fr_FR", "ar_EG", "fa_IR",
                                    "sv_SE",  "uk_UA", "de_CH", "ur_IN", "ks_IN",
                                    "ccp_BD", "my_MM", "ar_DZ", "sl_SI", "C"};

std::array<LocaleCase, localeNames.size()> &localeCases()
{
    static std::array<LocaleCase, localeNames.size()> cases = [] {
        std::array<LocaleCase, localeNames.size()> made;
        for (std::size_t i = 0; i < localeNames.size(); ++i)
            made[i] = {localeNames[i], refusingGroups(localeNames[i]),
                       LocaleCalculator(QLocale(QLatin1String(localeNames[i])))};
        return made;
    }();
    return cases;
}

std::string describe(const LocaleCase &locale, const QString &mtu, const QString &rwin)
{
    return std::string("locale ") + locale.name + ", MTU text \"" +
           printable(mtu.toUtf8().toStdString()) + "\", RWIN text \"" +
           printable(rwin.toUtf8().toStdString()) + "\"";
}

QString decode(const std::uint8_t *data, std::size_t size, bool utf16)
{
    if (!utf16) {
        return QString::fromUtf8(reinterpret_cast<const char *>(data),
                                 static_cast<qsizetype>(size));
    }
    QString text;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        text += QChar(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    }
    return text;
}

// Whether text is an optional minus sign followed by one to fifteen ASCII digits:
// a whole number that every one of the three locales writes the same way.
bool isPlainInteger(const QString &text)
{
    qsizetype start = text.startsWith(QLatin1Char('-')) ? 1 : 0;
    const qsizetype digits = text.size() - start;
    if (digits < 1 || digits > 15) {
        return false;
    }
    for (qsizetype i = start; i < text.size(); ++i) {
        if (text[i] < QLatin1Char('0') || text[i] > QLatin1Char('9')) {
            return false;
        }
    }
    return true;
}

// The number of significant digits in a number written by writeNumber(): the digits
// of the mantissa without leading zeros.
int significantDigits(const QString &written)
{
    int count = 0;
    bool leading = true;
    for (const QChar c : written) {
        if (c == QLatin1Char('e') || c == QLatin1Char('E')) {
            break;
        }
        if (!c.isDigit()) {
            continue;
        }
        if (leading && c == QLatin1Char('0')) {
            continue;
        }
        leading = false;
        ++count;
    }
    return count;
}

// Whether value survives being written with fifteen significant digits and read back,
// done with the C library's own conversions.
bool fitsFifteenDigits(double value)
{
    std::array<char, 64> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%.15g", value);
    return std::strtod(buffer.data(), nullptr) == value;
}

bool sameReading(const std::optional<double> &a, const std::optional<double> &b)
{
    return a.has_value() == b.has_value() && (!a || *a == *b);
}

// How Qt itself reads the text, and writes the number.
std::optional<double> qtReading(const LocaleCase &locale, const QString &text)
{
    bool ok = false;
    const double value = locale.locale.toDouble(QStringView(text).trimmed(), &ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

QString qtWriting(const LocaleCase &locale, double value)
{
    QString text = QString::number(value == 0.0 ? 0.0 : value, 'g', 15).toUpper();
    text.replace(QLatin1Char('.'), locale.locale.decimalPoint());
    return text;
}

bool sameBits(const std::optional<double> &a, const std::optional<double> &b)
{
    return a.has_value() == b.has_value() &&
           (!a || (*a == *b && std::signbit(*a) == std::signbit(*b)));
}

void checkReading(const LocaleCase &locale, const QString &text, const QString &other)
{
    const LocaleCalculator &calculator = locale.calculator;
    const std::string context = describe(locale, text, other);
    const std::optional<double> value = calculator.readNumber(text);
    LUMOX_FUZZ_CHECK(!value || std::isfinite(*value), context);

    // Exactly what Qt reads: the same texts, the same numbers, the same signs of zero.
    LUMOX_FUZZ_CHECK(sameBits(value, qtReading(locale, text)), context);
    if (value) {
        const QString written = calculator.writeNumber(*value);
        LUMOX_FUZZ_CHECK(written == qtWriting(locale, *value),
                         context + " written \"" + printable(written.toUtf8().toStdString()) +
                             "\"");
    }

    // Blanks around a number change nothing.
    const QString padded = QLatin1String(" \t") + text + QLatin1String("\t ");
    LUMOX_FUZZ_CHECK(sameReading(calculator.readNumber(padded), value), context);

    // A plain whole number means the same in every locale, and what it always meant.
    const QString trimmed = text.trimmed();
    if (isPlainInteger(trimmed)) {
        const double expected = std::strtod(trimmed.toLatin1().constData(), nullptr);
        LUMOX_FUZZ_CHECK(value && *value == expected, context);
    }
}

void checkProposal(const LocaleCase &locale, const QString &mtu, const QString &rwin)
{
    const LocaleCalculator &calculator = locale.calculator;
    const std::string context = describe(locale, mtu, rwin);
    const std::optional<double> mtuValue = calculator.readNumber(mtu);
    const std::optional<QString> proposal = calculator.proposalText(mtu);

    const bool computable = mtuValue && std::isfinite(RwinRules::proposal(*mtuValue));
    LUMOX_FUZZ_CHECK(proposal.has_value() == computable, context);
    if (!proposal) {
        return;
    }
    const double exact = RwinRules::proposal(*mtuValue);
    const QString &text = *proposal;
    const std::string written = " proposal \"" + printable(text.toUtf8().toStdString()) + "\"";

    LUMOX_FUZZ_CHECK(!text.isEmpty() && text == text.trimmed(), context + written);
    LUMOX_FUZZ_CHECK(!text.contains(locale.locale.groupSeparator()), context + written);
    LUMOX_FUZZ_CHECK(significantDigits(text) <= 15, context + written);
    LUMOX_FUZZ_CHECK(exact != 0.0 || text == QLatin1String("0"), context + written);

    // What the calculator writes, it reads back in the same locale, to within the
    // fifteen digits it writes.
    const std::optional<double> readBack = calculator.readNumber(text);
    LUMOX_FUZZ_CHECK(readBack.has_value(), context + written);
    LUMOX_FUZZ_CHECK(std::abs(*readBack - exact) <= std::abs(exact) * 1e-14, context + written);

    // The RWIN box is then compared with the MTU box: both read as numbers, and they
    // match unless the proposal needs more digits than are written.
    const std::optional<bool> matches = calculator.isProposal(mtu, text);
    LUMOX_FUZZ_CHECK(matches.has_value(), context + written);
    LUMOX_FUZZ_CHECK(*matches || !fitsFifteenDigits(exact), context + written);

    // A whole proposal is written as a plain integer and always matches.
    if (exact == std::trunc(exact) && std::abs(exact) < 1e15) {
        LUMOX_FUZZ_CHECK(isPlainInteger(text), context + written);
        LUMOX_FUZZ_CHECK(*readBack == exact && *matches, context + written);
    }
}

void checkComparison(const LocaleCase &locale, const QString &mtu, const QString &rwin)
{
    const LocaleCalculator &calculator = locale.calculator;
    const std::string context = describe(locale, mtu, rwin);
    const std::optional<double> mtuValue = calculator.readNumber(mtu);
    const std::optional<double> rwinValue = calculator.readNumber(rwin);
    const std::optional<bool> matches = calculator.isProposal(mtu, rwin);
    LUMOX_FUZZ_CHECK(matches.has_value() == (mtuValue && rwinValue), context);
    if (!matches) {
        return;
    }
    // A match means the RWIN box reads as exactly the number the proposal is, so that
    // it also reads back from the proposal's own text when that text is exact.
    LUMOX_FUZZ_CHECK(!*matches || RwinRules::proposal(*mtuValue) == *rwinValue, context);
    if (*matches) {
        const std::optional<QString> proposal = calculator.proposalText(mtu);
        LUMOX_FUZZ_CHECK(proposal.has_value(), context);
        const std::optional<double> written = calculator.readNumber(*proposal);
        LUMOX_FUZZ_CHECK(written && (*written == *rwinValue || !fitsFifteenDigits(*rwinValue)),
                         context);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const std::size_t count = localeCases().size();
    LocaleCase &locale = localeCases()[data[0] % count];
    const bool utf16 = (data[0] / count) % 2 == 1;
    const QString text = decode(data + 1, size - 1, utf16);
    const qsizetype lineFeed = text.indexOf(QLatin1Char('\n'));
    const QString mtu = lineFeed < 0 ? text : text.left(lineFeed);
    const QString rwin = lineFeed < 0 ? QString() : text.mid(lineFeed + 1);

    checkReading(locale, mtu, rwin);
    checkReading(locale, rwin, mtu);
    checkProposal(locale, mtu, rwin);
    checkProposal(locale, rwin, mtu);
    checkComparison(locale, mtu, rwin);
    return 0;
}
