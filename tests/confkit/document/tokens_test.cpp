// Tokens, rule comparison and the text primitives.
#include "internal.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using testsupport::ListPtr;
using testsupport::MakeList;

// A heap string released at the end of the statement's scope.
struct HeapString {
    char *p;
    explicit HeapString(char *s) : p(s) {}
    ~HeapString() { std::free(p); }
};

TEST(TokenMatch, ComparesFirstTokensIgnoringCaseAndTokenSpace) {
    EXPECT_EQ(TokenMatch("  @Port 80", "port"), 1);
    EXPECT_EQ(TokenMatch("\tPORT\n", "@@port#x"), 1);
    EXPECT_EQ(TokenMatch("Port#x", "port"), 1);
    EXPECT_EQ(TokenMatch("Port", "Ports"), 0);
    EXPECT_EQ(TokenMatch("Ports", "Port"), 0);
    EXPECT_EQ(TokenMatch("Pass /a", "Pas /a"), 0);
}

TEST(TokenMatch, EmptyTokensNeverMatch) {
    EXPECT_EQ(TokenMatch("#Port", "#Port"), 0);
    EXPECT_EQ(TokenMatch("", ""), 0);
    EXPECT_EQ(TokenMatch("  ", " @ "), 0);
    EXPECT_EQ(TokenMatch(nullptr, "a"), 0);
    EXPECT_EQ(TokenMatch("a", nullptr), 0);
}

TEST(TokenMatch, CaseFoldingIsAsciiOnly) {
    // 0xC4 and 0xE4 differ only by the Latin-1 case bit; they are different bytes.
    EXPECT_EQ(TokenMatch("\xC4x", "\xE4x"), 0);
    EXPECT_EQ(TokenMatch("\xC4x", "\xC4X"), 1);
}

TEST(TokenNext, FindsTheSecondTokenOrNothing) {
    const char *t = "Port 80";
    EXPECT_EQ(TokenNext(t), t + 5);
    EXPECT_EQ(TokenNext("Port"), nullptr);
    EXPECT_EQ(TokenNext("Port # 80"), nullptr);
    EXPECT_EQ(TokenNext("Port#80"), nullptr);
    const char *at = "Port@80";
    EXPECT_EQ(TokenNext(at), at + 5);
    const char *lead = " \t@a \n b";
    EXPECT_EQ(TokenNext(lead), lead + 7);
    EXPECT_EQ(TokenNext("   "), nullptr);
    EXPECT_EQ(TokenNext("#a b"), nullptr);
    EXPECT_EQ(TokenNext(nullptr), nullptr);
}

TEST(RuleSame, ComparesTokenByToken) {
    EXPECT_EQ(RuleSame("Pass /a/* /b/*", "pass   /A/*\t/B/*  # note"), 1);
    EXPECT_EQ(RuleSame("Pass /a/*\n", "@pass@/a/*"), 1);
    EXPECT_EQ(RuleSame("Pass /a/*", "Pass /a/* x"), 0);
    EXPECT_EQ(RuleSame("Pass /a/* x", "Pass /a/*"), 0);
    EXPECT_EQ(RuleSame("Pass /a/* x", "Pass /b/* x"), 0);
}

TEST(RuleSame, TextsWithoutTokensAreNeverSame) {
    EXPECT_EQ(RuleSame("", ""), 0);
    EXPECT_EQ(RuleSame("# c", "# c"), 0);
    EXPECT_EQ(RuleSame(" \n", " \n"), 0);
    EXPECT_EQ(RuleSame(nullptr, "a"), 0);
    EXPECT_EQ(RuleSame("a", nullptr), 0);
}

TEST(RuleFound, ReturnsTheFirstSameRule) {
    ListPtr list(MakeList({"Port 80\n", "pass /a/* /b/*\n", "PASS /A/* /B/*\n"}));
    EXPECT_EQ(RuleFound("Pass /a/*  /b/*", list.get()), list->next);
    EXPECT_EQ(RuleFound("Pass /a/*", list.get()), nullptr);
    EXPECT_EQ(RuleFound(nullptr, list.get()), nullptr);
    EXPECT_EQ(RuleFound("Port 80", nullptr), nullptr);
}

TEST(TokenDup, CopiesTheFirstTokenWithHashAsAnOrdinaryCharacter) {
    EXPECT_STREQ(HeapString(TokenDup("  @Port#x 80")).p, "Port#x");
    EXPECT_STREQ(HeapString(TokenDup("word")).p, "word");
    EXPECT_STREQ(HeapString(TokenDup(" \t\n")).p, "");
    EXPECT_EQ(TokenDup(""), nullptr);
    EXPECT_EQ(TokenDup(nullptr), nullptr);
}

TEST(CopyString, CopiesWholeTextOrGivesNull) {
    EXPECT_STREQ(HeapString(CopyString(" a b\n")).p, " a b\n");
    EXPECT_EQ(CopyString(""), nullptr);
    EXPECT_EQ(CopyString(nullptr), nullptr);
}

TEST(CutAtChar, CutsAtTheFirstOccurrenceOnly) {
    char text[] = "a=b=c";
    CutAtChar(text, '=');
    EXPECT_STREQ(text, "a");
    char none[] = "abc";
    CutAtChar(none, '=');
    EXPECT_STREQ(none, "abc");
    CutAtChar(nullptr, '=');
}

TEST(PointToNextField, SeparatesAtSpaceAndTabOnly) {
    const char *t = "  a   b c";
    EXPECT_EQ(PointToNextField(t), t + 6);
    const char *one = "abc";
    EXPECT_EQ(PointToNextField(one), one + 3);
    const char *tab = "a\tb";
    EXPECT_EQ(PointToNextField(tab), tab + 2);
    const char *trailing = "a  ";
    EXPECT_EQ(PointToNextField(trailing), trailing + 3);
    const char *newline = "a\nb c";
    EXPECT_EQ(PointToNextField(newline), newline + 4);
    EXPECT_EQ(PointToNextField(nullptr), nullptr);
}

TEST(StripQuotes, RemovesQuotesAtTheVeryEndsOnly) {
    char quoted[] = "\"abc\"";
    EXPECT_STREQ(StripQuotes(quoted), "abc");
    char inner[] = "\"\"a\"b\"\"";
    EXPECT_STREQ(StripQuotes(inner), "a\"b");
    char lineEnd[] = "\"abc\"\n";
    EXPECT_STREQ(StripQuotes(lineEnd), "abc\"\n");
    char onlyQuotes[] = "\"\"";
    EXPECT_STREQ(StripQuotes(onlyQuotes), " ");
    char empty[] = "";
    EXPECT_STREQ(StripQuotes(empty), " ");
}

TEST(StripCRLFAndConvertChars, EditInPlace) {
    char crlf[] = "abc\r\n";
    EXPECT_EQ(StripCRLF(crlf), 0);
    EXPECT_STREQ(crlf, "abc");
    char mid[] = "a\nb";
    StripCRLF(mid);
    EXPECT_STREQ(mid, "a");
    EXPECT_EQ(StripCRLF(nullptr), 0);

    char text[] = "(a\t\"b\")\r\n";
    EXPECT_EQ(ConvertChars(text, "\t\r\n()\"", ' '), 0);
    EXPECT_STREQ(text, " a  b    ");
    EXPECT_EQ(ConvertChars(nullptr, "a", ' '), 0);
}

struct Span {
    int32_t h = -1, m = -1, s = -1;
};

Span Parse(const char *text) {
    Span span;
    EXPECT_EQ(ParseTimeSpec(text, &span.h, &span.m, &span.s), 0);
    return span;
}

TEST(ParseTimeSpec, StoresNumbersByTheirUnitLetter) {
    Span a = Parse("1 hour 30 minutes");
    EXPECT_EQ(a.h, 1);
    EXPECT_EQ(a.m, 30);
    EXPECT_EQ(a.s, -1);
    Span b = Parse("12h30m15s");
    EXPECT_EQ(b.h, 12);
    EXPECT_EQ(b.m, 30);
    EXPECT_EQ(b.s, 15);
    Span c = Parse("after 5 h");
    EXPECT_EQ(c.h, 5);
    Span d = Parse("2 hours 3 hours 5 mins 7 seconds");
    EXPECT_EQ(d.h, 3);
    EXPECT_EQ(d.m, 5);
    EXPECT_EQ(d.s, 7);
}

TEST(ParseTimeSpec, IgnoresNumbersWithoutAKnownUnit) {
    Span a = Parse("90");
    EXPECT_EQ(a.h, -1);
    EXPECT_EQ(a.m, -1);
    EXPECT_EQ(a.s, -1);
    Span b = Parse("5 Hours 6 days");
    EXPECT_EQ(b.h, -1);
    EXPECT_EQ(b.m, -1);
    Span c = Parse("");
    EXPECT_EQ(c.h, -1);
}

TEST(ParseTimeSpec, SkipsOtherCharactersAndGoesOn) {
    Span a = Parse("1:30m");
    EXPECT_EQ(a.h, -1);
    EXPECT_EQ(a.m, 30);
    Span b = Parse("\xE9t\xE9 4h, 20s!");
    EXPECT_EQ(b.h, 4);
    EXPECT_EQ(b.s, 20);
    EXPECT_EQ(ParseTimeSpec(nullptr, nullptr, nullptr, nullptr), 0);
}

} // namespace
