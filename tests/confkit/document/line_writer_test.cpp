// The line writer and the chains of new Lines built with it.
#include "internal.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using namespace confkit;
using testsupport::ListPtr;
using testsupport::ListTexts;
using testsupport::ListWellFormed;

TEST(MakeLine, JoinsHeadValueAndTail) {
    ListPtr l(MakeLine("   Name ", "value", "\n"));
    ASSERT_NE(l, nullptr);
    EXPECT_STREQ(l->text, "   Name value\n");
    EXPECT_EQ(l->next, nullptr);
    EXPECT_EQ(l->prev, nullptr);
}

TEST(MakeLine, CutsTheValueSoTheLineFitsAndKeepsItsEnd) {
    const std::string value(3000, 'v');
    ListPtr l(MakeLine("   Name ", value, " }\n"));
    ASSERT_NE(l, nullptr);
    const std::string text = l->text;
    EXPECT_EQ(text.size(), kMaxLineChars + 1);
    EXPECT_EQ(text.substr(0, 8), "   Name ");
    EXPECT_EQ(text.substr(text.size() - 3), " }\n");

    ListPtr noNewline(MakeLine("x ", value));
    EXPECT_EQ(std::strlen(noNewline->text), kMaxLineChars);
}

TEST(MakeLine, AFinalNewlineSurvivesCutting) {
    const std::string value(3000, 'v');
    ListPtr inValue(MakeLine("Pass ", value + "\n"));
    const std::string a = inValue->text;
    EXPECT_EQ(a.size(), kMaxLineChars + 1);
    EXPECT_EQ(a.back(), '\n');
    ListPtr inHead(MakeLine(value + "\n"));
    const std::string b = inHead->text;
    EXPECT_EQ(b.size(), kMaxLineChars + 1);
    EXPECT_EQ(b.back(), '\n');
}

TEST(Chain, BuildsAndReleasesUnlessHandedOver) {
    Chain chain;
    EXPECT_TRUE(chain.empty());
    chain.Add("a ", "1", "\n");
    chain.Add("b 2\n");
    chain.Append(LinesNew(1));
    EXPECT_EQ(ListTexts(chain.first()), (std::vector<std::string>{"a 1\n", "b 2\n", ""}));
    EXPECT_EQ(chain.last()->next, nullptr);
    ListPtr taken(chain.Release());
    EXPECT_TRUE(chain.empty());
    EXPECT_TRUE(ListWellFormed(taken.get()));
    { // A chain that is never handed over is released (LeakSanitizer checks).
        Chain dropped;
        dropped.Add("x 1\n");
    }
}

TEST(Chain, AValueWithLineEndsGivesOneLinePerLineOfTheFile) {
    Chain chain;
    chain.Add("     RCAAddr ", "10.0.0.1\n", "\n");
    chain.Add("a ", "x\ny\n\nz", "\n");
    EXPECT_EQ(ListTexts(chain.first()), (std::vector<std::string>{"     RCAAddr 10.0.0.1\n", "\n",
                                                                  "a x\n", "y\n", "\n", "z\n"}));
    ListPtr taken(chain.Release());
    EXPECT_TRUE(ListWellFormed(taken.get()));
}

} // namespace
