#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

// The receive-window proposal and the number texts it reads and writes, free of
// any toolkit so that every front end follows the same rules.
namespace lumox {

// How the user's locale writes numbers. Every field is a byte string in the
// encoding of the texts it is used on: UTF-8 for the Qt front end, the ANSI code
// page for the Win32 one. The defaults are US English.
struct NumberFormat
{
    std::string decimalSeparator = ".";
    std::string groupSeparator = ",";
    std::string minusSign = "-";
    std::string plusSign = "+";
    // The exponent marker the locale writes; "e" and "E" are always read too
    // (but see readsLowercaseE).
    std::string exponential = "e";

    // The exponent marker in its other case when that is not plain ASCII, such as
    // the Cyrillic "е" for "Е"; empty when there is none. ASCII markers are read in
    // either case anyway.
    std::string exponentialOtherCase;

    // The locale's own digits zero to nine, read besides the ASCII digits (which
    // every locale reads). The ASCII digits themselves by default.
    std::array<std::string, 10> digits = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};

    // Whether a lower-case "e" is read as the exponent marker when the locale's
    // own marker is neither "e" nor "E". Qt's reading refuses it in the locales
    // whose percent sign is the ASCII "%", and the Qt front end follows it there.
    bool readsLowercaseE = true;
};

// The text without the blanks around it: the Unicode white space characters,
// a single byte of 0x85 or 0xA0 included (a character being one UTF-8 sequence or
// else a single byte). The calculator and the check before saving both allow
// exactly these blanks around a number.
std::string_view withoutBlanks(std::string_view text);

// RWIN = (MTU - 40) * 4, four segments of the largest TCP payload that fits into
// one packet of the given MTU, and the reading and writing of the two numbers.
// Keeps no state beyond the number format: it only converts and compares texts.
class RwinRules
{
public:
    explicit RwinRules(NumberFormat format = {});

    const NumberFormat &format() const { return m_format; }

    // Reads a decimal number written in the rules' number format. Blanks around
    // the number are allowed. Returns nothing for anything that is not a finite
    // number: an empty text, letters, a lone minus sign, a group separator
    // ("1,500" in English), an overflow such as "1e400", "nan" or "inf", or an
    // underflow to zero such as "1e-400".
    //
    // The text is read character by character, a character being one UTF-8
    // sequence or else a single byte; a separator or sign of the format that is
    // longer than one character is therefore never matched (the Unicode marks
    // some locales put around their minus sign make it unreadable, as in Qt).
    // Besides the format's own signs, "+", "-" and U+2212 MINUS SIGN are always
    // read. An optional sign, digits with at most one decimal separator and at
    // least one digit, and an optional exponent marker followed by an optional
    // sign and at least one digit make a number; leading zeros are allowed.
    // Blanks are the Unicode white space characters, a single byte of 0x85 or
    // 0xA0 included.
    std::optional<double> readNumber(std::string_view text) const;

    // Writes a number in the general decimal form: the shortest text with at most
    // 15 significant digits, ASCII digits, the format's decimal separator, no group
    // separators and no decimal separator for whole numbers (5840.0 is written
    // "5840"; 1e15 and beyond in exponent form, "1E+15"). Negative zero is "0".
    std::string writeNumber(double value) const;

    // The formula, RWIN = (MTU - headerBytes) * segments: so many full segments, each
    // an MTU less the bytes of the IP and TCP headers. The caption is written from it.
    static constexpr int headerBytes = 40;
    static constexpr int segments = 4;

    // The proposal for an MTU given as a number; it is neither limited nor
    // rounded, so fractional and negative results come out as computed.
    static double proposal(double mtu) { return (mtu - headerBytes) * segments; }

    // The proposal for an MTU given as text, written as text. Returns nothing when
    // the MTU is not a number or the proposal overflows.
    std::optional<std::string> proposalText(std::string_view mtuText) const;

    // Whether the RWIN text holds exactly the proposal for the MTU text. Returns
    // nothing when either text is not a number.
    std::optional<bool> isProposal(std::string_view mtuText, std::string_view rwinText) const;

    // The formula caption, "(1500 - 40) * 4" for the MTU text "1500": the MTU text
    // inserted exactly as typed.
    static std::string formulaCaption(std::string_view mtuText);

private:
    NumberFormat m_format;
};

// The three controls the calculator keeps in step, as each front end offers them.
class CalculatorControls
{
public:
    virtual ~CalculatorControls() = default;

    virtual std::string mtuText() const = 0;
    virtual std::string rwinText() const = 0;
    // Sets the text of the RWIN box. The front end's change notification of the
    // box must run rwinChanged() before this returns.
    virtual void setRwinText(const std::string &text) = 0;
    virtual void setFormulaCaption(const std::string &caption) = 0;
    virtual void setFormulaVisible(bool visible) = 0;
};

// txtMTU_Change: puts the proposal into the RWIN box and the formula into its
// caption. An MTU that is no number, or whose proposal overflows, changes
// nothing. When the box already holds the proposal its text is left alone (no
// change notification follows) and the label is brought in line directly.
void mtuChanged(const RwinRules &rules, CalculatorControls &controls);

// txtRWIN_Change: shows the formula while the RWIN box holds exactly the
// proposal and hides it otherwise; while either text is no number, the label
// stays as it is.
void rwinChanged(const RwinRules &rules, CalculatorControls &controls);

} // namespace lumox
