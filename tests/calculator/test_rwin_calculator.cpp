#include "locale_number_format.h"
#include "qt_printers.h"
#include "rwin_rules.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using lumox::numberFormatOf;
using lumox::RwinRules;

namespace {

struct ProposalCase
{
    const char *locale;
    QString mtu;
    std::optional<QString> rwin;
};

void PrintTo(const ProposalCase &c, std::ostream *os)
{
    *os << c.locale << " \"" << c.mtu.left(40).toStdString() << "\"";
}

class Proposal : public ::testing::TestWithParam<ProposalCase>
{
};

TEST_P(Proposal, WritesTheProposalOrNothing)
{
    const ProposalCase &c = GetParam();
    // The rules read and write in the locale's number format, with texts in UTF-8.
    const RwinRules rules{numberFormatOf(QLocale(QString::fromLatin1(c.locale)))};
    const std::optional<std::string> rwin = rules.proposalText(c.mtu.toStdString());
    EXPECT_EQ(rwin ? std::optional(QString::fromStdString(*rwin)) : std::nullopt, c.rwin);
}

const QString megabyteOfDigits = QString(1 << 20, QLatin1Char('9'));

INSTANTIATE_TEST_SUITE_P(
    Numbers, Proposal,
    ::testing::Values(
        ProposalCase{"en_US", "1500", "5840"}, ProposalCase{"en_US", "576", "2144"},
        ProposalCase{"en_US", "40", "0"}, ProposalCase{"en_US", "1", "-156"},
        ProposalCase{"en_US", "1500.5", "5842"}, ProposalCase{"en_US", " 1500", "5840"},
        ProposalCase{"en_US", "1500  ", "5840"}, ProposalCase{"en_US", "-100", "-560"},
        ProposalCase{"en_US", "1500.25", "5841"},
        // Fifteen significant digits, and exponent form beyond them.
        ProposalCase{"en_US", "0.1", "-159.6"}, ProposalCase{"en_US", "250000000000040", "1E+15"},
        ProposalCase{"de_DE", "1500,5", "5842"}, ProposalCase{"de_DE", "576", "2144"},
        ProposalCase{"fr_FR", "1500,5", "5842"},
        // Locales with digits of their own still get ASCII digits,
        // which is what saving accepts.
        ProposalCase{"ar_EG", "1500", "5840"}, ProposalCase{"fa_IR", "576", "2144"}));

INSTANTIATE_TEST_SUITE_P(
    NotNumbers, Proposal,
    ::testing::Values(
        ProposalCase{"en_US", "", std::nullopt}, ProposalCase{"en_US", "   ", std::nullopt},
        ProposalCase{"en_US", "abc", std::nullopt}, ProposalCase{"en_US", "-", std::nullopt},
        ProposalCase{"en_US", "15OO", std::nullopt},
        // A group separator would read as a number that saving refuses.
        ProposalCase{"en_US", "1,500", std::nullopt}, ProposalCase{"de_DE", "1.500", std::nullopt},
        ProposalCase{"en_US", "1e400", std::nullopt}, ProposalCase{"en_US", "nan", std::nullopt},
        ProposalCase{"en_US", "inf", std::nullopt},
        // The number itself is finite, but its proposal overflows.
        ProposalCase{"en_US", "1e308", std::nullopt},
        ProposalCase{"en_US", megabyteOfDigits, std::nullopt}));

TEST(RwinCalculator, WritesNumbersWithoutGroupSeparatorsOrTrailingZeros)
{
    const RwinRules us{numberFormatOf(QLocale(QLocale::English, QLocale::UnitedStates))};
    EXPECT_EQ(us.writeNumber(5840.0), "5840");
    EXPECT_EQ(us.writeNumber(1234567.0), "1234567");
    EXPECT_EQ(us.writeNumber(-0.0), "0");
    EXPECT_EQ(us.writeNumber(1.0 / 3.0), "0.333333333333333");

    const RwinRules german{numberFormatOf(QLocale(QLocale::German, QLocale::Germany))};
    EXPECT_EQ(german.writeNumber(5841.5), "5841,5");
    EXPECT_EQ(german.writeNumber(1234567.0), "1234567");
}

TEST(RwinCalculator, RecognisesTheProposalByExactValue)
{
    const RwinRules calculator{numberFormatOf(QLocale(QLocale::English, QLocale::UnitedStates))};
    EXPECT_EQ(calculator.isProposal("1500", "5840"), true);
    EXPECT_EQ(calculator.isProposal("1500", "5840.0"), true);
    EXPECT_EQ(calculator.isProposal(" 1500 ", " 5840"), true);
    EXPECT_EQ(calculator.isProposal("1500", "8192"), false);
    EXPECT_EQ(calculator.isProposal("1500", "5840.000001"), false);
    EXPECT_EQ(calculator.isProposal("1500", ""), std::nullopt);
    EXPECT_EQ(calculator.isProposal("x", "5840"), std::nullopt);
}

TEST(RwinCalculator, FormulaCaptionKeepsTheMtuAsTyped)
{
    EXPECT_EQ(RwinRules::formulaCaption("1500"), "(1500 - 40) * 4");
    EXPECT_EQ(RwinRules::formulaCaption(" 1500"), "( 1500 - 40) * 4");
    EXPECT_EQ(RwinRules::formulaCaption("1500,5"), "(1500,5 - 40) * 4");
}

} // namespace
