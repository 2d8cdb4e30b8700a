// Reading Protection setups and Protect entries into records, deleting them,
// and the round trip through a put.
#include "blocks/block_fields.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

using confkit::blocks::kEmptyQuoted;
using confkit::blocks::kFlagSet;
using confkit::blocks::kNoAddress;
using testsupport::DocPtr;
using testsupport::DocText;
using testsupport::ListWellFormed;
using testsupport::MakeDoc;

namespace {

// Releases a record as a caller does: every field but the library's constants.
struct RuleFreer {
    void operator()(ProtectRule *r) const {
        char **fields = reinterpret_cast<char **>(r);
        for (std::size_t i = 0; i < sizeof(ProtectRule) / sizeof(char *); ++i) {
            confkit::blocks::ReleaseField(fields[i]);
        }
        std::free(r);
    }
};
using RulePtr = std::unique_ptr<ProtectRule, RuleFreer>;

RulePtr Get(ConfigDocument *doc, const char *name) {
    return RulePtr(HTTPDGetProtectRule(doc, name));
}

const char *Str(const char *s) {
    return s ? s : "(null)";
}

} // namespace

TEST(ProtectRead, OneLineEntries) {
    DocPtr doc(MakeDoc("Pass /p/* /q/*\nPROTECT /A/* setup1 FOR 10.1.*  # c\nProtect /b/* s2\n"));
    RulePtr r = Get(doc.get(), "/a/*");
    ASSERT_TRUE(r);
    EXPECT_STREQ(r->Directive, "PROTECT");
    EXPECT_STREQ(r->Template, "/A/*");
    EXPECT_STREQ(r->SetupName, "setup1");
    EXPECT_STREQ(r->Address, "10.1.*");
    EXPECT_EQ(r->UserID, nullptr);

    r = Get(doc.get(), "/B/*");
    ASSERT_TRUE(r);
    EXPECT_STREQ(r->SetupName, "s2");
    EXPECT_EQ(r->Address, kNoAddress); // empty, not null

    EXPECT_FALSE(Get(doc.get(), "/p/*")); // a Pass rule is no entry
    EXPECT_FALSE(Get(doc.get(), "/nope/*"));
    EXPECT_FALSE(Get(doc.get(), nullptr));
    EXPECT_FALSE(Get(nullptr, "/a/*"));
}

TEST(ProtectRead, BlockFields) {
    DocPtr doc(MakeDoc("# Protect /c/* x\n"
                       "protection  Setup1  {\n"
                       "   getmask   a,b  # who\n"
                       "   SSL_ClientAuth#on\n"
                       "   UserID  first\n"
                       "   USERID  second\n"
                       "   PostMask\n"
                       "   CommonName  \"Jo Bloggs\"\r\n"
                       "   Country  \"\"\n"
                       "   Locality  \"Leeds\"  \n"
                       "   OrgUnit  plain\n"
                       "}\n"));
    RulePtr r = Get(doc.get(), "setup1");
    ASSERT_TRUE(r);
    EXPECT_STREQ(r->Directive, "protection");
    EXPECT_STREQ(r->SetupName, "Setup1");
    EXPECT_EQ(r->Template, nullptr);
    EXPECT_EQ(r->Address, nullptr);
    // Plain values keep the rest of their line; Mask is not GetMask.
    EXPECT_STREQ(r->GetMask, "a,b  # who\n");
    EXPECT_EQ(r->Mask, nullptr);
    EXPECT_EQ(r->SSL_ClientAuth, kFlagSet); // "#" ends the keyword
    EXPECT_STREQ(r->UserID, "second\n");
    EXPECT_EQ(r->PostMask, nullptr);
    // Certificate values lose their line end and outer quotes.
    EXPECT_STREQ(r->CommonName, "Jo Bloggs");
    EXPECT_EQ(r->Country, kEmptyQuoted);
    EXPECT_STREQ(r->Locality, "Leeds\"  ");
    EXPECT_STREQ(r->OrgUnit, "plain");
}

TEST(ProtectRead, BlockHeadersAndEnds) {
    DocPtr doc(MakeDoc("Protect /a/* FOR 10.0.0.1 {\n"
                       "  UserID u\n"
                       "  GroupID g}\n"
                       "  ServerID never\n"
                       "}\n"
                       "Protect /b/* {\n"
                       "  UserID v\n"));
    RulePtr r = Get(doc.get(), "/a/*");
    ASSERT_TRUE(r);
    EXPECT_STREQ(r->Template, "/a/*");
    EXPECT_EQ(r->SetupName, nullptr);
    EXPECT_STREQ(r->Address, "10.0.0.1");
    EXPECT_STREQ(r->UserID, "u\n");
    EXPECT_EQ(r->GroupID, nullptr); // its line closes the block
    EXPECT_EQ(r->ServerID, nullptr);
    // A block without a closing line is read to the end of the document.
    r = Get(doc.get(), "/b/*");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->Address, nullptr);
    EXPECT_STREQ(r->UserID, "v\n");
}

TEST(ProtectRead, PutThenGetGivesTheRecordBack) {
    const char *cases[][3] = {{"/a/*", "s1", nullptr}, {"/a/*", "s1", "10.*"}};
    for (const auto &c : cases) {
        ProtectRule in{};
        in.Directive = const_cast<char *>("Protect");
        in.Template = const_cast<char *>(c[0]);
        in.SetupName = const_cast<char *>(c[1]);
        in.Address = const_cast<char *>(c[2]);
        DocPtr doc(MakeDoc("Port 80\n"));
        ASSERT_EQ(HTTPDPutProtectRule(doc.get(), &in, "/a/*", 1), 1);
        RulePtr out = Get(doc.get(), "/a/*");
        ASSERT_TRUE(out);
        EXPECT_STREQ(out->Template, "/a/*");
        EXPECT_STREQ(out->SetupName, "s1");
        EXPECT_STREQ(out->Address, c[2] ? c[2] : "");
    }

    ProtectRule in{};
    in.Directive = const_cast<char *>("Protection");
    in.SetupName = const_cast<char *>("Setup");
    in.Address = const_cast<char *>("192.168.*");
    in.AuthType = const_cast<char *>("Basic");
    in.SSL_ClientAuth = const_cast<char *>("1");
    in.IssuerOrganization = const_cast<char *>("Trust Co");
    in.Country = const_cast<char *>(" ");
    DocPtr doc(MakeDoc(""));
    ASSERT_EQ(HTTPDPutProtectRule(doc.get(), &in, "Setup", 3), 1);
    RulePtr out = Get(doc.get(), "setup");
    ASSERT_TRUE(out);
    EXPECT_STREQ(out->Directive, "Protection");
    EXPECT_STREQ(out->SetupName, "Setup");
    EXPECT_STREQ(out->Address, "192.168.*");
    EXPECT_STREQ(out->AuthType, "Basic\n");
    EXPECT_EQ(out->SSL_ClientAuth, kFlagSet);
    EXPECT_STREQ(out->IssuerOrganization, "Trust Co");
    EXPECT_STREQ(out->Country, " "); // a quoted blank: read as a blank

    // A record read back and written again gives the same block, apart from
    // the empty line that each plain value's own line end adds.
    const std::string first = DocText(doc.get());
    ASSERT_EQ(HTTPDPutProtectRule(doc.get(), out.get(), "Setup", 3), 1);
    std::string expected = first;
    expected.insert(expected.find("      AuthType     Basic\n") + 25, "\n");
    EXPECT_EQ(DocText(doc.get()), expected) << Str(out->AuthType);
}

TEST(ProtectDelete, OneLineEntriesAndBlocks) {
    DocPtr doc(MakeDoc("Port 80\n"
                       "Pass /p/* /q/*\n"
                       "Protect /a/* {\n"
                       "  Mask {x\n"
                       "  UserID u\n"
                       "}\n"
                       "Protect /b/* { }\n"
                       "Protect /c/* s\n"
                       "Hostname h\n"));
    // Through the first closing line, whatever opens inside the block.
    Line *after = HTTPDDeleteProtectRule(doc.get(), "/A/*");
    ASSERT_NE(after, nullptr);
    EXPECT_STREQ(after->text, "Protect /b/* { }\n");
    after = HTTPDDeleteProtectRule(doc.get(), "/b/*"); // a header that closes itself
    EXPECT_STREQ(after->text, "Protect /c/* s\n");
    after = HTTPDDeleteProtectRule(doc.get(), "/c/*");
    EXPECT_STREQ(after->text, "Hostname h\n");
    EXPECT_EQ(DocText(doc.get()), "Port 80\nPass /p/* /q/*\nHostname h\n");
    EXPECT_TRUE(ListWellFormed(doc->first));

    EXPECT_EQ(HTTPDDeleteProtectRule(doc.get(), "/zz"), nullptr);
    EXPECT_EQ(HTTPDDeleteProtectRule(doc.get(), nullptr), nullptr);
    EXPECT_EQ(HTTPDDeleteProtectRule(nullptr, "/a/*"), nullptr);
    EXPECT_EQ(DocText(doc.get()), "Port 80\nPass /p/* /q/*\nHostname h\n");
}

TEST(ProtectDelete, AtTheDocumentsEnds) {
    DocPtr doc(MakeDoc("Protect /a/* s\nPort 80\nProtect /b/* {\n UserID u\n"));
    Line *after = HTTPDDeleteProtectRule(doc.get(), "/a/*");
    EXPECT_EQ(after, doc->first);
    EXPECT_STREQ(doc->first->text, "Port 80\n");
    EXPECT_EQ(doc->first->prev, nullptr);
    // No closing line: the removal runs to the end, and nothing follows.
    EXPECT_EQ(HTTPDDeleteProtectRule(doc.get(), "/b/*"), nullptr);
    EXPECT_EQ(DocText(doc.get()), "Port 80\n");
    EXPECT_EQ(doc->first->next, nullptr);
}
