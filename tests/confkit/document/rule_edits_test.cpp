// Removing, adding and replacing rules: the document text after each edit,
// the part of the list handed back, and the ownership of every list line.
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using testsupport::DocPtr;
using testsupport::DocText;
using testsupport::ListPtr;
using testsupport::ListTexts;
using testsupport::ListWellFormed;
using testsupport::MakeDoc;
using testsupport::MakeList;
using Texts = std::vector<std::string>;

constexpr int32_t kFail = 96, kPass = 160;

// An open document whose body has no Line at all.
ConfigDocument *EmptyBodyDoc() {
    auto *doc = static_cast<ConfigDocument *>(std::calloc(1, sizeof(ConfigDocument)));
    doc->path = strdup("memory.conf");
    return doc;
}

TEST(RemoveRules, RemovesTheSameRuleAndHandsBackWhatFoundNoPartner) {
    DocPtr doc(MakeDoc("Port 80\npass   /A/*\nPort 81\n"));
    EXPECT_EQ(HTTPDRemoveRules(doc.get(), kPass, MakeList({"Pass /a/*\n"})), nullptr);
    EXPECT_EQ(DocText(doc.get()), "Port 80\nPort 81\n");

    Line *other = MakeList({"Pass /b/*\n"});
    ListPtr left(HTTPDRemoveRules(doc.get(), kPass, other));
    EXPECT_EQ(left.get(), other);
    EXPECT_EQ(ListTexts(left.get()), (Texts{"Pass /b/*\n"}));
    EXPECT_EQ(DocText(doc.get()), "Port 80\nPort 81\n");
}

TEST(RemoveRules, RemovingTheFirstLineMovesTheDocumentsStart) {
    DocPtr doc(MakeDoc("Pass /a\nPort 80\n"));
    Line *second = doc->first->next;
    EXPECT_EQ(HTTPDRemoveRules(doc.get(), kPass, MakeList({"PASS\t/a # old\n"})), nullptr);
    EXPECT_EQ(doc->first, second);
    EXPECT_EQ(doc->first->prev, nullptr);
    EXPECT_EQ(DocText(doc.get()), "Port 80\n");
}

TEST(RemoveRules, PairsDocumentAndListLinesOneToOne) {
    DocPtr doc(MakeDoc("Pass /a\nPass /b\nPass /a\nPass /a\n"));
    // Two list lines remove the first two of the three equal rules; the
    // unused list lines come back in list order.
    ListPtr left(HTTPDRemoveRules(
        doc.get(), kPass, MakeList({"Pass /z\n", "pass /A\n", "Pass /y\n", "Pass /a #\n"})));
    EXPECT_EQ(ListTexts(left.get()), (Texts{"Pass /z\n", "Pass /y\n"}));
    EXPECT_TRUE(ListWellFormed(left.get()));
    EXPECT_EQ(DocText(doc.get()), "Pass /b\nPass /a\n");
}

TEST(RemoveRules, LeavesLinesOfOtherDirectivesAndTokenlessLinesAlone) {
    DocPtr doc(MakeDoc("Fail /a\n# Pass /a\n\n"));
    Line *list = MakeList({"Fail /a\n", "# Pass /a\n", "\n"});
    ListPtr left(HTTPDRemoveRules(doc.get(), kPass, list));
    EXPECT_EQ(left.get(), list);
    EXPECT_EQ(ListTexts(left.get()).size(), 3u);
    EXPECT_EQ(DocText(doc.get()), "Fail /a\n# Pass /a\n\n");
}

TEST(RemoveRules, WithoutADocumentTheListComesBackUnchanged) {
    Line *list = MakeList({"Pass /a\n"});
    EXPECT_EQ(HTTPDRemoveRules(nullptr, kPass, list), list);
    DocPtr empty(EmptyBodyDoc());
    EXPECT_EQ(HTTPDRemoveRules(empty.get(), kPass, list), list);
    LinesFree(list);
}

TEST(AddRules, NewRulesFollowTheLastRuleTheListDoesNotRepeat) {
    DocPtr doc(MakeDoc("Pass /a/*\nPass /b/*\nPort 80\n"));
    HTTPDAddRules(doc.get(), kPass, MakeList({"Pass /c/*\n"}));
    EXPECT_EQ(DocText(doc.get()), "Pass /a/*\nPass /b/*\nPass /c/*\nPort 80\n");

    // /c is repeated, so the new rule follows /b, the last one not repeated.
    DocPtr repeated(MakeDoc("Pass /a\nPass /b\nPass /c\nPort 80\n"));
    HTTPDAddRules(repeated.get(), kPass, MakeList({"pass /c\n", "Pass /z\n", "Fail /q\n"}));
    EXPECT_EQ(DocText(repeated.get()), "Pass /a\nPass /b\nPass /z\nFail /q\nPass /c\nPort 80\n");
    EXPECT_TRUE(ListWellFormed(repeated->first));
}

TEST(AddRules, WithoutAnUnrepeatedRuleTheListGoesAtTheEnd) {
    DocPtr none(MakeDoc("Port 80\n"));
    HTTPDAddRules(none.get(), kPass, MakeList({"Pass /c/*\n"}));
    EXPECT_EQ(DocText(none.get()), "Port 80\nPass /c/*\n");

    // The only rule is the last Line, and the list repeats it.
    DocPtr last(MakeDoc("Port 80\nPass /a/*"));
    HTTPDAddRules(last.get(), kPass, MakeList({"Pass /a/*\n", "Pass /d/*\n"}));
    EXPECT_EQ(DocText(last.get()), "Port 80\nPass /a/*Pass /d/*\n");
}

TEST(AddRules, DropsRepeatsOncePerDocumentRuleAndKeepsListDuplicates) {
    DocPtr doc(MakeDoc("Pass /a\nPort 80\n"));
    HTTPDAddRules(doc.get(), kPass,
                  MakeList({"Pass /a\n", "Pass /a\n", "Pass /n\n", "Pass /n\n", "\n"}));
    EXPECT_EQ(DocText(doc.get()), "Pass /a\nPort 80\nPass /a\nPass /n\nPass /n\n\n");
}

TEST(AddRules, UnknownIdAddsTheWholeListAtTheEnd) {
    DocPtr doc(MakeDoc("Pass /a\n"));
    HTTPDAddRules(doc.get(), 232, MakeList({"Pass /a\n"}));
    EXPECT_EQ(DocText(doc.get()), "Pass /a\nPass /a\n");
}

TEST(ReplaceRules, KeepsListedRulesAndPutsNewOnesWhereTheLastRemovedWas) {
    DocPtr doc(MakeDoc("Pass /a/*\nPass /b/*\nPort 80\n"));
    HTTPDReplaceRules(doc.get(), kPass, MakeList({"Pass /a/*\n", "Pass /c/*\n"}));
    EXPECT_EQ(DocText(doc.get()), "Pass /a/*\nPass /c/*\nPort 80\n");

    DocPtr spread(MakeDoc("Pass /x\nPort 80\nPass /a\nPass /y\nPort 81\n"));
    HTTPDReplaceRules(spread.get(), kPass, MakeList({"Pass /n\n", "Pass /a\n", "Pass /m\n"}));
    EXPECT_EQ(DocText(spread.get()), "Port 80\nPass /a\nPass /n\nPass /m\nPort 81\n");
}

TEST(ReplaceRules, KeptRulesKeepTheDocumentsText) {
    DocPtr doc(MakeDoc("PASS   /A # keep\nPort 80\n"));
    HTTPDReplaceRules(doc.get(), kPass, MakeList({"pass /a\n"}));
    EXPECT_EQ(DocText(doc.get()), "PASS   /A # keep\nPort 80\n");
}

TEST(ReplaceRules, RemovingTheFirstLineLeavesTheRestInPlace) {
    DocPtr doc(MakeDoc("Pass /x\nPort 80\nPass /a\n"));
    Line *second = doc->first->next;
    HTTPDReplaceRules(doc.get(), kPass, MakeList({"Pass /a\n"}));
    EXPECT_EQ(doc->first, second);
    EXPECT_EQ(DocText(doc.get()), "Port 80\nPass /a\n");

    // The only removed rule was the first Line, so the new rule is added as
    // by AddRules: after the last rule the remaining list does not repeat.
    DocPtr added(MakeDoc("Pass /x\nPort 80\nPass /a\nPort 81\n"));
    HTTPDReplaceRules(added.get(), kPass, MakeList({"Pass /a\n", "Pass /n\n"}));
    EXPECT_EQ(DocText(added.get()), "Port 80\nPass /a\nPass /n\nPort 81\n");
}

TEST(ReplaceRules, FallingBackToAddDropsListRepeatsASecondTime) {
    // Nothing is removed; the remaining list goes through AddRules, which
    // drops the second "Pass /a" against the same document rule.
    DocPtr doc(MakeDoc("Pass /a\nPort 80\n"));
    HTTPDReplaceRules(doc.get(), kPass, MakeList({"Pass /a\n", "Pass /a\n", "Pass /c\n"}));
    EXPECT_EQ(DocText(doc.get()), "Pass /a\nPort 80\nPass /c\n");
}

TEST(ReplaceRules, NullListRemovesEveryRuleOfTheId) {
    DocPtr doc(MakeDoc("Pass /a\nFail /a\nPASS /b\n"));
    HTTPDReplaceRules(doc.get(), kPass, nullptr);
    EXPECT_EQ(DocText(doc.get()), "Fail /a\n");

    DocPtr all(MakeDoc("Pass /a\nPass /b"));
    HTTPDReplaceRules(all.get(), kPass, nullptr);
    EXPECT_EQ(all->first, nullptr);
}

TEST(ReplaceRules, WhenEveryLineGoesTheNewRulesBecomeTheBody) {
    DocPtr doc(MakeDoc("Pass /a\nPass /b"));
    Line *list = MakeList({"Pass /c\n", "Pass /d\n"});
    HTTPDReplaceRules(doc.get(), kPass, list);
    EXPECT_EQ(doc->first, list);
    EXPECT_TRUE(ListWellFormed(doc->first));
    EXPECT_EQ(DocText(doc.get()), "Pass /c\nPass /d\n");
}

TEST(ReplaceRules, UnknownIdRemovesNothingAndAddsAtTheEnd) {
    DocPtr doc(MakeDoc("Pass /a\nPort 80\n"));
    HTTPDReplaceRules(doc.get(), -1, MakeList({"Pass /a\n", "Fail /b\n"}));
    EXPECT_EQ(DocText(doc.get()), "Pass /a\nPort 80\nPass /a\nFail /b\n");
}

TEST(AddAndReplace, WithoutADocumentBodyTheListStaysTheCallers) {
    Line *list = MakeList({"Pass /a\n", "Pass /b\n"});
    HTTPDAddRules(nullptr, kPass, list);
    HTTPDReplaceRules(nullptr, kPass, list);
    DocPtr empty(EmptyBodyDoc());
    HTTPDAddRules(empty.get(), kPass, list);
    HTTPDReplaceRules(empty.get(), kPass, list);
    EXPECT_EQ(empty->first, nullptr);
    EXPECT_EQ(ListTexts(list), (Texts{"Pass /a\n", "Pass /b\n"}));
    EXPECT_TRUE(ListWellFormed(list));
    LinesFree(list);
}

TEST(RuleEdits, OtherDirectivesEqualToListLinesAreNeverTouched) {
    DocPtr doc(MakeDoc("Fail /a\nPass /b\n"));
    HTTPDReplaceRules(doc.get(), kPass, MakeList({"Fail /a\n"}));
    // Pass /b goes; the list's Fail line takes its place; the document's own
    // Fail line stays.
    EXPECT_EQ(DocText(doc.get()), "Fail /a\nFail /a\n");
    HTTPDAddRules(doc.get(), kFail, MakeList({"fail /A\n", "fail /A\n"}));
    EXPECT_EQ(DocText(doc.get()), "Fail /a\nFail /a\n");
}

TEST(RuleEdits, EditedFileIsWrittenBackWithItsLineEnds) {
    testsupport::TempDir dir;
    const std::string path = dir.File("proxy.conf");
    testsupport::WriteFile(path, "# rules\r\nPass /a/* /x/*\r\nPass /b/*\r\nFail /c/*\r\n"
                                 "Port 80\r\nPass /d/*\r\n");
    ConfigDocument *doc = HTTPDConfigOpen(path.c_str());
    ASSERT_NE(doc, nullptr);
    HTTPDReplaceRules(doc, kPass, MakeList({"PASS /a/*  /X/*\n", "Pass /e/*\n"}));
    HTTPDAddRules(doc, kFail, MakeList({"Fail /c/*\n", "Fail /f/*\n"}));
    EXPECT_EQ(HTTPDRemoveRules(doc, kPass, MakeList({"pass /E/*\n"})), nullptr);
    ASSERT_EQ(HTTPDConfigClose(doc, 1), 0);
    EXPECT_EQ(testsupport::ReadFile(path),
              "# rules\r\nPass /a/* /x/*\r\nFail /c/*\r\nPort 80\r\nFail /f/*\r\n");
}

// ---- Rules live outside blocks ----

// Lines of the sample configuration: server settings and blocks whose bodies
// hold subdirectives that share names with them.
const char kSample[] = "ServerRoot          /opt/tarrowgate\n"
                       "Port                8080\n"
                       "BindSpecific        OFF\n"
                       "UserId              nobody\n"
                       "Protection  ADMIN-PROT  {\n"
                       "      UserID       %%CLIENT%%\n"
                       "}\n"
                       "Protect  /admin/*  ADMIN-PROT\n"
                       "Protect  /reports/*  {\n"
                       "      ServerID     Reports\n"
                       "}\n"
                       "LDAPInfo corp-ldap {\n"
                       "      Port                     636\n"
                       "}\n"
                       "Member cache-west {\n"
                       "     BindSpecific OFF\n"
                       "}\n";

// kSample with one piece of text replaced.
std::string SampleWith(const std::string &from, const std::string &to) {
    std::string s = kSample;
    s.replace(s.find(from), from.size(), to);
    return s;
}

TEST(RulesOutsideBlocks, EditsOfTheSampleTouchOnlyWhatTheyAddress) {
    enum Op { Add, Replace, Remove };
    const struct {
        const char *what;
        Op op;
        int32_t id;
        Texts list;
        std::string want;
    } cases[] = {
        {"replace Port leaves the LDAP server's port",
         Replace,
         164,
         {"Port 8081\n"},
         SampleWith("Port                8080\n", "Port 8081\n")},
        {"replace UserId leaves a setup's UserID",
         Replace,
         225,
         {"UserId www\n"},
         SampleWith("UserId              nobody\n", "UserId www\n")},
        {"add Protect goes after the block of the last Protect",
         Add,
         167,
         {"Protect /new/* ADMIN-PROT\n"},
         SampleWith("Reports\n}\n", "Reports\n}\nProtect /new/* ADMIN-PROT\n")},
        {"add BindSpecific stays out of the Member block",
         Add,
         23,
         {"BindSpecific ON\n"},
         SampleWith("OFF\nUserId", "OFF\nBindSpecific ON\nUserId")},
        {"remove a block header removes its block",
         Remove,
         167,
         {"protect /reports/* {\n"},
         SampleWith("Protect  /reports/*  {\n      ServerID     Reports\n}\n", "")},
        {"replace removes a block it does not keep; new rules take its place",
         Replace,
         167,
         {"Protect /admin/* ADMIN-PROT\n", "Protect /ops/* CERT-PROT\n"},
         SampleWith("Protect  /reports/*  {\n      ServerID     Reports\n}\n",
                    "Protect /ops/* CERT-PROT\n")},
        {"a replace that removes nothing adds after the last header's block",
         Replace,
         125,
         {"LDAPInfo corp-ldap {\n", "LDAPInfo second { }\n"},
         SampleWith("636\n}\n", "636\n}\nLDAPInfo second { }\n")},
    };
    for (const auto &c : cases) {
        DocPtr doc(MakeDoc(kSample));
        Line *list = MakeList(c.list);
        if (c.op == Add) HTTPDAddRules(doc.get(), c.id, list);
        if (c.op == Replace) HTTPDReplaceRules(doc.get(), c.id, list);
        Line *left = c.op == Remove ? HTTPDRemoveRules(doc.get(), c.id, list) : nullptr;
        EXPECT_EQ(left, nullptr) << c.what;
        EXPECT_EQ(DocText(doc.get()), c.want) << c.what;
        EXPECT_TRUE(ListWellFormed(doc->first)) << c.what;
    }
}

TEST(RulesOutsideBlocks, QueriesSeeHeadersAndNoBodies) {
    DocPtr doc(MakeDoc(kSample));
    EXPECT_EQ(ListTexts(ListPtr(HTTPDGetRules(doc.get(), 164)).get()),
              (Texts{"Port                8080\n"}));
    const int32_t ids[] = {225, 23, 0};
    EXPECT_EQ(ListTexts(ListPtr(HTTPDGetMultiRules(doc.get(), ids)).get()),
              (Texts{"BindSpecific        OFF\n", "UserId              nobody\n"}));
    EXPECT_EQ(ListTexts(ListPtr(HTTPDGetZarnRules(doc.get(), 167, "/")).get()),
              (Texts{"Protect  /admin/*  ADMIN-PROT\n", "Protect  /reports/*  {\n"}));

    // The page shows the default when only the LDAP server has a port.
    DocPtr ldapOnly(MakeDoc("LDAPInfo corp-ldap {\n      Port 636\n}\n"));
    EXPECT_EQ(testsupport::CaptureStdout(
                  [&] { GenTextField("[%s]", "Port", 2, 0, "80", ldapOnly.get()); }),
              "[80]");
}

TEST(RulesOutsideBlocks, WhatEndsABlockAndWhatOpensNone) {
    const struct {
        const char *text;
        Texts ports;
    } cases[] = {
        // A header without a closing line, or holding its own "}", encloses
        // nothing; inside a block no header is recognised.
        {"Member m {\nPort 1\n", {"Port 1\n"}},
        {"LDAPInfo l { }\nPort 1\n}\nPort 2\n", {"Port 1\n", "Port 2\n"}},
        {"Protection a {\nProtect /x {\nPort 1\n}\nPort 2\n}\n", {"Port 2\n"}},
        {"protection{ a\nPort 1\n}\nPass /x {\nPort 2\n}\n", {"Port 1\n", "Port 2\n"}},
        {"  definepicsrule \"R\" {\nPort 1\n } Port 2\nPort 3\n", {"Port 3\n"}},
    };
    for (const auto &c : cases) {
        DocPtr doc(MakeDoc(c.text));
        EXPECT_EQ(ListTexts(ListPtr(HTTPDGetRules(doc.get(), 164)).get()), c.ports) << c.text;
    }
}

} // namespace
