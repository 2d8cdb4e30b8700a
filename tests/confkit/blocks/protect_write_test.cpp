// Writing Protection setups and Protect entries: the exact text and where it
// lands in the document.
#include "blocks/block_fields.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using testsupport::DocPtr;
using testsupport::DocText;
using testsupport::ListWellFormed;
using testsupport::MakeDoc;

namespace {

char *S(const char *text) {
    return const_cast<char *>(text);
}

ProtectRule OneLine(const char *tmpl, const char *setup, const char *address = nullptr) {
    ProtectRule r{};
    r.Directive = S("Protect");
    r.Template = S(tmpl);
    r.SetupName = S(setup);
    r.Address = S(address);
    return r;
}

ProtectRule SetupRecord(const char *name, const char *user) {
    ProtectRule r{};
    r.Directive = S("Protection");
    r.SetupName = S(name);
    r.UserID = S(user);
    return r;
}

std::string Put(const std::string &text, const ProtectRule &rule, const char *name, int mode) {
    DocPtr doc(MakeDoc(text));
    EXPECT_EQ(HTTPDPutProtectRule(doc.get(), &rule, name, mode), 1);
    EXPECT_TRUE(ListWellFormed(doc->first));
    return DocText(doc.get());
}

} // namespace

TEST(ProtectWrite, BlockHeaderAndEveryBodyLineInOrder) {
    ProtectRule r{};
    r.Directive = S("Protect");
    r.Template = S("/secret/*");
    r.UserID = S("nobody");
    r.GroupID = S("staff");
    r.ServerID = S("srv");
    r.AuthType = S("Basic");
    r.GetMask = S("all");
    r.PutMask = S("admins");
    r.PostMask = S("users");
    r.Mask = S("m");
    r.ACLOverride = S("On");
    r.PasswdFile = S("pw.txt");
    r.GroupFile = S("grp.txt");
    r.DeleteMask = S("none");
    r.SSL_ClientAuth = S("1");
    r.CommonName = S("Jo Bloggs");
    r.IssuerCommonName = S("CA");
    r.Country = S("GB");
    r.IssuerCountry = S("US");
    r.Locality = S("Leeds");
    r.IssuerLocality = S("New York");
    r.StateOrProvince = S("Yorks");
    r.IssuerStateOrProvince = S("NY");
    r.Organization = S("Acme");
    r.IssuerOrganization = S("Trust Co");
    r.OrgUnit = S("IT");
    r.IssuerOrgUnit = S("Roots");
    EXPECT_EQ(Put("", r, "/x", 1), "Protect  /secret/*  {\n"
                                   "      IssuerOrgUnit   Roots\n"
                                   "      OrgUnit   IT\n"
                                   "      IssuerOrganization   \"Trust Co\"\n"
                                   "      Organization   Acme\n"
                                   "      IssuerStateOrProvince   NY\n"
                                   "      StateOrProvince   Yorks\n"
                                   "      IssuerLocality   \"New York\"\n"
                                   "      Locality   Leeds\n"
                                   "      IssuerCountry   US\n"
                                   "      Country   GB\n"
                                   "      IssuerCommonName   CA\n"
                                   "      CommonName   \"Jo Bloggs\"\n"
                                   "      SSL_ClientAuth  client\n"
                                   "      GroupFile    grp.txt\n"
                                   "      PasswdFile   pw.txt\n"
                                   "      ACLOverride  On\n"
                                   "      Mask         m\n"
                                   "      DeleteMask   none\n"
                                   "      PostMask     users\n"
                                   "      PutMask      admins\n"
                                   "      GetMask      all\n"
                                   "      AuthType     Basic\n"
                                   "      ServerID     srv\n"
                                   "      GroupID      staff\n"
                                   "      UserID       nobody\n"
                                   "}\n");
}

TEST(ProtectWrite, BodyValuesAsGiven) {
    ProtectRule r = SetupRecord("s", "");
    r.GetMask = S("a  # note\n"); // a value read back with its line end
    r.CommonName = S(" ");        // the blank of an empty quoted value
    r.Country = S("");
    r.SSL_ClientAuth = S("yes"); // no "1": no line
    EXPECT_EQ(Put("", r, "s", 1), "Protection  s  {\n"
                                  "      Country   \n"
                                  "      CommonName   \" \"\n"
                                  "      GetMask      a  # note\n\n"
                                  "      UserID       \n"
                                  "}\n");
    r.SSL_ClientAuth = S("x1y");
    EXPECT_NE(Put("", r, "s", 1).find("      SSL_ClientAuth  client\n"), std::string::npos);
    r.SSL_ClientAuth = S("");
    EXPECT_EQ(Put("", r, "s", 1).find("SSL_ClientAuth"), std::string::npos);
}

TEST(ProtectWrite, OneLineFormsIgnoreTheBody) {
    ProtectRule r = OneLine("/a/*", "setup");
    r.UserID = S("ignored");
    EXPECT_EQ(Put("", r, "/a/*", 1), "Protect  /a/*  setup\n");
    r.Address = S("");
    EXPECT_EQ(Put("", r, "/a/*", 1), "Protect  /a/*  setup\n");
    r.Address = S("10.1.*");
    EXPECT_EQ(Put("", r, "/a/*", 1), "Protect  /a/*  setup  FOR 10.1.*\n");
}

TEST(ProtectWrite, BlockWithAddressPutsItAfterFor) {
    ProtectRule r = SetupRecord("s1", "u");
    r.Address = S("10.0.0.1");
    EXPECT_EQ(Put("", r, "s1", 1), "Protection  s1  FOR 10.0.0.1  {\n      UserID       u\n}\n");
}

TEST(ProtectWrite, CheckedRecordsLeaveTheDocumentAlone) {
    const std::string text = "Protect /a/* s\n";
    DocPtr doc(MakeDoc(text));
    EXPECT_EQ(HTTPDPutProtectRule(doc.get(), nullptr, "/a/*", 3), 1);
    ProtectRule r = OneLine("/b/*", "s");
    r.Directive = nullptr;
    EXPECT_EQ(HTTPDPutProtectRule(doc.get(), &r, "/a/*", 3), 2);
    r = OneLine(nullptr, nullptr);
    EXPECT_EQ(HTTPDPutProtectRule(doc.get(), &r, "/a/*", 3), 3);
    EXPECT_EQ(DocText(doc.get()), text);
    r = OneLine("/b/*", "s");
    EXPECT_EQ(HTTPDPutProtectRule(nullptr, &r, "/a/*", 3), 1);
}

TEST(ProtectWrite, ReplacementTakesTheOldPlace) {
    const std::string text = "Port 80\nProtect /a/* old\nPass /b/* /c/*\n";
    // Replaced under the record's own template.
    EXPECT_EQ(Put(text, OneLine("/n/*", "new"), "/A/*", 3),
              "Port 80\nProtect  /n/*  new\nPass /b/* /c/*\n");
    // A Protection setup replaces whatever the mode.
    EXPECT_EQ(Put("Port 80\nProtection s {\n UserID a\n}\nPass /b/* /c/*\n", SetupRecord("s", "b"),
                  "s", 2),
              "Port 80\nProtection  s  {\n      UserID       b\n}\nPass /b/* /c/*\n");
}

TEST(ProtectWrite, ReplacingTheFirstEntryMakesTheNewTextTheHead) {
    // The next setup's header must not receive the new text.
    EXPECT_EQ(Put("Protection a {\n UserID x\n}\nProtection b {\n UserID y\n}\n",
                  SetupRecord("a", "z"), "a", 1),
              "Protection  a  {\n      UserID       z\n}\nProtection b {\n UserID y\n}\n");
    EXPECT_EQ(Put("Protect /a/* s\nPass /b/* /c/*\n", OneLine("/a/*", "t"), "/a/*", 3),
              "Protect  /a/*  t\nPass /b/* /c/*\n");
    // The whole document replaced.
    EXPECT_EQ(Put("Protect /a/* s", OneLine("/a/*", "t"), "/a/*", 3), "Protect  /a/*  t\n");
}

TEST(ProtectWrite, NextToTheProtectEntryOfThatTemplate) {
    const std::string text =
        "Port 80\nProtect /a/* {\n UserID u\n}\nProtect /b/* s\nPass /c/* /d/*\n";
    EXPECT_EQ(Put(text, OneLine("/n/*", "t"), "/a/*", 2),
              "Port 80\nProtect /a/* {\n UserID u\n}\nProtect  /n/*  t\nProtect /b/* s\nPass /c/* "
              "/d/*\n");
    EXPECT_EQ(Put(text, OneLine("/n/*", "t"), "/B/*", 2),
              "Port 80\nProtect /a/* {\n UserID u\n}\nProtect /b/* s\nProtect  /n/*  t\nPass /c/* "
              "/d/*\n");
    EXPECT_EQ(Put(text, OneLine("/n/*", "t"), "/b/*", 1),
              "Port 80\nProtect /a/* {\n UserID u\n}\nProtect  /n/*  t\nProtect /b/* s\nPass /c/* "
              "/d/*\n");
    // Only a Protect line is a neighbour: the Pass rule of that template is not.
    EXPECT_EQ(Put(text, OneLine("/n/*", "t"), "/c/*", 2),
              "Port 80\nProtect  /n/*  t\nProtect /a/* {\n UserID u\n}\nProtect /b/* s\nPass /c/* "
              "/d/*\n");
}

TEST(ProtectWrite, SameBlockTwiceAfterItself) {
    ProtectRule r{};
    r.Directive = S("Protect");
    r.Template = S("/t/*");
    r.UserID = S("u");
    DocPtr doc(MakeDoc("Port 80\n"));
    ASSERT_EQ(HTTPDPutProtectRule(doc.get(), &r, "/t/*", 2), 1);
    r.UserID = S("v");
    ASSERT_EQ(HTTPDPutProtectRule(doc.get(), &r, "/t/*", 2), 1);
    EXPECT_EQ(DocText(doc.get()), "Port 80\nProtect  /t/*  {\n      UserID       u\n}\n"
                                  "Protect  /t/*  {\n      UserID       v\n}\n");
}

TEST(ProtectWrite, ScanPlacesAmongTheRulesOfTheDocument) {
    // In front of the first entry of its own kind.
    EXPECT_EQ(Put("Port 80\nPass /p/* /q/*\n", OneLine("/n/*", "t"), "/zz", 1),
              "Port 80\nProtect  /n/*  t\nPass /p/* /q/*\n");
    EXPECT_EQ(Put("Port 80\nMap /m/* /q/*\nProtect /a/* s\n", OneLine("/n/*", "t"), "/zz", 1),
              "Port 80\nProtect  /n/*  t\nMap /m/* /q/*\nProtect /a/* s\n");
    // Each of the rules that follow protections, with the comments above it.
    for (const char *rule : {"Exec", "Pass", "Map", "Fail", "Redirect"}) {
        const std::string tail = std::string("# one\n  # two\n") + rule + " /x/* /y/*\n";
        EXPECT_EQ(Put("Port 80\n" + tail, OneLine("/n/*", "t"), "/zz", 1),
                  "Port 80\nProtect  /n/*  t\n" + tail)
            << rule;
    }
    // A setup also goes in front of the first Protect entry.
    EXPECT_EQ(Put("Port 80\nProtect /a/* s\n", SetupRecord("s9", "u"), "s9", 1),
              "Port 80\nProtection  s9  {\n      UserID       u\n}\nProtect /a/* s\n");
    // Climbing the comments stops at the document's first line.
    EXPECT_EQ(Put("# top\nPass /p/* /q/*\n", OneLine("/n/*", "t"), "/zz", 1),
              "# top\nProtect  /n/*  t\nPass /p/* /q/*\n");
}

TEST(ProtectWrite, FallbacksWhenThePlacementRulesGiveNoLine) {
    // A matched rule on the first line: the new text becomes the head.
    EXPECT_EQ(Put("Pass /p/* /q/*\n", OneLine("/n/*", "t"), "/zz", 1),
              "Protect  /n/*  t\nPass /p/* /q/*\n");
    EXPECT_EQ(Put("Protect /a/* s\n", OneLine("/n/*", "t"), "/a/*", 1),
              "Protect  /n/*  t\nProtect /a/* s\n");
    // Nothing matched: appended after the last line.
    EXPECT_EQ(Put("Port 80\nHostName h", OneLine("/n/*", "t"), "/zz", 3),
              "Port 80\nHostName hProtect  /n/*  t\n");
    // In mode 2 a neighbour block without a closing line gives no place; the
    // scan then finds that block's header on the first line.
    EXPECT_EQ(Put("Protect /a/* {\n UserID u\nPort 80\n", OneLine("/n/*", "t"), "/a/*", 2),
              "Protect  /n/*  t\nProtect /a/* {\n UserID u\nPort 80\n");
    // A document without lines receives the text as its body.
    DocPtr doc(MakeDoc(""));
    LinesFree(doc->first);
    doc->first = nullptr;
    ProtectRule r = OneLine("/n/*", "t");
    EXPECT_EQ(HTTPDPutProtectRule(doc.get(), &r, "/zz", 1), 1);
    EXPECT_EQ(DocText(doc.get()), "Protect  /n/*  t\n");
}

TEST(ProtectWrite, LongValuesAreRefusedNotCut) {
    const std::string big(3000, 'v');
    DocPtr doc(MakeDoc("Port 80\n"));
    ProtectRule r = SetupRecord("s", big.c_str());
    EXPECT_EQ(HTTPDPutProtectRule(doc.get(), &r, "s", 1), 0);
    // A one-line entry cut to fit could no longer be found by its template.
    ProtectRule one = OneLine(big.c_str(), "setup", "10.0.0.1");
    EXPECT_EQ(HTTPDPutProtectRule(doc.get(), &one, "x", 1), 0);
    EXPECT_EQ(DocText(doc.get()), "Port 80\n");
}
