// Copying rules out of a document: which lines, in what order, and that the
// copies belong to the caller alone.
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testsupport::DocPtr;
using testsupport::ListPtr;
using testsupport::ListTexts;
using testsupport::ListWellFormed;
using testsupport::MakeDoc;
using Texts = std::vector<std::string>;

constexpr int32_t kEnable = 90, kFail = 96, kPass = 160, kProtection = 168;

TEST(RuleQueries, GetRulesCopiesTheLinesOfOneDirectiveInDocumentOrder) {
    // Neither header has a closing line, so neither encloses the other.
    DocPtr doc(MakeDoc("Protection a {\nprotect /x a\n  PROTECTION b {\n"));
    ListPtr rules(HTTPDGetRules(doc.get(), kProtection));
    EXPECT_EQ(ListTexts(rules.get()), (Texts{"Protection a {\n", "  PROTECTION b {\n"}));
    EXPECT_TRUE(ListWellFormed(rules.get()));
    // Copies, not the document's own lines.
    for (const Line *copy = rules.get(); copy; copy = copy->next)
        for (const Line *own = doc->first; own; own = own->next)
            EXPECT_NE(copy, own);
}

TEST(RuleQueries, CopiesOutliveTheDocument) {
    ConfigDocument *doc = MakeDoc("Pass /a/*\nPass /b/*\n");
    ListPtr rules(HTTPDGetRules(doc, kPass));
    HTTPDConfigClose(doc, 0);
    EXPECT_EQ(ListTexts(rules.get()), (Texts{"Pass /a/*\n", "Pass /b/*\n"}));
}

TEST(RuleQueries, NothingFoundGivesNull) {
    DocPtr doc(MakeDoc("Pass /a/*\n"));
    EXPECT_EQ(HTTPDGetRules(doc.get(), kFail), nullptr);
    EXPECT_EQ(HTTPDGetRules(doc.get(), 232), nullptr);
    EXPECT_EQ(HTTPDGetRules(doc.get(), -1), nullptr);
    EXPECT_EQ(HTTPDGetRules(nullptr, kPass), nullptr);
    const int32_t ids[] = {kPass, 0};
    EXPECT_EQ(HTTPDGetMultiRules(nullptr, ids), nullptr);
    EXPECT_EQ(HTTPDGetUserMethodRules(nullptr, kEnable), nullptr);
    EXPECT_EQ(HTTPDGetZarnRules(nullptr, kPass, "/a"), nullptr);
}

TEST(RuleQueries, MultiRulesCopyEachMatchingLineOnceUpToTheZeroEntry) {
    DocPtr doc(MakeDoc("Fail /f\nPort 80\nPass /p\nGC on\nGC Advisor x\nFail /g\n"));
    const int32_t passFail[] = {kPass, kFail, 0};
    ListPtr both(HTTPDGetMultiRules(doc.get(), passFail));
    EXPECT_EQ(ListTexts(both.get()), (Texts{"Fail /f\n", "Pass /p\n", "Fail /g\n"}));

    // "GC Advisor x" is both gc (100) and gc advisor (101): copied once.
    const int32_t gcBoth[] = {100, 101, 0};
    ListPtr gc(HTTPDGetMultiRules(doc.get(), gcBoth));
    EXPECT_EQ(ListTexts(gc.get()), (Texts{"GC on\n", "GC Advisor x\n"}));

    // IDs after the first 0 are not asked for.
    const int32_t stopsAtZero[] = {kFail, 0, kPass, 0};
    ListPtr fails(HTTPDGetMultiRules(doc.get(), stopsAtZero));
    EXPECT_EQ(ListTexts(fails.get()), (Texts{"Fail /f\n", "Fail /g\n"}));

    const int32_t none[] = {0, kPass, 0};
    EXPECT_EQ(HTTPDGetMultiRules(doc.get(), none), nullptr);
}

TEST(RuleQueries, UserMethodRulesLeaveOutTheStandardMethods) {
    DocPtr doc(MakeDoc("Enable get\nEnable PROPFIND\nEnable TRACE\nEnable MOVE /x\nEnable Connect\n"
                       "Enable GET#x\nEnable\nEnable @OPTIONS\nDisable MOVE\n"));
    ListPtr rules(HTTPDGetUserMethodRules(doc.get(), kEnable));
    // "GET#x" is a method of its own ("#" does not end the method word); a
    // line without a method names no standard one and is kept.
    EXPECT_EQ(ListTexts(rules.get()),
              (Texts{"Enable PROPFIND\n", "Enable MOVE /x\n", "Enable GET#x\n", "Enable\n"}));
}

TEST(RuleQueries, ZarnRulesMatchTheTextCaseSensitivelyAnywhereInTheLine) {
    DocPtr doc(MakeDoc("Pass /x/a\nPass /X/b\nFail /x/c\nPass /y /x/\nPass /x\n"));
    ListPtr rules(HTTPDGetZarnRules(doc.get(), kPass, "/x/"));
    EXPECT_EQ(ListTexts(rules.get()), (Texts{"Pass /x/a\n", "Pass /y /x/\n"}));
    // The directive word is part of the searched text.
    ListPtr byWord(HTTPDGetZarnRules(doc.get(), kPass, "ss /X"));
    EXPECT_EQ(ListTexts(byWord.get()), (Texts{"Pass /X/b\n"}));
}

} // namespace
