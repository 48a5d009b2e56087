#include "rwin_rules.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using lumox::CalculatorControls;
using lumox::NumberFormat;
using lumox::RwinRules;

namespace {

NumberFormat german()
{
    NumberFormat format;
    format.decimalSeparator = ",";
    format.groupSeparator = ".";
    format.exponential = "E";
    return format;
}

TEST(CoreNumberFormat, GermanReadsCommaDecimalsAndRefusesItsGroupSeparator)
{
    const RwinRules rules(german());
    EXPECT_EQ(rules.readNumber("1500,5"), 1500.5);
    EXPECT_EQ(rules.readNumber("1,5e3"), 1500.0);
    EXPECT_EQ(rules.readNumber(",5"), 0.5);
    EXPECT_EQ(rules.readNumber("1.500"), std::nullopt);
    EXPECT_EQ(rules.readNumber("1500.5"), std::nullopt);
    EXPECT_EQ(rules.readNumber("1,5,5"), std::nullopt);
    EXPECT_EQ(rules.writeNumber(5842.5), "5842,5");
    EXPECT_EQ(rules.writeNumber(0.0001234), "0,0001234");
    EXPECT_EQ(rules.writeNumber(1.5e-7), "1,5E-07");
    EXPECT_EQ(rules.proposalText("1500,5"), "5842");
}

TEST(CoreNumberFormat, MultiByteAndSingleByteSeparatorsAreWholeCharacters)
{
    // French in UTF-8: the group separator is U+202F, a blank at either end of a text.
    NumberFormat french;
    french.decimalSeparator = ",";
    french.groupSeparator = "\u202F";
    const RwinRules utf8(french);
    EXPECT_EQ(utf8.readNumber("1\u202F500"), std::nullopt);
    EXPECT_EQ(utf8.readNumber("1 500"), std::nullopt);
    EXPECT_EQ(utf8.readNumber("\u202F1500,5\u202F"), 1500.5);

    // A one-byte ANSI separator above 0x7F is one character, not the start of a sequence.
    NumberFormat ansi;
    ansi.decimalSeparator = "\xB7";
    ansi.groupSeparator = "\xA0";
    const RwinRules codePage(ansi);
    EXPECT_EQ(codePage.readNumber("1\xB7"
                                  "5"),
              1.5);
    EXPECT_EQ(codePage.readNumber("1\xA0"
                                  "500"),
              std::nullopt);
    EXPECT_EQ(codePage.writeNumber(1.5), "1\xB7"
                                         "5");

    // A minus sign with a direction mark is longer than one character and never read;
    // the plain and the typographic minus always are.
    NumberFormat marked;
    marked.minusSign = "\u200E-";
    const RwinRules bidi(marked);
    EXPECT_EQ(bidi.readNumber("\u200E-5"), std::nullopt);
    EXPECT_EQ(bidi.readNumber("-5"), -5.0);
    EXPECT_EQ(bidi.readNumber("\u22125"), -5.0);
}

TEST(CoreNumberFormat, LocalDigitsAndExponentMarkers)
{
    NumberFormat arabic;
    arabic.decimalSeparator = "\u066B";
    arabic.groupSeparator = "\u066C";
    arabic.exponential = "\u0627\u0633";
    for (int digit = 0; digit < 10; ++digit) {
        const char32_t codePoint = U'\u0660' + static_cast<char32_t>(digit);
        arabic.digits[static_cast<std::size_t>(digit)] = {
            static_cast<char>(0xC0 | (codePoint >> 6)),
            static_cast<char>(0x80 | (codePoint & 0x3F))};
    }
    const RwinRules rules(arabic);
    EXPECT_EQ(rules.readNumber("\u0661\u0665\u0660\u0660\u066B\u0665"), 1500.5);
    EXPECT_EQ(rules.readNumber("1\u0665"), 15.0) << "ASCII and local digits mix";
    EXPECT_EQ(rules.readNumber("1.5"), std::nullopt);
    EXPECT_EQ(rules.readNumber("1e5"), 100000.0);
    EXPECT_EQ(rules.writeNumber(1500.5), "1500\u066B5") << "digits are written in ASCII";

    NumberFormat swedish;
    swedish.decimalSeparator = ",";
    swedish.groupSeparator = "\u00A0";
    swedish.minusSign = "\u2212";
    swedish.exponential = "\u00D710^";
    swedish.readsLowercaseE = false;
    const RwinRules refusing(swedish);
    EXPECT_EQ(refusing.readNumber("1E5"), 100000.0);
    EXPECT_EQ(refusing.readNumber("1e5"), std::nullopt);
    EXPECT_EQ(refusing.readNumber("1\u00D710^5"), std::nullopt);

    NumberFormat ukrainian;
    ukrainian.decimalSeparator = ",";
    ukrainian.exponential = "\u0415";
    ukrainian.exponentialOtherCase = "\u0435";
    const RwinRules cyrillic(ukrainian);
    EXPECT_EQ(cyrillic.readNumber("1\u04155"), 100000.0);
    EXPECT_EQ(cyrillic.readNumber("1\u04355"), 100000.0);
}

TEST(CoreNumberFormat, ReadsOnlyWellFormedFiniteNumbers)
{
    const RwinRules rules;
    EXPECT_EQ(rules.readNumber("1."), 1.0);
    EXPECT_EQ(rules.readNumber("+.5"), 0.5);
    EXPECT_EQ(rules.readNumber("0001e0001"), 10.0);
    EXPECT_EQ(rules.readNumber("4.9e-324"), 4.9e-324) << "the smallest denormal is a number";
    // The E-notation the program writes for large values, read to the nearest double:
    // rounded twice, as an x87 unit at 64-bit precision would, it comes out one bit
    // lower (4.9858976916847197e36).
    EXPECT_EQ(rules.readNumber("4.98589769168472E36"), 4.9858976916847203e36);
    EXPECT_EQ(rules.readNumber("4.98589769168472E+36"), 4.9858976916847203e36);
    for (const char *text : {".", "+-5", "-+5", "1e", "1e+", "e5", "1e5.5", "0x10", "1e400",
                             "1e-400", "nan", "inf", "-inf", "1\t5", "\xA0"}) {
        EXPECT_EQ(rules.readNumber(text), std::nullopt) << text;
    }
    EXPECT_EQ(rules.readNumber("\t\u30001500\u2029\n"), 1500.0);
}

TEST(CoreNumberFormat, WritesFifteenDigitsRoundingHalvesAwayFromZero)
{
    const RwinRules rules;
    // Both are exact binary values halfway between two fifteen-digit texts.
    EXPECT_EQ(rules.writeNumber(33110032036284.25), "33110032036284.3");
    EXPECT_EQ(rules.writeNumber(-33110032036284.25), "-33110032036284.3");
    // The proposal for this MTU is exactly 6014.6189522389649937...: its seventeen
    // first digits, 60146189522389650, would round the fifteenth up.
    EXPECT_EQ(rules.proposalText("1543.6547380597412"), "6014.61895223896");
    // Rounding that carries into a new digit moves to exponent form.
    EXPECT_EQ(rules.writeNumber(999999999999999.9), "1E+15");
    EXPECT_EQ(rules.writeNumber(99999.99999999999), "100000");
    EXPECT_EQ(rules.writeNumber(-0.0), "0");
    EXPECT_EQ(rules.writeNumber(0.1), "0.1");
    EXPECT_EQ(rules.writeNumber(1e-5), "1E-05");
    EXPECT_EQ(rules.writeNumber(1.7976931348623157e308), "1.79769313486232E+308");
}

// Plays the three controls: the RWIN box's change notification runs rwinChanged
// before setRwinText returns, and a text set to what it was raises none.
class ScriptedControls : public CalculatorControls
{
public:
    explicit ScriptedControls(const RwinRules &rules) : m_rules(rules) {}

    std::string mtuText() const override { return mtu; }
    std::string rwinText() const override { return rwin; }
    void setRwinText(const std::string &text) override
    {
        calls.push_back("setRwinText " + text);
        if (text == rwin)
            return;
        rwin = text;
        lumox::rwinChanged(m_rules, *this);
    }
    void setFormulaCaption(const std::string &caption) override
    {
        calls.push_back("caption " + caption);
    }
    void setFormulaVisible(bool visible) override { calls.push_back(visible ? "show" : "hide"); }

    std::string mtu;
    std::string rwin;
    std::vector<std::string> calls;

private:
    const RwinRules &m_rules;
};

TEST(CoreCalculatorSteps, MtuChangeProposesThenShowsTheFormula)
{
    const RwinRules rules;
    ScriptedControls controls(rules);
    controls.mtu = " 1500";
    lumox::mtuChanged(rules, controls);
    EXPECT_EQ(controls.calls,
              (std::vector<std::string>{"setRwinText 5840", "show", "caption ( 1500 - 40) * 4"}));

    // The box already holds the proposal: its text is not set again, and the label is
    // brought in line directly.
    controls.calls.clear();
    controls.mtu = "1500.0";
    lumox::mtuChanged(rules, controls);
    EXPECT_EQ(controls.calls, (std::vector<std::string>{"show", "caption (1500.0 - 40) * 4"}));

    // No number, or a proposal beyond the double range, changes nothing.
    controls.calls.clear();
    for (const char *mtu : {"", "abc", "-", "1e308"}) {
        controls.mtu = mtu;
        lumox::mtuChanged(rules, controls);
    }
    EXPECT_TRUE(controls.calls.empty());
}

TEST(CoreCalculatorSteps, RwinChangeShowsTheFormulaOnlyForTheExactProposal)
{
    const RwinRules rules;
    ScriptedControls controls(rules);
    controls.mtu = "1500";
    for (const char *rwin : {"8192", "5840.0", "abc", "5840,0", "5840.000000000001"}) {
        controls.rwin = rwin;
        lumox::rwinChanged(rules, controls);
    }
    // While a text is no number the label stays as it is.
    EXPECT_EQ(controls.calls, (std::vector<std::string>{"hide", "show", "hide"}));
}

} // namespace
