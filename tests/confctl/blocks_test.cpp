// confctl protect, ldap, member and pics: records as JSON, round trips, and
// the refusals that keep other entries safe.
#include "run_confctl.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <tuple>

using confctltest::Confctl;
using nlohmann::json;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

const char kBlocks[] = "Port 80\r\n"
                       "Protection setup1 {\r\n"
                       "   AuthType Basic   # the usual\r\n"
                       "   PasswdFile /etc/pw\r\n"
                       "   CommonName \"A B\"\r\n"
                       "   Country \"\"\r\n"
                       "   SSL_ClientAuth client\r\n"
                       "}\r\n"
                       "Protect /secret/* setup1 FOR 10.0.0.1\r\n"
                       "Protect /open/* setup1\r\n"
                       "Pass /shared/*\r\n"
                       "LDAPInfo dir1 {\r\n"
                       "   Host ldap.example\r\n"
                       "   KeyLabel \"\"\r\n"
                       "   ServerDN \"cn=proxy, o=example\"\r\n"
                       "   IdleConnTimeout 30 seconds\r\n"
                       "}\r\n"
                       "Member m1 {\r\n"
                       "     RCAAddr 1.2.3.4\r\n"
                       "}\r\n";

json GetJson(const std::string &kind, const std::string &file, const std::string &name) {
    auto got = Confctl({kind, "get", file, name, "--json"});
    EXPECT_EQ(got.status, 0) << got.err;
    return json::parse(got.out);
}

// get, then put --mode replace of that record, then get again.
void ExpectRoundTrip(const std::string &kind, const std::string &file, const std::string &name) {
    json record = GetJson(kind, file, name);
    auto put = Confctl({kind, "put", file, "--mode", "replace"}, {record.dump()});
    ASSERT_EQ(put.status, 0) << put.err;
    EXPECT_EQ(GetJson(kind, file, name), record) << kind << " " << name;
    // A second put writes the same text: values do not gather line ends.
    std::string once = ReadFile(file);
    ASSERT_EQ(Confctl({kind, "put", file}, {record.dump()}).status, 0);
    EXPECT_EQ(ReadFile(file), once);
}

TEST(ConfctlProtect, GetGivesTheRecordAsTheLibraryReadsIt) {
    TempDir dir;
    std::string file = dir.File("proxy.conf");
    WriteFile(file, kBlocks);

    json setup = GetJson("protect", file, "SETUP1");
    EXPECT_EQ(setup.size(), 29u);
    EXPECT_EQ(setup["Directive"], "Protection");
    EXPECT_EQ(setup["SetupName"], "setup1");
    EXPECT_EQ(setup["Template"], nullptr);
    EXPECT_EQ(setup["AuthType"], "Basic   # the usual\n");
    EXPECT_EQ(setup["CommonName"], "A B");
    EXPECT_EQ(setup["Country"], " ");
    EXPECT_EQ(setup["SSL_ClientAuth"], "1");
    EXPECT_EQ(GetJson("protect", file, "/open/*")["Address"], "");

    auto text = Confctl({"protect", "get", file, "/secret/*"});
    EXPECT_EQ(text.status, 0);
    EXPECT_EQ(text.out,
              "Directive: Protect\nTemplate: /secret/*\nSetupName: setup1\nAddress: 10.0.0.1\n");

    auto missing = Confctl({"protect", "get", file, "nothing"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err,
              "confctl: " + file + ": no Protect or Protection entry named 'nothing'\n");
}

TEST(ConfctlProtect, RecordsRoundTripThroughPut) {
    TempDir dir;
    std::string file = dir.File("proxy.conf");
    WriteFile(file, kBlocks);
    ExpectRoundTrip("protect", file, "setup1");
    ExpectRoundTrip("protect", file, "/secret/*");
    ExpectRoundTrip("protect", file, "/open/*");
    // A put of the record already there leaves the entry's text as it was.
    EXPECT_EQ(Confctl({"rules", file, "protect"}).out,
              "Protect /secret/* setup1 FOR 10.0.0.1\nProtect /open/* setup1\n");

    // An inline block with an address reads back with it.
    auto put = Confctl(
        {"protect", "put", file},
        {R"({"Directive":"Protect","Template":"/inline/*","Address":"10.1.1.1","AuthType":"Basic"})"});
    ASSERT_EQ(put.status, 0) << put.err;
    EXPECT_EQ(GetJson("protect", file, "/inline/*")["Address"], "10.1.1.1");
    ExpectRoundTrip("protect", file, "/inline/*");
}

TEST(ConfctlProtect, DeleteTakesOnlyProtectionEntries) {
    TempDir dir;
    std::string file = dir.File("proxy.conf");
    WriteFile(file, kBlocks);

    // Lines of other directives with the same name are no entries.
    for (auto [kind, name, label] :
         {std::tuple{"protect", "/shared/*", "Protect or Protection entry"},
          {"member", "/secret/*", "Member block"},
          {"ldap", "m1", "LDAPInfo block"}}) {
        auto other = Confctl({kind, "delete", file, name});
        EXPECT_EQ(other.status, 2);
        EXPECT_EQ(other.err, "confctl: " + file + ": no " + label + " named '" + name + "'\n");
    }
    EXPECT_EQ(ReadFile(file), kBlocks);

    ASSERT_EQ(Confctl({"protect", "delete", file, "setup1"}).status, 0);
    ASSERT_EQ(Confctl({"protect", "delete", file, "/open/*"}).status, 0);
    std::string expected = kBlocks;
    expected.erase(expected.find("Protection setup1"),
                   expected.find("Protect /secret/*") - expected.find("Protection setup1"));
    expected.erase(expected.find("Protect /open/*"),
                   std::string("Protect /open/* setup1\r\n").size());
    EXPECT_EQ(ReadFile(file), expected);
    EXPECT_EQ(Confctl({"protect", "delete", file, "/open/*"}).status, 2);
}

TEST(ConfctlProtect, PutBesideAPassRuleOfTheSameTemplate) {
    TempDir dir;
    std::string file = dir.File("proxy.conf");
    WriteFile(file, kBlocks);
    ASSERT_EQ(Confctl({"add", file, "Pass", "Pass /wiki/* /srv/wiki/*"}).status, 0);
    auto put =
        Confctl({"protect", "put", file},
                {R"({"Directive":"Protect","Template":"/wiki/*","SetupName":"STAFF-PROT"})"});
    ASSERT_EQ(put.status, 0) << put.err;
    EXPECT_EQ(GetJson("protect", file, "/wiki/*")["SetupName"], "STAFF-PROT");
    EXPECT_NE(Confctl({"rules", file, "Pass"}).out.find("Pass /wiki/* /srv/wiki/*"),
              std::string::npos);
    ASSERT_EQ(Confctl({"protect", "delete", file, "/wiki/*"}).status, 0);
    EXPECT_EQ(Confctl({"rules", file, "Protect", "Pass"}).out,
              "Protect /secret/* setup1 FOR 10.0.0.1\nProtect /open/* setup1\nPass /shared/*\n"
              "Pass /wiki/* /srv/wiki/*\n");
}

TEST(ConfctlProtect, PutRefusesRecordsItCannotWrite) {
    TempDir dir;
    std::string file = dir.File("proxy.conf");
    WriteFile(file, kBlocks);
    for (const char *bad :
         {"{", "[]", R"({"Directive":"Protect","Colour":"red"})", R"({"Template":"/x/*"})",
          R"({"Directive":"Pass","Template":"/x/*"})", R"({"Directive":"Protect"})",
          R"({"Directive":"Protect","Template":"/x/*","SetupName":3})",
          R"({"Directive":"Protect","Template":"/x/*","SetupName":"a\nb"})"}) {
        auto put = Confctl({"protect", "put", file}, {bad});
        EXPECT_EQ(put.status, 2) << bad;
        EXPECT_EQ(put.err.rfind("confctl: ", 0), 0u) << put.err;
    }
    EXPECT_EQ(ReadFile(file), kBlocks);
}

TEST(ConfctlLdapAndMember, BlocksRoundTripAndDelete) {
    TempDir dir;
    std::string file = dir.File("proxy.conf");
    WriteFile(file, kBlocks);

    json ldap = GetJson("ldap", file, "dir1");
    EXPECT_EQ(ldap["KeyLabel"], " ");
    EXPECT_EQ(ldap["ServerDN"], "cn=proxy, o=example");
    EXPECT_EQ(ldap["IdleConnTimeout"], "30 seconds\n");
    ExpectRoundTrip("ldap", file, "dir1");
    EXPECT_EQ(Confctl({"ldap", "get", file, "m1"}).status, 2);

    auto member = Confctl(
        {"member", "put", file},
        {R"({"Name":"m1","RCAAddr":"5.6.7.8","RCAPort":"8080","CacheRoot":"/cache","CacheSize":"5",)"
         R"("CacheSizeSuffix":"M","Timeout":"500 milliseconds","BindSpecific":"on","ReuseAddr":"off"})"});
    ASSERT_EQ(member.status, 0) << member.err;
    std::string text = ReadFile(file);
    EXPECT_NE(
        text.find(
            "Member m1 {\r\n     RCAAddr 5.6.7.8\r\n     RCAPort 8080\r\n     CacheSize 5 M\r\n"
            "     CacheRoot /cache\r\n     Timeout 500 milliseconds\r\n     BindSpecific on\r\n"
            "     ReuseAddr off\r\n}\r\n"),
        std::string::npos)
        << text;
    EXPECT_EQ(text.find("1.2.3.4"), std::string::npos);

    ASSERT_EQ(Confctl({"member", "delete", file, "m1"}).status, 0);
    ASSERT_EQ(Confctl({"ldap", "delete", file, "dir1"}).status, 0);
    text = ReadFile(file);
    EXPECT_EQ(text.find("Member"), std::string::npos);
    EXPECT_EQ(text.find("LDAPInfo"), std::string::npos);
    EXPECT_EQ(Confctl({"member", "delete", file, "m1"}).status, 2);
}

TEST(ConfctlPics, RulesAndClausesRoundTrip) {
    TempDir dir;
    std::string file = dir.File("proxy.conf");
    WriteFile(file, "Port 80\r\n");

    auto put = Confctl(
        {"pics", "put", file},
        {R"({"RuleName":"Kids","Description":"for kids","ActiveDays":"Mon","StartTime":"08:00"})"});
    ASSERT_EQ(put.status, 0) << put.err;
    EXPECT_EQ(ReadFile(file),
              "Port 80\r\nDefinePicsRule \"Kids\" {\r\n     (PicsRule-1.0\r\n          (\r\n"
              "          name     (\r\n                   rulename \"Kids\"\r\n"
              "                   description \"for kids\"\r\n                   )\r\n"
              "          osmek-quillon-extensions (\r\n               active-days \"Mon\"\r\n"
              "               start-time \"08:00\"\r\n                                )\r\n"
              "         )\r\n    )\r\n}\r\n");
    EXPECT_EQ(GetJson("pics", file, "Kids"),
              json::parse(R"({"RuleName":"Kids","Description":"for kids",)"
                          R"("ActiveDays":"Mon","StartTime":"08:00","EndTime":null})"));
    ExpectRoundTrip("pics", file, "Kids");
    EXPECT_EQ(Confctl({"pics", "get", file, "kids"}).status, 2);

    auto urls =
        Confctl({"pics", "clause", "put", file, "Kids", "passurl"}, {"http://a/\nhttp://b/\n"});
    ASSERT_EQ(urls.status, 0) << urls.err;
    EXPECT_EQ(Confctl({"pics", "clause", "get", file, "Kids", "PASSURL"}).out,
              "http://a/\nhttp://b/\n");
    auto asJson = Confctl({"pics", "clause", "get", file, "Kids", "passurl", "--json"});
    EXPECT_EQ(json::parse(asJson.out), json::parse(R"(["http://a/","http://b/"])"));
    ASSERT_EQ(
        Confctl({"pics", "clause", "put", file, "Kids", "failurl", "--json"}, {asJson.out}).status,
        0);
    EXPECT_EQ(Confctl({"pics", "clause", "get", file, "Kids", "failurl"}).out,
              "http://a/\nhttp://b/\n");
    ASSERT_EQ(
        Confctl({"pics", "clause", "put", file, "Kids", "serviceinfo"}, {"SN N OPT1 OPT2 YES\n"})
            .status,
        0);
    EXPECT_EQ(Confctl({"pics", "clause", "get", file, "Kids", "serviceinfo"}).out,
              "SN N OPT1 OPT2 YES\n");
    EXPECT_EQ(Confctl({"pics", "clause", "get", file, "Kids", "colour"}).status, 2);

    ASSERT_EQ(Confctl({"pics", "filter", "put", file, "Kids", "Filter (deny)"}).status, 0);
    EXPECT_NE(ReadFile(file).find("\r\n           Filter (deny)\r\n"), std::string::npos);
    EXPECT_EQ(Confctl({"pics", "filter", "put", file, "Kids", "deny all"}).status, 2);
    ASSERT_EQ(Confctl({"pics", "filter", "delete", file, "Kids"}).status, 0);
    EXPECT_EQ(ReadFile(file).find("Filter"), std::string::npos);
    EXPECT_EQ(Confctl({"pics", "filter", "delete", file, "Kids"}).status, 2);

    ASSERT_EQ(Confctl({"pics", "delete", file, "Kids"}).status, 0);
    EXPECT_EQ(ReadFile(file), "Port 80\r\n");
    EXPECT_EQ(Confctl({"pics", "delete", file, "Kids"}).status, 2);
}

} // namespace
