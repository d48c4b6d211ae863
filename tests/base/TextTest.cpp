#include "base/Text.h"

#include <gtest/gtest.h>

#include <string>

namespace moorvane {
namespace {

using namespace std::string_literals;

// Each of these once differed between the copies that stood in the store, the URL commands and the records.
TEST(Text, PercentCodingKeepsWhatItCannotDecodeAndNeverCutsAtNul) {
    EXPECT_EQ(percentDecoded("My%20Apps/%C3%A9"), "My Apps/\xC3\xA9");
    EXPECT_EQ(percentDecoded("a%00b"), "a\0b"s);
    EXPECT_EQ(percentDecoded("100%"), "100%");
    EXPECT_EQ(percentDecoded("a+b%zz%2"), "a+b%zz%2");
    EXPECT_EQ(percentDecoded("a%20b%zz"), "a b%zz");
    EXPECT_EQ(percentDecoded("a%20b%zz", BadEscape::keepWholeText), "a%20b%zz");
    EXPECT_EQ(percentDecoded("a%20b", BadEscape::keepWholeText), "a b");

    EXPECT_EQ(percentEncoded("/My Apps/\xC3\xA9%", "/"), "/My%20Apps/%C3%A9%25");
    EXPECT_TRUE(startsPercentEscape("%2f", 0));
    EXPECT_FALSE(startsPercentEscape("%2", 0));
}

TEST(Text, CaseIgnoresTheUserLocaleAndTrimmingKeepsCharactersWhole) {
    EXPECT_EQ(lowerCased("WORK \xC3\x89T\xC3\x89"), "work \xC3\xA9t\xC3\xA9");
    // Root locale: a capital I stays a dotted i whatever the user's language.
    EXPECT_EQ(lowerCased("I"), "i");
    EXPECT_EQ(asciiLowerCased("YES \xC3\x89"), "yes \xC3\x89");
    EXPECT_TRUE(equalIgnoringCase("STRASSE",
                                  "stra\xC3\x9F"
                                  "e"));
    EXPECT_FALSE(equalIgnoringCase("Work", "Wörk"));

    EXPECT_EQ(trimmed(" \t Work\n "), "Work");
    EXPECT_EQ(trimmed(" Work\n", spacesAndTabs), "Work\n");
    EXPECT_EQ(trimmed(" \t\n"), "");
    EXPECT_EQ(trimmed("\xC2\xA0"
                      "x\xC2\xA0"),
              "\xC2\xA0"
              "x\xC2\xA0");
}

}  // namespace
}  // namespace moorvane
