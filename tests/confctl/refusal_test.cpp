// What confctl refuses before it touches the file: rule lists without a rule
// of the directive, and values that would change how the file is read or do
// not fit their line. Characters that only need escaping are accepted.
#include "run_confctl.h"

#include <gtest/gtest.h>

using confctltest::Confctl;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

const char kConfig[] = "Port 80\r\n"
                       "Map /a/* /b/*\r\n"
                       "Map /c/* /d/*\r\n"
                       "Protection setup1 {\r\n   AuthType Basic\r\n}\r\n"
                       "LDAPInfo dir1 {\r\n   Host ldap.example\r\n}\r\n"
                       "DefinePicsRule \"Kids\" {\r\n     (PicsRule-1.0\r\n          (\r\n"
                       "          passurl ( \"http://good/\" )\r\n         )\r\n    )\r\n}\r\n";

struct Refused {
    std::vector<std::string> args;
    std::string input;
    std::string message; // what follows "confctl: "
};

// Each case fails with status 2 and its message, and the file stays as it was.
void ExpectRefused(const std::string &file, const std::vector<Refused> &cases) {
    const std::string before = ReadFile(file);
    for (const Refused &c : cases) {
        auto run = Confctl(c.args, {c.input});
        EXPECT_EQ(run.status, 2) << c.message;
        EXPECT_EQ(run.err, "confctl: " + c.message + "\n");
    }
    EXPECT_EQ(ReadFile(file), before);
}

TEST(ConfctlRefuses, ListsWithoutARuleOfTheDirective) {
    TempDir dir;
    std::string file = dir.File("proxy.conf");
    WriteFile(file, kConfig);
    const std::string none =
        "no rule of the directive map given; --allow-empty says that an empty list is meant";
    ExpectRefused(file, {
                            {{"replace", file, "Map", "-"}, "", none},
                            {{"replace", file, "Map", "-"}, "\n  \n# only a comment\n", none},
                            {{"replace", file, "Map"}, "", none},
                            {{"add", file, "Map", "", "# note"}, "", none},
                            {{"replace", file, "Map", "-"},
                             "Pass /x\n",
                             "standard input:1: 'Pass /x' is not a rule of the directive map"},
                            {{"replace", file, "Map", "-"},
                             "Map /a/* /b/*\nMap /x/* {\n",
                             "standard input:2: holds \"{\", which changes where a block ends"},
                            {{"add", file, "Map", "Map /x/* /y/*", "Map /z/* }"},
                             "",
                             "rule 2: holds \"}\", which changes where a block ends"},
                        });

    // Said explicitly, an empty list removes every rule of the directive.
    auto cleared = Confctl({"replace", file, "Map", "--allow-empty", "-"}, {"# none\n"});
    EXPECT_EQ(cleared.status, 0) << cleared.err;
    EXPECT_EQ(Confctl({"rules", file, "map"}).out, "");
}

TEST(ConfctlRefuses, ValuesThatWouldChangeHowTheFileIsRead) {
    TempDir dir;
    std::string file = dir.File("proxy.conf");
    WriteFile(file, kConfig);
    const std::string longPath(1101, 'p');
    ExpectRefused(
        file,
        {
            {{"protect", "put", file},
             R"({"Directive":"Protection","SetupName":"setup1","PasswdFile":")" + longPath + "\"}",
             "PasswdFile: is 1101 characters long; its line holds 1003"},
            {{"protect", "put", file},
             R"({"Directive":"Protection","SetupName":"setup1","ServerID":"Admin }"})",
             "ServerID: holds \"}\", which changes where a block ends"},
            {{"ldap", "put", file},
             R"({"Name":"dir1","Host":"a\nUserSearchBase x"})",
             "Host: holds a line feed; a value is one line"},
            {{"member", "put", file},
             R"({"Name":"m{1"})",
             "Name: holds \"{\", which changes where a block ends"},
            {{"pics", "put", file},
             R"({"RuleName":"Kids","Description":"a ) b","ActiveDays":"x"})",
             "Description: holds \")\", which the description reads back as a space"},
            {{"pics", "put", file},
             R"({"RuleName":"Kids","ActiveDays":"x","clauses":{"passurl":["http://a/)b","http://c/"]}})",
             "passurl value 1: holds \")\", which ends the clause early"},
            {{"pics", "clause", "put", file, "Kids", "failurl"},
             "http://x/}\n",
             "failurl value 1: holds \"}\", which changes where a block ends"},
            {{"pics", "filter", "put", file, "Kids", "Filter deny }"},
             "",
             "Filter: holds \"}\", which changes where a block ends"},
            {{"add", file, "Pass", "Pass /a/* /b/*\rjunk"},
             "",
             "rule 1: holds a carriage return, a control byte; a value holds none but tab"},
            {{"protect", "put", file},
             R"({"Directive":"Protection","SetupName":"setup1","ServerID":"a\u001bb"})",
             "ServerID: holds byte 0x1B, a control byte; a value holds none but tab"},
        });

    // Characters that only need escaping on a page are ordinary data.
    for (const Refused &c : std::vector<Refused>{
             {{"protect", "put", file},
              R"({"Directive":"Protection","SetupName":"setup1","AuthType":"<b> & \"x\""})",
              ""},
             {{"pics", "clause", "put", file, "Kids", "passurl"}, "http://a/?x=1&y=<2>\n", ""},
             {{"add", file, "Map", "Map /q?a=1&b=2 /r # <note> \"quoted\""}, "", ""},
         }) {
        auto run = Confctl(c.args, {c.input});
        EXPECT_EQ(run.status, 0) << run.err;
    }
    EXPECT_NE(ReadFile(file).find("AuthType     <b> & \"x\""), std::string::npos);
    EXPECT_EQ(Confctl({"pics", "clause", "get", file, "Kids", "passurl"}).out,
              "http://a/?x=1&y=<2>\n");
}

} // namespace
