// The shared internals: private field split, block end, line writer and
// document splicing.
#include "internal.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using namespace confkit;
using testsupport::DocPtr;
using testsupport::DocText;
using testsupport::ListPtr;
using testsupport::ListTexts;
using testsupport::ListWellFormed;
using testsupport::MakeDoc;
using testsupport::MakeList;

TEST(SplitFields, SplitsAtRunsOfDelimiters) {
    const auto f = SplitFields("  a \t b\n\nc  ", " \t\n");
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(f[0], "a");
    EXPECT_EQ(f[1], "b");
    EXPECT_EQ(f[2], "c");
    EXPECT_TRUE(SplitFields(" \t ", " \t").empty());
    EXPECT_TRUE(SplitFields("", " ").empty());
}

TEST(FieldOf, CountsFromOneAndGivesEmptyPastTheEnd) {
    EXPECT_EQ(FieldOf("a  b\tc\r\n", 2), "b");
    EXPECT_EQ(FieldOf("a  b\tc\r\n", 3), "c");
    EXPECT_EQ(FieldOf("a  b\tc", 0), "a");
    EXPECT_EQ(FieldOf("a  b\tc", 4), "");
    EXPECT_EQ(FieldOf("", 1), "");
}

TEST(BlockEnd, IsTheFirstLaterLineHoldingABrace) {
    DocPtr doc(MakeDoc("Protection p {\n a b\n x}y\n}\n"));
    Line *header = doc->first;
    Line *end = BlockEnd(header);
    ASSERT_NE(end, nullptr);
    EXPECT_STREQ(end->text, " x}y\n");
    // The header's own brace does not count; no later brace: nullptr.
    DocPtr open(MakeDoc("Protection p {}\n a b\n"));
    EXPECT_EQ(BlockEnd(open->first), nullptr);
    EXPECT_EQ(BlockEnd(nullptr), nullptr);
}

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

TEST(Splicing, InsertsBeforeAndAfterKeepingTheFirstLine) {
    DocPtr doc(MakeDoc("b\nc\n"));
    InsertBefore(doc.get(), doc->first, MakeList({"a\n"}));
    EXPECT_EQ(DocText(doc.get()), "a\nb\nc\n");
    InsertBefore(doc.get(), nullptr, MakeList({"0\n"}));
    EXPECT_EQ(DocText(doc.get()), "0\na\nb\nc\n");
    InsertBefore(doc.get(), doc->first->next->next, MakeList({"ab1\n", "ab2\n"}));
    EXPECT_EQ(DocText(doc.get()), "0\na\nab1\nab2\nb\nc\n");
    InsertAfter(doc.get(), nullptr, MakeList({"z\n"}));
    EXPECT_EQ(DocText(doc.get()), "0\na\nab1\nab2\nb\nc\nz\n");
    InsertAfter(doc.get(), doc->first, MakeList({"01\n"}));
    EXPECT_EQ(DocText(doc.get()), "0\n01\na\nab1\nab2\nb\nc\nz\n");
    EXPECT_TRUE(ListWellFormed(doc->first));
    EXPECT_STREQ(LastLine(doc.get())->text, "z\n");
}

TEST(Splicing, EmptyDocumentsTakeTheChainAsTheirBody) {
    DocPtr doc(MakeDoc(""));
    LinesFree(doc->first);
    doc->first = nullptr;
    EXPECT_EQ(LastLine(doc.get()), nullptr);
    InsertAfter(doc.get(), nullptr, MakeList({"a\n"}));
    EXPECT_EQ(DocText(doc.get()), "a\n");
    LinesFree(doc->first);
    doc->first = nullptr;
    InsertBefore(doc.get(), nullptr, MakeList({"b\n"}));
    EXPECT_EQ(DocText(doc.get()), "b\n");
}

TEST(RemoveRange, ReleasesInclusiveRangesAndFixesTheFirstLine) {
    DocPtr doc(MakeDoc("a\nb\nc\nd\n"));
    Line *b = doc->first->next;
    Line *c = b->next;
    EXPECT_EQ(RemoveRange(doc.get(), b, c), doc->first->next);
    EXPECT_EQ(DocText(doc.get()), "a\nd\n");
    Line *d = doc->first->next;
    EXPECT_EQ(RemoveRange(doc.get(), doc->first, nullptr), d);
    EXPECT_EQ(doc->first, d);
    EXPECT_EQ(d->prev, nullptr);
    EXPECT_EQ(DocText(doc.get()), "d\n");
    EXPECT_TRUE(ListWellFormed(doc->first));
}

} // namespace
