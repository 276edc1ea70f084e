// The user's decimal separator and the text conversions at the widget boundary.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/Locale.h"
#include "platform/Text.h"

namespace {

// The locale the test run was started under, as the C library would pick it.
std::string RunLocale() {
    for (const char* name : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return value;
    }
    return "C";
}

}  // namespace

TEST(DecimalSeparator, FollowsTheSystemLocale) {
    const char expected = RunLocale().rfind("de_", 0) == 0 ? ',' : '.';
    EXPECT_EQ(DecimalSeparator(), expected);
}

TEST(DecimalSeparator, OverrideHoldsUntilChangedAgain) {
    const char original = DecimalSeparator();
    SetDecimalSeparator(',');
    EXPECT_EQ(DecimalSeparator(), ',');
    SetDecimalSeparator('.');
    EXPECT_EQ(DecimalSeparator(), '.');
    SetDecimalSeparator(original);
}

TEST(UserDefaultLangID, FollowsTheSystemLocaleAndCanBeReplaced) {
    const int original = GetUserDefaultLangID();
    // The C locale names no language: it counts as English (United States).
    EXPECT_EQ(original, RunLocale().rfind("de_", 0) == 0 ? 0x0407 : 0x0409);
    SetUserDefaultLangID(0x0419);
    EXPECT_EQ(GetUserDefaultLangID(), 0x0419);
    SetUserDefaultLangID(original);
}

TEST(TextConversion, KeepsNonAsciiLettersBothWays) {
    const std::string text = "Kasse \"Küche\" – Ёлка";
    EXPECT_EQ(ToStdString(ToQString(text)), text);
    EXPECT_EQ(ToQString(text).size(), 20);
}
