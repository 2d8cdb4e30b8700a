// DefinePicsRule blocks as a whole: lookup by name, and get, put, copy,
// replace and delete, checked against the exact document text.
#include "blocks/pics.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

using testsupport::DocPtr;
using testsupport::DocText;
using testsupport::MakeDoc;

namespace {

// The block as a put writes it with the values R, D, A, S and E.
const char kFullBlock[] = R"(DefinePicsRule "R" {
     (PicsRule-1.0
          (
          name     (
                   rulename "R"
                   description "D"
                   )
          osmek-quillon-extensions (
               active-days "A"
               start-time "S"
               end-time "E"
                                )
         )
    )
}
)";

// A block whose name clause opens on its rulename line.
const char kInlineNameBlock[] = R"(DefinePicsRule "Src" {
     (PicsRule-1.0
          (
          name     (rulename "Src"
                   description "Kept")
          passurl ( "http://a/" )
         )
    )
}
)";

// Releases a record, leaving alone the constant texts a get may hand out.
struct RecordFreer {
    void operator()(PicsFilterRule *r) const {
        for (char *f : {r->RuleName, r->Description, r->ActiveDays, r->StartTime, r->EndTime})
            if (f && std::strcmp(f, "") != 0 && std::strcmp(f, " ") != 0) std::free(f);
        std::free(r);
    }
};
using RecordPtr = std::unique_ptr<PicsFilterRule, RecordFreer>;

RecordPtr Get(ConfigDocument *doc, const char *name) {
    return RecordPtr(HTTPDGetPicsFilterRule(doc, name));
}

PicsFilterRule Record(const char *name, const char *description, const char *days,
                      const char *start = nullptr, const char *end = nullptr) {
    return PicsFilterRule{const_cast<char *>(name), const_cast<char *>(description),
                          const_cast<char *>(days), const_cast<char *>(start),
                          const_cast<char *>(end)};
}

std::string Block(const char *name) {
    return "DefinePicsRule \"" + std::string(name) + "\" {\n}\n";
}

TEST(PicsRuleLookup, NamesCompareWithCaseDirectiveWithout) {
    DocPtr doc(MakeDoc("#DefinePicsRule \"Hidden\" {\n}\n"
                       "definepicsrule \"Kids\" {\n}\n"
                       "DEFINEPICSRULE Teens{\n}\n"
                       "DefinePicsRule Spaced {\n}\n"
                       "DefinePicsRule \"My rule\" {\n}\n"
                       "DefinePicsRule\n"));
    Line *kids = confkit::FindPicsRule(doc.get(), "Kids");
    ASSERT_NE(kids, nullptr);
    EXPECT_STREQ(kids->text, "definepicsrule \"Kids\" {\n");
    EXPECT_EQ(confkit::FindPicsRule(doc.get(), "kids"), nullptr);
    EXPECT_NE(confkit::FindPicsRule(doc.get(), "Teens"), nullptr);
    EXPECT_EQ(confkit::FindPicsRule(doc.get(), "Spaced"), nullptr);
    EXPECT_NE(confkit::FindPicsRule(doc.get(), "Spaced "), nullptr);
    EXPECT_NE(confkit::FindPicsRule(doc.get(), "My rule"), nullptr);
    EXPECT_EQ(confkit::FindPicsRule(doc.get(), "Hidden"), nullptr);
    EXPECT_EQ(confkit::FindPicsRule(doc.get(), ""), nullptr);
    EXPECT_EQ(confkit::PicsRuleName("DefinePicsRule\n"), "");
}

TEST(PicsRulePut, WritesTheFifteenAndThirteenLineLayouts) {
    DocPtr doc(MakeDoc("Port 80\n"));
    PicsFilterRule full = Record("R", "D", "A", "S", "E");
    EXPECT_EQ(HTTPDPutPicsFilterRule(doc.get(), &full, nullptr, 1), 1);
    EXPECT_EQ(DocText(doc.get()), std::string("Port 80\n") + kFullBlock);

    DocPtr doc2(MakeDoc("Port 80\n"));
    PicsFilterRule noTimes = Record("R", "D", "A");
    EXPECT_EQ(HTTPDPutPicsFilterRule(doc2.get(), &noTimes, "nosuch", 2), 1);
    std::string expected = std::string("Port 80\n") + kFullBlock;
    expected.erase(expected.find("               start-time"),
                   expected.find("                                )") -
                       expected.find("               start-time"));
    EXPECT_EQ(DocText(doc2.get()), expected);
    auto rec = Get(doc2.get(), "R");
    ASSERT_TRUE(rec);
    EXPECT_STREQ(rec->Description, "D");
    EXPECT_STREQ(rec->ActiveDays, "A");
    EXPECT_EQ(rec->StartTime, nullptr);
    EXPECT_EQ(rec->EndTime, nullptr);
}

TEST(PicsRulePut, NullTextsQuotesAndLongValues) {
    DocPtr doc(MakeDoc(""));
    PicsFilterRule nameless = Record(nullptr, "D", "A");
    EXPECT_EQ(HTTPDPutPicsFilterRule(doc.get(), &nameless, nullptr, 1), 0);
    EXPECT_EQ(HTTPDPutPicsFilterRule(doc.get(), nullptr, nullptr, 1), 0);
    EXPECT_EQ(DocText(doc.get()), "");

    PicsFilterRule quoted = Record("Q", "say \"hi\" then", nullptr);
    EXPECT_EQ(HTTPDPutPicsFilterRule(doc.get(), &quoted, nullptr, 1), 1);
    std::string text = DocText(doc.get());
    EXPECT_NE(text.find("\n                   description \"say 'hi' then\"\n"), std::string::npos);
    EXPECT_NE(text.find("\n               active-days \"\"\n"), std::string::npos);
    auto rec = Get(doc.get(), "Q");
    ASSERT_TRUE(rec);
    EXPECT_STREQ(rec->Description, "say 'hi' then");
    EXPECT_STREQ(rec->ActiveDays, " ");

    // A line feed or a text too long for its line would not read back: the
    // put changes nothing.
    PicsFilterRule twoLines = Record("T", "say\nthen", "A");
    std::string longName(2000, 'n');
    PicsFilterRule big = Record("Big", longName.c_str(), "A");
    EXPECT_EQ(HTTPDPutPicsFilterRule(doc.get(), &twoLines, nullptr, 2), 0);
    EXPECT_EQ(HTTPDPutPicsFilterRule(doc.get(), &big, nullptr, 2), 0);
    EXPECT_EQ(DocText(doc.get()), text);
}

TEST(PicsRulePut, PlacesBeforeOrAfterTheAnchor) {
    const std::string start = "Port 80\n" + Block("A") + Block("B");
    PicsFilterRule r = Record("N", "d", "a");
    std::string newBlock;
    {
        DocPtr empty(MakeDoc(""));
        HTTPDPutPicsFilterRule(empty.get(), &r, nullptr, 1);
        newBlock = DocText(empty.get());
    }
    DocPtr before(MakeDoc(start));
    HTTPDPutPicsFilterRule(before.get(), &r, "B", 1);
    EXPECT_EQ(DocText(before.get()), "Port 80\n" + Block("A") + newBlock + Block("B"));

    DocPtr after(MakeDoc(start));
    HTTPDPutPicsFilterRule(after.get(), &r, "A", 7);
    EXPECT_EQ(DocText(after.get()), "Port 80\n" + Block("A") + newBlock + Block("B"));

    // Before the document's first line: the new block becomes the head.
    DocPtr head(MakeDoc(Block("A")));
    HTTPDPutPicsFilterRule(head.get(), &r, "A", 1);
    EXPECT_EQ(DocText(head.get()), newBlock + Block("A"));
    EXPECT_EQ(head->first->prev, nullptr);

    // An anchor without a closing line: the block goes to the end.
    DocPtr open(MakeDoc("DefinePicsRule \"A\" {\nx\n"));
    HTTPDPutPicsFilterRule(open.get(), &r, "A", 2);
    EXPECT_EQ(DocText(open.get()), "DefinePicsRule \"A\" {\nx\n" + newBlock);
    EXPECT_TRUE(testsupport::ListWellFormed(open->first));
}

TEST(PicsRuleGet, ReadsDescriptionAsTheNameClauseGivesIt) {
    DocPtr doc(MakeDoc(std::string(kFullBlock) +
                       "DefinePicsRule \"Empty\" {\n"
                       "          name     (\n"
                       "                   rulename \"Empty\"\n"
                       "                   description \"\"\n"
                       "                   )\n"
                       "}\n"
                       "DefinePicsRule \"TwoSpaces\" {\n"
                       "  name (rulename  \"TwoSpaces\" description \"D\")\n"
                       "}\n"
                       "DefinePicsRule \"Long\" {\n"
                       "  name (\n  rulename \"Long\"\n\n\n\n  description \"D\"\n  )\n"
                       "}\n"
                       "DefinePicsRule \"NoClause\" {\n  active-days\n}\n"));
    auto full = Get(doc.get(), "R");
    ASSERT_TRUE(full);
    EXPECT_STREQ(full->RuleName, "R");
    EXPECT_STREQ(full->Description, "D");
    EXPECT_STREQ(full->ActiveDays, "A");
    EXPECT_STREQ(full->StartTime, "S");
    EXPECT_STREQ(full->EndTime, "E");

    auto empty = Get(doc.get(), "Empty");
    ASSERT_TRUE(empty);
    EXPECT_EQ(std::string(empty->Description), std::string(22, ' '));
    EXPECT_STREQ(Get(doc.get(), "TwoSpaces")->Description, "");
    EXPECT_STREQ(Get(doc.get(), "Long")->Description, "");
    auto none = Get(doc.get(), "NoClause");
    ASSERT_TRUE(none);
    EXPECT_EQ(none->Description, nullptr);
    EXPECT_EQ(none->ActiveDays, nullptr);
    EXPECT_FALSE(Get(doc.get(), "r"));
    EXPECT_FALSE(Get(doc.get(), nullptr));
    EXPECT_FALSE(Get(nullptr, "R"));
}

TEST(PicsRuleGet, NeverReadsPastTheClosingLine) {
    // The name clause lacks its ")" before the "}" line: gathering stops at
    // the block's end, and the keywords below it belong to no block.
    DocPtr doc(MakeDoc("DefinePicsRule \"R\" {\n"
                       "  name (\n"
                       "    rulename \"R\"\n"
                       "    description \"D\" }\n"
                       "  active-days \"X\"\n"
                       "  )\n"));
    auto rec = Get(doc.get(), "R");
    ASSERT_TRUE(rec);
    EXPECT_STREQ(rec->Description, "");
    EXPECT_EQ(rec->ActiveDays, nullptr);
}

TEST(PicsRuleCopy, RenamesBothShapesOfNameClause) {
    DocPtr doc(MakeDoc(std::string(kFullBlock) + kInlineNameBlock));
    EXPECT_EQ(HTTPDCopyPicsFilterRule(doc.get(), "R", "R", "R2", 1), 0);
    EXPECT_EQ(HTTPDCopyPicsFilterRule(doc.get(), "Src", "Src", "S2", 2), 0);
    std::string copyOfR = kFullBlock;
    copyOfR.replace(copyOfR.find("\"R\""), 3, "\"R2\"");
    copyOfR.replace(copyOfR.find("\"R\""), 3, "\"R2\"");
    std::string copyOfSrc = kInlineNameBlock;
    copyOfSrc.replace(copyOfSrc.find("\"Src\""), 5, "\"S2\"");
    copyOfSrc.replace(copyOfSrc.find("\"Src\""), 5, "\"S2\"");
    EXPECT_EQ(DocText(doc.get()), copyOfR + kFullBlock + kInlineNameBlock + copyOfSrc);

    auto r2 = Get(doc.get(), "R2");
    ASSERT_TRUE(r2);
    EXPECT_STREQ(r2->Description, "D");
    EXPECT_STREQ(r2->EndTime, "E");
    auto s2 = Get(doc.get(), "S2");
    ASSERT_TRUE(s2);
    EXPECT_STREQ(s2->Description, "Kept");
}

TEST(PicsRuleCopy, TakesTheLaterSourceAndStopsAtTheFirstBrace) {
    DocPtr doc(MakeDoc("DefinePicsRule \"S\" {\nfirst\n}\n"
                       "DefinePicsRule \"S\" {\n"
                       "  name (rulename\n"
                       "  description \"a}b\"\n"
                       "  )\n"
                       "}\n"));
    // A copy without a new name could never be found: nothing is copied.
    const std::string original = DocText(doc.get());
    HTTPDCopyPicsFilterRule(doc.get(), "S", "nosuch", nullptr, 1);
    EXPECT_EQ(DocText(doc.get()), original);
    HTTPDCopyPicsFilterRule(doc.get(), "S", "nosuch", "T", 1);
    EXPECT_EQ(DocText(doc.get()), "DefinePicsRule \"S\" {\nfirst\n}\n"
                                  "DefinePicsRule \"S\" {\n"
                                  "  name (rulename\n"
                                  "  description \"a}b\"\n"
                                  "  )\n"
                                  "}\n"
                                  "DefinePicsRule \"T\" {\n"
                                  "  name (rulename \"T\"\n"
                                  "}\n");
    std::string unchanged = DocText(doc.get());
    EXPECT_EQ(HTTPDCopyPicsFilterRule(doc.get(), "nosuch", "S", "X", 1), 0);
    EXPECT_EQ(HTTPDCopyPicsFilterRule(doc.get(), "S", nullptr, "X", 1), 0);
    EXPECT_EQ(DocText(doc.get()), unchanged);
}

TEST(PicsRuleCopy, RenamesOnlyTheNameClausesRulenameLine) {
    // "rulename" in a description or a URL is data, copied unchanged.
    DocPtr doc(MakeDoc("DefinePicsRule \"S\" {\n"
                       "          name     (\n"
                       "                   rulename \"S\"\n"
                       "                   description \"see rulename x\"\n"
                       "                   )\n"
                       "          passurl ( \"http://h/rulename\" )\n"
                       "}\n"));
    HTTPDCopyPicsFilterRule(doc.get(), "S", "S", "C", 2);
    auto copy = Get(doc.get(), "C");
    ASSERT_TRUE(copy);
    EXPECT_STREQ(copy->Description, "see rulename x");
    char *urls[3] = {};
    ASSERT_EQ(HTTPDGetPicsFilterSubdirective(doc.get(), "passurl", urls, "C"), 1);
    EXPECT_STREQ(urls[1], "http://h/rulename");
    std::free(urls[1]);
    // A new name that a block above the copy already has could never be
    // found: nothing is copied.
    const std::string before = DocText(doc.get());
    HTTPDCopyPicsFilterRule(doc.get(), "S", "C", "S", 2);
    EXPECT_EQ(DocText(doc.get()), before);
}

const char kWithClauses[] = R"(DefinePicsRule "R" {
     (PicsRule-1.0
          (
          passurl ( "P" )
          name     (
                   rulename "R"
                   description "D"
                   )
          osmek-quillon-extensions (
               active-days "A"
               start-time "S"
                                )
           Filter x
         )
    )
}
)";

TEST(PicsRuleReplace, RewritesItsTwoClausesAndNothingElse) {
    DocPtr doc(MakeDoc(std::string("Port 80\n") + kWithClauses));
    PicsFilterRule r = Record("New", "Desc", "Mon", nullptr, "23:00");
    EXPECT_EQ(HTTPDReplacePicsFilterRule(doc.get(), &r, "R"), 1);
    const std::string once = DocText(doc.get());
    EXPECT_EQ(once, "Port 80\n"
                    "DefinePicsRule \"New\" {\n"
                    "     (PicsRule-1.0\n"
                    "          (\n"
                    "          passurl ( \"P\" )\n"
                    "          name      (\n"
                    "                    rulename \"New\"\n"
                    "                    description \"Desc\"\n"
                    "                    )\n"
                    "          osmek-quillon-extensions (\n"
                    "                    active-days \"Mon\"\n"
                    "                    end-time \"23:00\"\n"
                    "                    )\n"
                    "           Filter x\n"
                    "         )\n"
                    "    )\n"
                    "}\n");
    EXPECT_FALSE(Get(doc.get(), "R"));
    auto rec = Get(doc.get(), "New");
    ASSERT_TRUE(rec);
    EXPECT_STREQ(rec->Description, "Desc");
    EXPECT_EQ(rec->StartTime, nullptr);

    EXPECT_EQ(HTTPDReplacePicsFilterRule(doc.get(), &r, "New"), 1);
    EXPECT_EQ(DocText(doc.get()), once);

    PicsFilterRule unnamed = Record(nullptr, "x", "y");
    EXPECT_EQ(HTTPDReplacePicsFilterRule(doc.get(), &unnamed, "New"), 0);
    EXPECT_EQ(HTTPDReplacePicsFilterRule(doc.get(), &r, "Missing"), 0);
    EXPECT_EQ(DocText(doc.get()), once);
}

TEST(PicsRuleReplace, KeepsTheClosingLineOfABrokenClause) {
    DocPtr doc(MakeDoc("DefinePicsRule \"R\" {\n"
                       "  name (\n"
                       "  rulename \"R\"\n"
                       "}\n"
                       "after )\n"));
    PicsFilterRule r = Record("R", "D", "A");
    EXPECT_EQ(HTTPDReplacePicsFilterRule(doc.get(), &r, "R"), 1);
    EXPECT_EQ(DocText(doc.get()), "DefinePicsRule \"R\" {\n"
                                  "          name      (\n"
                                  "                    rulename \"R\"\n"
                                  "                    description \"D\"\n"
                                  "                    )\n"
                                  "}\n"
                                  "after )\n");

    // Without a closing line only the clause's opening line is rewritten:
    // nothing up to the document's end is taken for the clause.
    DocPtr open(MakeDoc("DefinePicsRule \"R\" {\n  name (\n  rulename \"R\"\n  more\n"));
    EXPECT_EQ(HTTPDReplacePicsFilterRule(open.get(), &r, "R"), 1);
    EXPECT_EQ(DocText(open.get()), "DefinePicsRule \"R\" {\n"
                                   "          name      (\n"
                                   "                    rulename \"R\"\n"
                                   "                    description \"D\"\n"
                                   "                    )\n"
                                   "  rulename \"R\"\n"
                                   "  more\n");
}

TEST(PicsRuleDelete, RemovesHeaderThroughClosingLine) {
    DocPtr doc(MakeDoc(Block("A") + kFullBlock +
                       "DefinePicsRule \"B\" {\n"
                       "  description \"a}b\"\n"
                       "  )\n"
                       "}\n"));
    EXPECT_NE(HTTPDDeletePicsFilterRule(doc.get(), "R"), 0);
    EXPECT_EQ(DocText(doc.get()), Block("A") + "DefinePicsRule \"B\" {\n"
                                               "  description \"a}b\"\n"
                                               "  )\n"
                                               "}\n");
    EXPECT_NE(HTTPDDeletePicsFilterRule(doc.get(), "B"), 0);
    EXPECT_EQ(DocText(doc.get()), Block("A") + "  )\n}\n");
    EXPECT_NE(HTTPDDeletePicsFilterRule(doc.get(), "A"), 0);
    EXPECT_EQ(DocText(doc.get()), "  )\n}\n");
    EXPECT_EQ(doc->first->prev, nullptr);
    EXPECT_EQ(HTTPDDeletePicsFilterRule(doc.get(), "A"), 0);

    DocPtr last(MakeDoc("Port 80\nDefinePicsRule \"L\" {"));
    EXPECT_EQ(HTTPDDeletePicsFilterRule(last.get(), "L"), 0);
    EXPECT_EQ(DocText(last.get()), "Port 80\nDefinePicsRule \"L\" {");
}

} // namespace
