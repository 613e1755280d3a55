#include "ConversionOptions.h"

#include <gtest/gtest.h>

namespace {

// A value other than the default for every option, by its kind.
ConversionOptions AllChanged()
{
    ConversionOptions options;
    const ConversionOptions defaults;
    for (const OptionDefinition& option : OptionDefinitions()) {
        const double now = option.get(defaults);
        option.set(options, now == option.maximum ? option.minimum : now + (option.kind == OptionKind::Decimal ? 0.5 : 1));
    }
    return options;
}

TEST(ConversionOptionsTest, EveryOptionGoesThroughTextAndBack)
{
    const ConversionOptions changed = AllChanged();
    ASSERT_NE(changed, ConversionOptions());
    for (const OptionDefinition& option : OptionDefinitions()) {
        ConversionOptions read;
        std::string error;
        ASSERT_TRUE(SetOptionFromText(option, OptionText(option, changed), read, option.key, error)) << error;
        EXPECT_EQ(option.get(read), option.get(changed)) << option.key;
        EXPECT_EQ(FindOption(option.key), &option);
    }
    ConversionOptions back;
    std::string error;
    ASSERT_TRUE(OptionsFromText(OptionsToText(changed), back, error)) << error;
    EXPECT_EQ(back, changed);
    EXPECT_EQ(OptionsToText(ConversionOptions()), "") << "defaults travel as nothing";
}

struct BadValue {
    const char* key;
    const char* text;
    const char* message;
};

class BadOptionValueTest : public testing::TestWithParam<BadValue> {};

TEST_P(BadOptionValueTest, IsRefusedNamingWhatTheOptionTakes)
{
    const BadValue& c = GetParam();
    ConversionOptions options;
    std::string error;
    EXPECT_FALSE(SetOptionFromText(*FindOption(c.key), c.text, options, "--x", error));
    EXPECT_EQ(error, c.message);
    EXPECT_EQ(options, ConversionOptions());
}

INSTANTIATE_TEST_SUITE_P(Cases, BadOptionValueTest, testing::Values(
    BadValue{"JpegQuality", "0", "--x takes a whole number from 1 to 100, not '0'"},
    BadValue{"JpegQuality", "90.5", "--x takes a whole number from 1 to 100, not '90.5'"},
    BadValue{"JpegQuality", "-5", "--x takes a whole number from 1 to 100, not '-5'"},
    BadValue{"JxlDistance", "15.5", "--x takes a number from 0 to 15, not '15.5'"},
    BadValue{"IfExists", "keep", "--x takes replace, skip or rename, not 'keep'"},
    BadValue{"RemoveGps", "maybe", "--x takes on or off, not 'maybe'"},
    BadValue{"ResizeWidth", "", "--x takes a whole number from 1 to 65535, not ''"}));

}  // namespace
