#include "http.h"
#include "values.h"

#include <gtest/gtest.h>

namespace {

using namespace admin;

int StatusOf(const std::function<void()> &fn) {
    try {
        fn();
    } catch (const HttpError &e) {
        return e.status();
    }
    return 0;
}

TEST(AdminValues, WithFieldKeepsSpacingCommentsAndLineEnd) {
    EXPECT_EQ(WithField("Port        8080  # main\n", 2, "8081", false),
              "Port        8081  # main\n");
    EXPECT_EQ(WithField("  InputTimeout\t2 minutes # x\n", 2, "5 minutes", true),
              "  InputTimeout\t5 minutes\n");
    EXPECT_EQ(WithField("CacheDefaultExpiry  http:*   0 days\n", 3, "2", false),
              "CacheDefaultExpiry  http:*   2 days\n");
    // Fewer fields than asked for: the value follows the last word.
    EXPECT_EQ(WithField("Caching\n", 2, "ON", false), "Caching ON\n");
    EXPECT_EQ(WithField("Caching   \n", 2, "ON", false), "Caching ON\n");
    EXPECT_EQ(WithField("CacheDefaultExpiry http:*", 3, "1", false), "CacheDefaultExpiry http:* 1");
}

// Characters that only need escaping on a page are ordinary data; what would
// change how the file is read is refused, with the field and the character.
TEST(AdminValues, WordsTextsAndQuotedValuesRefuseWhatWouldChangeTheFile) {
    EXPECT_EQ(Word("f", "  proxy.example.com\t"), "proxy.example.com");
    EXPECT_EQ(Text("f", " 2 minutes "), "2 minutes");
    EXPECT_EQ(Quotable("f", "Office hours"), "Office hours");
    EXPECT_EQ(Word("f", "<b>x\"&amp;"), "<b>x\"&amp;");
    EXPECT_EQ(Text("f", "<script> \"x\""), "<script> \"x\"");
    EXPECT_EQ(Quotable("f", "<i> & (x)"), "<i> & (x)"); // the PICS record check refuses "("
    for (const char *bad : {"a b", "a#b", "{", "a}", "a\x01"})
        EXPECT_EQ(StatusOf([bad] { Word("f", bad); }), 400) << bad;
    for (const char *bad : {"a\nb", "}", "a\x7f"})
        EXPECT_EQ(StatusOf([bad] { Text("f", bad); }), 400) << bad;
    for (const char *bad : {"a\"b", "a}"})
        EXPECT_EQ(StatusOf([bad] { Quotable("f", bad); }), 400) << bad;
    try {
        Word("Hostname", "a{b");
        ADD_FAILURE();
    } catch (const HttpError &e) {
        EXPECT_STREQ(e.what(), "Hostname: holds \"{\", which changes where a block ends");
    }
}

TEST(AdminValues, RuleLinesMustFitALineAndHoldNoBrace) {
    EXPECT_EQ(StatusOf([] { RequireRuleLine("r", "Pass\t/a/*  /b/*"); }), 0);
    EXPECT_EQ(StatusOf([] { RequireRuleLine("r", "Pass /a/* <b>"); }), 0);
    EXPECT_EQ(StatusOf([] { RequireRuleLine("r", "Pass /a/* {"); }), 400);
    EXPECT_EQ(StatusOf([] { RequireRuleLine("r", "Pass /a/*\r"); }), 400);
    EXPECT_EQ(StatusOf([] { RequireRuleLine("r", "Pass " + std::string(1017, 'a')); }), 0);
    EXPECT_EQ(StatusOf([] { RequireRuleLine("r", "Pass " + std::string(1018, 'a')); }), 400);
}

} // namespace
