#include "rwin_rules.h"

#include <fast_float/fast_float.h>
#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <system_error>
#include <utility>

namespace lumox {

namespace {

// One character of a text: its length in bytes and its code point. A byte that
// does not begin a well-formed UTF-8 sequence is a character of its own, with the
// byte's value as code point (as in Latin-1).
struct Character
{
    std::size_t length;
    char32_t codePoint;
};

Character characterAt(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    const Character single{1, lead};
    if (lead < 0x80)
        return single;

    std::size_t length = 0;
    char32_t codePoint = 0;
    char32_t smallest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1Fu;
        smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0Fu;
        smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07u;
        smallest = 0x10000;
    } else {
        return single;
    }
    if (text.size() - at < length)
        return single;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = byte(at + i);
        if ((next & 0xC0u) != 0x80u)
            return single;
        codePoint = (codePoint << 6) | (next & 0x3Fu);
    }
    // Overlong forms, surrogates and values beyond Unicode are no characters.
    if (codePoint < smallest || codePoint > 0x10FFFF ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return single;
    return {length, codePoint};
}

// The Unicode white space characters, as Qt's trimming knows them.
bool isBlank(char32_t c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

// The length of the last character of text, which must not be empty.
std::size_t lastCharacterLength(std::string_view text)
{
    // A UTF-8 sequence is at most four bytes long; try the longest reading first.
    for (std::size_t length = std::min<std::size_t>(4, text.size()); length > 1; --length) {
        if (characterAt(text, text.size() - length).length == length)
            return length;
    }
    return 1;
}

bool isAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The ASCII spelling of one character of a number: a digit, '+', '-', '.', 'e',
// or 0 for a character that no number holds (a group separator among them).
char plainCharacter(std::string_view character, const NumberFormat &format)
{
    if (character == format.plusSign || character == "+")
        return '+';
    if (character == format.minusSign || character == "-" || character == "\u2212")
        return '-';
    if (character == format.decimalSeparator)
        return '.';
    if (character == format.exponential || character == format.exponentialOtherCase)
        return 'e';
    if (format.exponential.size() == 1 && character.size() == 1) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(character[0]) == lower(format.exponential[0]))
            return 'e';
    }
    if (character == format.groupSeparator)
        return 0;
    for (std::size_t digit = 0; digit < format.digits.size(); ++digit) {
        if (!format.digits[digit].empty() && character == format.digits[digit])
            return static_cast<char>('0' + digit);
    }
    if (character.size() == 1 && isAsciiDigit(character[0]))
        return character[0];
    if (character == "E" || (character == "e" && format.readsLowercaseE))
        return 'e';
    return 0;
}

// Whether the digits before the exponent of a plain number hold any but zeros.
bool hasNonZeroDigit(std::string_view plain)
{
    const std::string_view mantissa = plain.substr(0, plain.find('e'));
    return mantissa.find_first_of("123456789") != std::string_view::npos;
}

// Reads the plain ASCII form of a number: an optional sign, digits with at most
// one '.', and an optional exponent. fast_float does the exact conversion, always
// with '.' as the decimal point, whatever the C library's locale.
std::optional<double> readPlainNumber(std::string_view plain)
{
    if (!plain.empty() && plain.front() == '+') {
        plain.remove_prefix(1);
        if (!plain.empty() && (plain.front() == '+' || plain.front() == '-'))
            return std::nullopt;
    }
    if (plain.empty())
        return std::nullopt;
    double value = 0.0;
    const char *end = plain.data() + plain.size();
    const fast_float::from_chars_result read =
        fast_float::from_chars(plain.data(), end, value, fast_float::chars_format::general);
    if (read.ec != std::errc() || read.ptr != end)
        return std::nullopt;
    // An overflow or an underflow to zero is out of range (a result too small to be
    // normal, but not zero, is kept).
    if (!std::isfinite(value) || (value == 0.0 && hasNonZeroDigit(plain)))
        return std::nullopt;
    return value;
}

// The exact decimal expansion of a finite, positive value: its significant digits,
// at least minimumDigits of them (zeros added at the end), the first of them not zero,
// and the power of ten of the first.
struct Expansion
{
    std::string digits;
    int exponent = 0;
};

Expansion exactExpansion(double value, std::size_t minimumDigits)
{
    // A double has at most 767 significant decimal digits, so {fmt}'s digit generator,
    // the one behind "{:.766e}", writes them all without rounding. It leaves out the
    // zeros at the end and gives the power of ten of the last digit it wrote. It is
    // called directly (the same call from {fmt} 8 to 10): the public formatting path
    // would also bring in the C library's vsnprintf, which the Windows program lacks.
    constexpr int allDigits = 767;
    fmt::memory_buffer written;
    const int lastExponent = fmt::detail::format_float(
        value, allDigits, {.precision = 0, .format = fmt::detail::float_format::exp}, written);
    Expansion expansion;
    expansion.digits.assign(written.data(), written.size());
    expansion.exponent = lastExponent + static_cast<int>(written.size()) - 1;
    if (expansion.digits.size() < minimumDigits)
        expansion.digits.resize(minimumDigits, '0');
    return expansion;
}

} // namespace

std::string_view withoutBlanks(std::string_view text)
{
    while (!text.empty()) {
        const Character first = characterAt(text, 0);
        if (!isBlank(first.codePoint))
            break;
        text.remove_prefix(first.length);
    }
    while (!text.empty()) {
        const std::size_t length = lastCharacterLength(text);
        if (!isBlank(characterAt(text, text.size() - length).codePoint))
            break;
        text.remove_suffix(length);
    }
    return text;
}

RwinRules::RwinRules(NumberFormat format) : m_format(std::move(format)) {}

std::optional<double> RwinRules::readNumber(std::string_view text) const
{
    text = withoutBlanks(text);
    if (text.empty())
        return std::nullopt;
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = characterAt(text, at).length;
        const char c = plainCharacter(text.substr(at, length), m_format);
        if (c == 0)
            return std::nullopt;
        plain.push_back(c);
        at += length;
    }
    return readPlainNumber(plain);
}

std::string RwinRules::writeNumber(double value) const
{
    if (!std::isfinite(value))
        return value != value ? "NAN" : (value < 0 ? "-INF" : "INF");
    // Negative zero would otherwise come out as "-0".
    if (value == 0.0)
        return "0";

    // The exact decimal expansion, rounded to 15 significant digits with halves going
    // away from zero.
    constexpr int significant = 15;
    Expansion expansion = exactExpansion(std::fabs(value), significant + 1);
    std::string &digits = expansion.digits;
    int &exponent = expansion.exponent;
    const bool roundUp = digits[significant] >= '5';
    digits.resize(significant);
    if (roundUp) {
        int i = significant - 1;
        while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9')
            digits[static_cast<std::size_t>(i--)] = '0';
        if (i < 0) {
            digits.insert(digits.begin(), '1');
            digits.pop_back();
            ++exponent;
        } else {
            ++digits[static_cast<std::size_t>(i)];
        }
    }
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string text = value < 0 ? "-" : "";
    if (exponent < -4 || exponent >= significant) {
        text += digits[0];
        if (digits.size() > 1) {
            text += m_format.decimalSeparator;
            text.append(digits, 1);
        }
        text += exponent < 0 ? "E-" : "E+";
        const int magnitude = std::abs(exponent);
        if (magnitude < 10)
            text += '0';
        text += std::to_string(magnitude);
    } else if (exponent < 0) {
        text += '0';
        text += m_format.decimalSeparator;
        text.append(static_cast<std::size_t>(-exponent - 1), '0');
        text += digits;
    } else {
        const auto whole = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= whole) {
            text += digits;
            text.append(whole - digits.size(), '0');
        } else {
            text.append(digits, 0, whole);
            text += m_format.decimalSeparator;
            text.append(digits, whole);
        }
    }
    return text;
}

std::optional<std::string> RwinRules::proposalText(std::string_view mtuText) const
{
    const std::optional<double> mtu = readNumber(mtuText);
    if (!mtu)
        return std::nullopt;
    const double rwin = proposal(*mtu);
    if (!std::isfinite(rwin))
        return std::nullopt;
    return writeNumber(rwin);
}

std::optional<bool> RwinRules::isProposal(std::string_view mtuText, std::string_view rwinText) const
{
    const std::optional<double> mtu = readNumber(mtuText);
    const std::optional<double> rwin = readNumber(rwinText);
    if (!mtu || !rwin)
        return std::nullopt;
    return proposal(*mtu) == *rwin;
}

std::string RwinRules::formulaCaption(std::string_view mtuText)
{
    std::string caption = "(";
    caption += mtuText;
    caption += " - " + std::to_string(headerBytes) + ") * " + std::to_string(segments);
    return caption;
}

void mtuChanged(const RwinRules &rules, CalculatorControls &controls)
{
    const std::optional<std::string> proposal = rules.proposalText(controls.mtuText());
    if (!proposal)
        return;
    if (controls.rwinText() == *proposal) {
        // Setting the same text raises no change notification; bring the
        // formula label in line all the same.
        rwinChanged(rules, controls);
    } else {
        controls.setRwinText(*proposal);
    }
    controls.setFormulaCaption(RwinRules::formulaCaption(controls.mtuText()));
}

void rwinChanged(const RwinRules &rules, CalculatorControls &controls)
{
    const std::optional<bool> matches = rules.isProposal(controls.mtuText(), controls.rwinText());
    if (matches)
        controls.setFormulaVisible(*matches);
}

} // namespace lumox
