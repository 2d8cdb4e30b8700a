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

TEST(AdminValues, WordsTextsAndQuotedValuesRefuseWhatWouldChangeTheFileOrThePage) {
    EXPECT_EQ(Word("f", "  proxy.example.com\t"), "proxy.example.com");
    EXPECT_EQ(Text("f", " 2 minutes "), "2 minutes");
    EXPECT_EQ(Quotable("f", "Office hours"), "Office hours");
    for (const char *bad : {"a b", "a#b", "{", "a}", "<b>", "x\"", "a\x01"})
        EXPECT_EQ(StatusOf([bad] { Word("f", bad); }), 400) << bad;
    for (const char *bad : {"a\nb", "<script>", "}", "\"x\"", "a\x7f"})
        EXPECT_EQ(StatusOf([bad] { Text("f", bad); }), 400) << bad;
    for (const char *bad : {"a\"b", "(x)", "a}", "<i>"})
        EXPECT_EQ(StatusOf([bad] { Quotable("f", bad); }), 400) << bad;
    EXPECT_EQ(StatusOf([] { Word("f", std::string(600, 'a')); }), 400);
}

TEST(AdminValues, RuleLinesMustFitALineAndHoldNoMarkup) {
    EXPECT_EQ(StatusOf([] { CheckRuleLine("r", "Pass\t/a/*  /b/*"); }), 0);
    EXPECT_EQ(StatusOf([] { CheckRuleLine("r", "Pass /a/* <b>"); }), 400);
    EXPECT_EQ(StatusOf([] { CheckRuleLine("r", "Pass /a/*\r"); }), 400);
    EXPECT_EQ(StatusOf([] { CheckRuleLine("r", "Pass " + std::string(1017, 'a')); }), 0);
    EXPECT_EQ(StatusOf([] { CheckRuleLine("r", "Pass " + std::string(1018, 'a')); }), 400);
}

} // namespace
