// LDAPInfo and Member blocks: their exact text, where they land, reading an
// LDAPInfo block back, and a document written to disk.
#include "blocks/block_fields.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

using confkit::blocks::kEmptyQuoted;
using testsupport::DocPtr;
using testsupport::DocText;
using testsupport::ListWellFormed;
using testsupport::MakeDoc;

namespace {

char *S(const char *text) {
    return const_cast<char *>(text);
}

struct LDAPFreer {
    void operator()(LDAPRule *r) const {
        char **fields = reinterpret_cast<char **>(r);
        for (std::size_t i = 0; i < sizeof(LDAPRule) / sizeof(char *); ++i) {
            confkit::blocks::ReleaseField(fields[i]);
        }
        std::free(r);
    }
};
using LDAPPtr = std::unique_ptr<LDAPRule, LDAPFreer>;

LDAPRule Named(const char *name, const char *host = "h") {
    LDAPRule r{};
    r.Name = S(name);
    r.Host = S(host);
    return r;
}

MemberRule Member(const char *name) {
    MemberRule m{};
    m.Name = S(name);
    m.RCAAddr = S("10.0.0.2");
    m.RCAPort = S("3128");
    m.CacheRoot = S("c:\\cache");
    m.CacheSize = S("200");
    m.CacheSizeSuffix = S("M");
    m.Timeout = S("500");
    m.BindSpecific = S("on");
    m.ReuseAddr = S("off");
    return m;
}

std::string PutLDAP(const std::string &text, const LDAPRule &rule, const char *name, int mode) {
    DocPtr doc(MakeDoc(text));
    EXPECT_EQ(HTTPDPutLDAPRule(doc.get(), &rule, name, mode), 1);
    EXPECT_TRUE(ListWellFormed(doc->first));
    return DocText(doc.get());
}

const char *kNew = "LDAPInfo n {\n      Host                     h\n}\n";

// The text of the block that Member(name) writes, with the given line end.
std::string MemberText(const std::string &name, const std::string &end = "\n") {
    std::string text;
    for (const char *line :
         {" {", "     RCAAddr 10.0.0.2", "     RCAPort 3128", "     CacheSize 200 M",
          "     CacheRoot c:\\cache", "     Timeout 500 milliseconds", "     BindSpecific on",
          "     ReuseAddr off", "}"}) {
        text += line + end;
    }
    return "Member " + name + text;
}

} // namespace

TEST(LDAPMemberWrite, LDAPInfoBlockText) {
    LDAPRule r{};
    r.Name = S("dir1");
    r.Host = S("ldap.example");
    r.Port = S("389");
    r.Transport = S("SSL");
    r.KeyFileName = S("key.kdb");
    r.KeyLabel = S("my label");
    r.ClientAuthType = S("Basic");
    r.ServerAuthType = S("None");
    r.ServerDN = S("cn=root");
    r.ServerPasswordStashFile = S("pw.sth");
    r.UserSearchBase = S("o=users");
    r.UserNameFilter = S("(uid=%v)");
    r.UserNameFieldSep = S("/");
    r.UserCertFilter = S("(cn=%v)");
    r.GroupSearchBase = S("o=groups");
    r.GroupNameFilter = S("(cn=%v)");
    r.GroupMemberAttrs = S("member");
    r.IdleConnTimeout = S("60");
    r.WaitToRetryConnTime = S("5");
    r.SearchTimeout = S("10");
    r.CacheTimeout = S("600");
    EXPECT_EQ(PutLDAP("", r, "dir1", 3), "LDAPInfo dir1 {\n"
                                         "      Host                     ldap.example\n"
                                         "      Port                     389\n"
                                         "      Transport                SSL\n"
                                         "      KeyFileName              key.kdb\n"
                                         "      KeyLabel              \"my label\"\n"
                                         "      ClientAuthType           Basic\n"
                                         "      ServerAuthType           None\n"
                                         "      ServerDN                 \"cn=root\"\n"
                                         "      ServerPasswordStashFile  pw.sth\n"
                                         "      UserSearchBase           \"o=users\"\n"
                                         "      UserNameFilter           \"(uid=%v)\"\n"
                                         "      UserNameFieldSep           \"/\"\n"
                                         "      UserCertFilter           \"(cn=%v)\"\n"
                                         "      GroupSearchBase          \"o=groups\"\n"
                                         "      GroupNameFilter          \"(cn=%v)\"\n"
                                         "      GroupMemberAttrs          \"member\"\n"
                                         "      IdleConnTimeout          60 seconds\n"
                                         "      WaitToRetryConnTime      5 seconds\n"
                                         "      SearchTimeout            10 seconds\n"
                                         "      CacheTimeout             600 seconds\n"
                                         "}\n");
    // Empty fields are left out like absent ones.
    LDAPRule e{};
    e.Name = S("e");
    e.Host = S("");
    e.ServerDN = S("");
    EXPECT_EQ(PutLDAP("", e, "x", 3), "LDAPInfo e {\n}\n");
}

TEST(LDAPMemberWrite, MemberBlockWritesEveryLine) {
    DocPtr doc(MakeDoc(""));
    MemberRule m = Member("m1");
    EXPECT_EQ(HTTPDPutMemberRule(doc.get(), &m, "m1", 1), 1);
    EXPECT_EQ(DocText(doc.get()), "Member m1 {\n"
                                  "     RCAAddr 10.0.0.2\n"
                                  "     RCAPort 3128\n"
                                  "     CacheSize 200 M\n"
                                  "     CacheRoot c:\\cache\n"
                                  "     Timeout 500 milliseconds\n"
                                  "     BindSpecific on\n"
                                  "     ReuseAddr off\n"
                                  "}\n");
    EXPECT_EQ(DocText(doc.get()), MemberText("m1"));
    doc.reset(MakeDoc(""));
    MemberRule bare{};
    bare.Name = S("m2");
    bare.RCAPort = S("");
    EXPECT_EQ(HTTPDPutMemberRule(doc.get(), &bare, "m2", 1), 1);
    EXPECT_EQ(DocText(doc.get()), "Member m2 {\n     RCAAddr \n     RCAPort \n     CacheSize  \n"
                                  "     CacheRoot \n     Timeout  milliseconds\n"
                                  "     BindSpecific \n     ReuseAddr \n}\n");
}

TEST(LDAPMemberWrite, RefusedRecordsLeaveTheDocumentAlone) {
    DocPtr doc(MakeDoc("Port 80\n"));
    LDAPRule noName{};
    MemberRule noMember{};
    EXPECT_EQ(HTTPDPutLDAPRule(doc.get(), nullptr, "x", 1), 0);
    EXPECT_EQ(HTTPDPutLDAPRule(doc.get(), &noName, "x", 1), 0);
    EXPECT_EQ(HTTPDPutMemberRule(doc.get(), nullptr, "x", 1), 0);
    EXPECT_EQ(HTTPDPutMemberRule(doc.get(), &noMember, "x", 1), 0);
    EXPECT_EQ(DocText(doc.get()), "Port 80\n");
    LDAPRule r = Named("n");
    EXPECT_EQ(HTTPDPutLDAPRule(nullptr, &r, "x", 1), 1);
}

TEST(LDAPMemberWrite, PlacementAmongBlocks) {
    const std::string text = "Port 80\n"
                             "LDAPInfo a {\n Host x\n}\n"
                             "Hostname h\n"
                             "LDAPInfo b {\n Host y\n}\n"
                             "Pass /p/* /q/*\n";
    // After the last block of its kind, even with other lines after it.
    EXPECT_EQ(PutLDAP(text, Named("n"), "zz", 1),
              "Port 80\nLDAPInfo a {\n Host x\n}\nHostname h\nLDAPInfo b {\n Host y\n}\n" +
                  std::string(kNew) + "Pass /p/* /q/*\n");
    // Before or after the named entry.
    EXPECT_EQ(PutLDAP(text, Named("n"), "B", 1), "Port 80\nLDAPInfo a {\n Host x\n}\nHostname h\n" +
                                                     std::string(kNew) +
                                                     "LDAPInfo b {\n Host y\n}\nPass /p/* /q/*\n");
    EXPECT_EQ(PutLDAP(text, Named("n"), "a", 2),
              "Port 80\nLDAPInfo a {\n Host x\n}\n" + std::string(kNew) +
                  "Hostname h\nLDAPInfo b {\n Host y\n}\nPass /p/* /q/*\n");
    // A line of another directive is not the named entry: after the last
    // block of its kind.
    EXPECT_EQ(PutLDAP(text, Named("n"), "h", 2),
              "Port 80\nLDAPInfo a {\n Host x\n}\nHostname h\nLDAPInfo b {\n Host y\n}\n" +
                  std::string(kNew) + "Pass /p/* /q/*\n");
    // Replaced in place, under the record's name.
    EXPECT_EQ(PutLDAP(text, Named("n"), "a", 3),
              "Port 80\n" + std::string(kNew) +
                  "Hostname h\nLDAPInfo b {\n Host y\n}\nPass /p/* /q/*\n");
    // The last block of a file that ends in "\n" is still followed by a line.
    EXPECT_EQ(PutLDAP("LDAPInfo a {\n}\nLDAPInfo b {\n}\n", Named("n"), "b", 3),
              "LDAPInfo a {\n}\n" + std::string(kNew));
    // No block of its kind: after the last line.
    EXPECT_EQ(PutLDAP("Port 80\nPass /p/* /q/*", Named("n"), "zz", 1),
              "Port 80\nPass /p/* /q/*" + std::string(kNew));
}

TEST(LDAPMemberWrite, ReplacementFindsOnlyItsOwnKind) {
    const std::string text = "Member m {\n RCAAddr a\n}\nMember k {\n RCAAddr b\n}\n";
    // The Member block of that name is no LDAPInfo block to replace.
    EXPECT_EQ(PutLDAP(text, Named("n"), "m", 3), text + kNew);
    // A Member block that began the document is replaced without entering
    // the next block.
    DocPtr first(MakeDoc(text));
    MemberRule m1 = Member("m1");
    ASSERT_EQ(HTTPDPutMemberRule(first.get(), &m1, "m", 3), 1);
    EXPECT_EQ(DocText(first.get()), MemberText("m1") + "Member k {\n RCAAddr b\n}\n");
    DocPtr doc(MakeDoc(text));
    MemberRule m = Member("k2");
    ASSERT_EQ(HTTPDPutMemberRule(doc.get(), &m, "k", 3), 1);
    EXPECT_EQ(DocText(doc.get()), "Member m {\n RCAAddr a\n}\n" + MemberText("k2"));
}

TEST(LDAPMemberWrite, FallbacksWhenThePlacementGivesNoLine) {
    // Named entry on the first line, mode 1: the new block is the head.
    EXPECT_EQ(PutLDAP("LDAPInfo a {\n}\n", Named("n"), "a", 1),
              std::string(kNew) + "LDAPInfo a {\n}\n");
    // Nothing of that name to replace: appended.
    EXPECT_EQ(PutLDAP("Port 80\n", Named("n"), "zz", 3), "Port 80\n" + std::string(kNew));
    // No closing line after the matched line, or after the last block.
    EXPECT_EQ(PutLDAP("Port 80\nHostname h\n", Named("n"), "80", 2),
              "Port 80\nHostname h\n" + std::string(kNew));
    EXPECT_EQ(PutLDAP("LDAPInfo a {\n Host x\n", Named("n"), "zz", 1),
              "LDAPInfo a {\n Host x\n" + std::string(kNew));
    // The only entry replaced: the new block is the whole body.
    EXPECT_EQ(PutLDAP("LDAPInfo a {\n}", Named("n"), "a", 3), kNew);
}

TEST(LDAPMemberRead, FieldsOfABlock) {
    DocPtr doc(MakeDoc("Member dir {\n}\n"
                       "ldapinfo  DIR  {\n"
                       "  host   ldap.example  # main\n"
                       "  Port\n"
                       "  KeyLabel \"\"\n"
                       "  ServerDN \"cn=root, o=x\"\n"
                       "  UserSearchbase \"o=a\"  \n"
                       "  GroupMemberAttrs plain\n"
                       "  SearchTimeout  10  seconds\n"
                       "  Transport TCP\n"
                       "  transport SSL\n"
                       "  CacheTimeout 9 } \n"
                       "  UserNameFilter never\n"
                       "}\n"));
    LDAPPtr r(HTTPDGetLDAPRule(doc.get(), "dir"));
    ASSERT_TRUE(r);
    EXPECT_STREQ(r->Name, "DIR");
    EXPECT_STREQ(r->Host, "ldap.example  # main");
    EXPECT_EQ(r->Port, nullptr);
    EXPECT_EQ(r->KeyLabel, kEmptyQuoted);
    EXPECT_STREQ(r->ServerDN, "cn=root, o=x");
    EXPECT_STREQ(r->UserSearchBase, "o=a\"  ");
    EXPECT_STREQ(r->GroupMemberAttrs, "plain");
    EXPECT_STREQ(r->SearchTimeout, "10  seconds\n");
    EXPECT_STREQ(r->Transport, "SSL");
    EXPECT_EQ(r->CacheTimeout, nullptr); // its line closes the block
    EXPECT_EQ(r->UserNameFilter, nullptr);

    EXPECT_FALSE(HTTPDGetLDAPRule(doc.get(), "nope"));
    EXPECT_FALSE(HTTPDGetLDAPRule(doc.get(), nullptr));
    EXPECT_FALSE(HTTPDGetLDAPRule(nullptr, "dir"));
}

TEST(LDAPMemberRead, PutThenGet) {
    LDAPRule in = Named("dir", "ldap.example");
    in.KeyLabel = S("a label");
    in.UserNameFieldSep = S("/");
    in.IdleConnTimeout = S("60");
    DocPtr doc(MakeDoc("Port 80\n"));
    ASSERT_EQ(HTTPDPutLDAPRule(doc.get(), &in, "dir", 1), 1);
    LDAPPtr out(HTTPDGetLDAPRule(doc.get(), "dir"));
    ASSERT_TRUE(out);
    EXPECT_STREQ(out->Name, "dir");
    EXPECT_STREQ(out->Host, "ldap.example");
    EXPECT_STREQ(out->KeyLabel, "a label");
    EXPECT_STREQ(out->UserNameFieldSep, "/");
    EXPECT_STREQ(out->IdleConnTimeout, "60 seconds\n");
    EXPECT_EQ(out->Port, nullptr);
}

TEST(LDAPMemberWrite, WrittenDocumentOnDisk) {
    testsupport::TempDir dir;
    const std::string path = dir.File("proxy.conf");
    testsupport::WriteFile(path, "Port 80\r\nLDAPInfo a {\r\n  Host x\r\n}\r\n");
    ConfigDocument *doc = HTTPDConfigOpen(path.c_str());
    ASSERT_NE(doc, nullptr);
    LDAPRule r = Named("b", "y");
    r.ServerDN = S("cn=x");
    ASSERT_EQ(HTTPDPutLDAPRule(doc, &r, "zz", 1), 1);
    MemberRule m = Member("m");
    ASSERT_EQ(HTTPDPutMemberRule(doc, &m, "a", 1), 1);
    ASSERT_EQ(HTTPDConfigClose(doc, 1), 0);
    // The Member block is put at the end: "a" names no Member block.
    EXPECT_EQ(testsupport::ReadFile(path), "Port 80\r\nLDAPInfo a {\r\n  Host x\r\n}\r\n"
                                           "LDAPInfo b {\r\n      Host                     y\r\n"
                                           "      ServerDN                 \"cn=x\"\r\n}\r\n" +
                                               MemberText("m", "\r\n"));
}
