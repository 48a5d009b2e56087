#pragma once

#include "rwin_rules.h"

#include <QLocale>
#include <QString>

#include <optional>

namespace lumox {

// The number format of a Qt locale, as the shared rules read it: what
// QLocale::toDouble reads with group separators refused, a text trimmed of
// blanks and the result finite, the rules read in this format too.
NumberFormat numberFormatOf(const QLocale &locale);

// The receive-window proposal: RWIN = (MTU - 40) * 4, four segments of the
// largest TCP payload that fits into one packet of the given MTU. The Qt face
// of the shared RwinRules.
//
// Numbers are read and written the way the given locale writes them (by
// default the user's own), so that "1500,5" is a number to a German user.
// The calculator keeps no state: it only converts and compares texts.
class RwinCalculator
{
public:
    explicit RwinCalculator(const QLocale &locale = QLocale::system());

    // Reads a decimal number in the calculator's locale. Blanks around the
    // number are allowed. Returns nothing for anything that is not a finite
    // number: an empty text, letters, a lone minus sign, a group separator
    // ("1,500" in English), an overflow such as "1e400", "nan" or "inf".
    std::optional<double> readNumber(const QString &text) const;

    // Writes a number in the general decimal form: the shortest text with at
    // most 15 significant digits, ASCII digits, the locale's decimal separator,
    // no group separators and no decimal separator for whole numbers (5840.0 is
    // written "5840"; 1e15 and beyond in exponent form, "1E+15").
    QString writeNumber(double value) const;

    // The proposal for an MTU given as a number; it is neither limited nor
    // rounded, so fractional and negative results come out as computed.
    static double proposal(double mtu) { return (mtu - 40.0) * 4.0; }

    // The proposal for an MTU given as text, written as text. Returns nothing
    // when the MTU is not a number or the proposal overflows.
    std::optional<QString> proposalText(const QString &mtuText) const;

    // Whether the RWIN text holds exactly the proposal for the MTU text.
    // Returns nothing when either text is not a number.
    std::optional<bool> isProposal(const QString &mtuText, const QString &rwinText) const;

    // The formula caption with the MTU text inserted exactly as typed.
    static QString formulaCaption(const QString &mtuText);

    const QLocale &locale() const { return m_locale; }
    const RwinRules &rules() const { return m_rules; }

private:
    QLocale m_locale;
    RwinRules m_rules;
};

} // namespace lumox
