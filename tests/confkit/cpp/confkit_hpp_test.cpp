// The C++ interface: ownership of lists, documents and records (records that
// hold the library's constant texts are released without freeing those).
#include "confkit.hpp"
#include "test_support.h"

#include <gtest/gtest.h>

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

TEST(ConfkitHpp, LineListsOwnTheirLines) {
    confkit::LineList list = confkit::LineList::FromTexts({"Pass /a/*\n", "Pass /b/*\n", ""});
    EXPECT_EQ(list.size(), 3u);
    EXPECT_EQ(list.Texts(), (std::vector<std::string>{"Pass /a/*\n", "Pass /b/*\n", ""}));
    EXPECT_TRUE(testsupport::ListWellFormed(list.get()));
    confkit::LineList moved = std::move(list);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(moved.size(), 3u);
    EXPECT_TRUE(confkit::LineList::FromTexts({}).empty());
    EXPECT_THROW(confkit::LineList::FromTexts({std::string(CONFKIT_LINE_SIZE, 'x')}),
                 confkit::Error);
    EXPECT_NO_THROW(confkit::LineList::FromTexts({std::string(CONFKIT_LINE_SIZE - 1, 'x')}));
}

TEST(ConfkitHpp, DocumentsOpenEditWriteAndClose) {
    TempDir dir;
    std::string path = dir.File("proxy.conf");
    WriteFile(path, "Port 80\r\nPass /a/*\r\n");
    EXPECT_THROW(confkit::Document::Open(""), confkit::Error);

    confkit::Document doc = confkit::Document::Open(path);
    EXPECT_EQ(doc.Path(), path);
    EXPECT_EQ(doc.Lines().size(), 3u);
    const int32_t pass = confkit::RuleId("PASS");
    EXPECT_EQ(confkit::RuleName(pass), "pass");
    EXPECT_EQ(confkit::RuleName(232), "");
    doc.AddRules(pass, confkit::LineList::FromTexts({"Pass /b/*\n"}));
    EXPECT_EQ(doc.Rules(pass).Texts(), (std::vector<std::string>{"Pass /a/*\n", "Pass /b/*\n"}));
    EXPECT_EQ(doc.RemoveRules(pass, confkit::LineList::FromTexts({"Pass /z/*\n"})).Texts(),
              std::vector<std::string>{"Pass /z/*\n"});
    confkit::Document other = std::move(doc);
    other.Close(true);
    EXPECT_EQ(ReadFile(path), "Port 80\r\nPass /a/*\r\nPass /b/*\r\n");
}

TEST(ConfkitHpp, RecordsReleaseTheirTextsButNotTheLibraryConstants) {
    confkit::Document doc(
        testsupport::MakeDoc("Protect /p/* S\n"
                             "Protection T {\n  SSL_ClientAuth client\n  CommonName \"\"\n}\n"
                             "LDAPInfo L {\n  KeyLabel \"\"\n}\n"
                             "DefinePicsRule \"R\" {\n (PicsRule-1.0\n  (\n  name (\n"
                             "   rulename \"R\"\n   )\n  osmek-quillon-extensions (\n"
                             "   active-days \"\"\n   )\n )\n)\n}\n"));
    // Each record holds constants of the library: freeing one would abort,
    // and leaving the other texts would leak (LeakSanitizer runs in CI).
    for (int round = 0; round < 2; ++round) {
        confkit::Record<ProtectRule> line = doc.Protect("/p/*");
        ASSERT_TRUE(line);
        EXPECT_STREQ(line->Address, "");
        confkit::Record<ProtectRule> block = doc.Protect("T");
        ASSERT_TRUE(block);
        EXPECT_STREQ(block->SSL_ClientAuth, "1");
        EXPECT_STREQ(block->CommonName, " ");
        block.Set(&ProtectRule::CommonName, "changed");
        EXPECT_STREQ(block->CommonName, "changed");
        confkit::Record<LDAPRule> ldap = doc.LDAP("L");
        ASSERT_TRUE(ldap);
        EXPECT_STREQ(ldap->KeyLabel, " ");
        confkit::Record<PicsFilterRule> pics = doc.Pics("R");
        ASSERT_TRUE(pics);
        EXPECT_STREQ(pics->Description, "");
        EXPECT_STREQ(pics->ActiveDays, " ");
    }
    EXPECT_FALSE(doc.Protect("nothing"));
}

TEST(ConfkitHpp, ValueListsCarryClauseValues) {
    confkit::Document doc(testsupport::MakeDoc(""));
    confkit::Record<PicsFilterRule> rule = confkit::Record<PicsFilterRule>::Empty();
    rule.Set(&PicsFilterRule::RuleName, "R");
    rule.Set(&PicsFilterRule::Description, "d");
    rule.Set(&PicsFilterRule::ActiveDays, "Mon");
    doc.PutPics(*rule, "", confkit::PicsPosition::After);
    confkit::ValueList urls =
        confkit::ValueList::FromTexts({"http://a/", "http://b/", "http://c/"});
    doc.PutPicsClause("R", "passurl", urls);
    EXPECT_EQ(doc.PicsClause("R", "passurl").Texts(),
              (std::vector<std::string>{"http://a/", "http://b/", "http://c/"}));
    EXPECT_TRUE(doc.PicsClause("R", "failurl").Texts().empty());
    EXPECT_TRUE(doc.PutFilter("R", "Filter x"));
    EXPECT_FALSE(doc.PutFilter("nothing", "Filter x"));
    EXPECT_TRUE(doc.DeletePics("R"));
}

} // namespace
