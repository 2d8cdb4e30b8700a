// What an edit reports: --dry-run and --diff print the lines whose text
// changes, with the save's incidental changes as "#" notes, and with --exact
// a diff that patch --binary applies; --json prints {"changed", "diff",
// "readable_diff", "incidental", "loss", ...}; an edit that changes nothing
// leaves the file's bytes and modification time alone.
#include "run_confctl.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>

#include <sys/stat.h>

using confctltest::Confctl;
using nlohmann::json;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

// LF-only line ends and a bare word, both of which a save changes.
const char kConfig[] = "Port 80\n"
                       "Welcome\r\n"
                       "Pass /a/*\r\n"
                       "Protection setup1 {\r\n   AuthType Basic\r\n}\r\n"
                       "Member m1 {\r\n     RCAAddr 1.2.3.4\r\n}\r\n"
                       "Fail /b/*\r\n";

timespec ModificationTime(const std::string &path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0);
    return st.st_mtim;
}

bool SameTime(const timespec &a, const timespec &b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

TEST(ConfctlChanges, DryRunPrintsTheDiffAndWritesNothing) {
    TempDir dir;
    std::string file = dir.File("proxy.conf");
    WriteFile(file, kConfig);
    timespec was = ModificationTime(file);

    // The save would lose the bare word: the dry run fails as the edit would.
    auto dry = Confctl({"add", file, "pass", "Pass /new/*", "--dry-run"});
    EXPECT_EQ(dry.status, 2) << dry.err;
    const std::string notes =
        "# lost: line 2: a line of a single word ('Welcome') is left out by the writer\n"
        "# 1 line(s) end with LF alone; written back they end with CR LF\n";
    const std::string header = "--- " + file + "\n+++ " + file + "\n";
    EXPECT_EQ(dry.out, notes + "# 1 line changes only its line end, from LF to CR LF\n" + header +
                           "@@ -1,6 +1,6 @@\n Port 80\n-Welcome\n Pass /a/*\n+Pass /new/*\n"
                           " Protection setup1 {\n    AuthType Basic\n }\n");
    auto exact = Confctl({"add", file, "pass", "Pass /new/*", "--dry-run", "--exact"});
    EXPECT_EQ(exact.out, notes + header +
                             "@@ -1,6 +1,6 @@\n"
                             "-Port 80\n-Welcome\r\n+Port 80\r\n Pass /a/*\r\n+Pass /new/*\r\n"
                             " Protection setup1 {\r\n    AuthType Basic\r\n }\r\n");
    EXPECT_EQ(ReadFile(file), kConfig);
    EXPECT_TRUE(SameTime(ModificationTime(file), was));

    // --diff prints the same and writes it; the exact diff applies to the old file.
    auto diff = Confctl({"add", file, "pass", "Pass /new/*", "--diff", "--accept-loss"});
    EXPECT_EQ(diff.status, 0) << diff.err;
    EXPECT_EQ(diff.out, dry.out);
    std::string written = ReadFile(file);
    WriteFile(dir.File("old"), kConfig);
    WriteFile(dir.File("patch"), exact.out);
    ASSERT_EQ(std::system(
                  ("patch --binary --silent '" + dir.File("old") + "' '" + dir.File("patch") + "'")
                      .c_str()),
              0);
    EXPECT_EQ(ReadFile(dir.File("old")), written);
}

// The sample file has the CR LF line ends a save writes: the preview of a
// new rule is that rule in its context, and nothing else.
TEST(ConfctlChanges, TheSamplesPreviewIsTheChangedLine) {
    TempDir dir;
    const std::string file = dir.File("proxy.conf");
    const std::string sample = ReadFile(CONFKIT_SOURCE_DIR "/examples/proxy.conf");
    WriteFile(file, sample);
    auto dry = Confctl({"add", file, "pass", "Pass /n/* /m/*", "--dry-run"});
    EXPECT_EQ(dry.status, 0) << dry.err;
    EXPECT_EQ(dry.out.rfind("--- " + file + "\n+++ " + file + "\n@@ -201,6 +201,7 @@\n", 0), 0u)
        << dry.out;
    EXPECT_EQ(std::count(dry.out.begin(), dry.out.end(), '\n'), 10) << dry.out;
    EXPECT_NE(dry.out.find("\n+Pass /n/* /m/*\n"), std::string::npos);
    // every line of the sample ends with CR LF
    std::size_t crlf = 0;
    for (std::size_t at = sample.find("\r\n"); at != std::string::npos;
         at = sample.find("\r\n", at + 2))
        ++crlf;
    EXPECT_EQ(crlf, 337u);
    EXPECT_EQ(std::count(sample.begin(), sample.end(), '\n'), 337);
}

TEST(ConfctlChanges, JsonSaysWhetherAnythingChanged) {
    TempDir dir;
    std::string file = dir.File("proxy.conf");
    WriteFile(file, kConfig);
    // The save's own changes.
    ASSERT_EQ(Confctl({"add", file, "pass", "Pass /b/*", "--accept-loss"}).status, 0);
    const std::string record = Confctl({"protect", "get", file, "setup1", "--json"}).out;

    // Edits that leave the document as it is: nothing is written.
    struct Case {
        std::vector<std::string> args;
        std::string input;
    };
    for (const Case &c : std::vector<Case>{
             {{"add", file, "pass", "pass   /A/*"}, ""},
             {{"remove", file, "pass", "Pass /gone/*", "--if-exists"}, ""},
             {{"replace", file, "fail", "-"}, "Fail /b/*\n"},
             {{"protect", "put", file}, record},
             {{"member", "put", file}, R"({"Name":"m1","RCAAddr":"1.2.3.4"})"},
             {{"ldap", "delete", file, "nobody", "--if-exists"}, ""},
             {{"pics", "delete", file, "nobody", "--if-exists"}, ""},
         }) {
        // The member put rewrites the block in the library's form once.
        Confctl(c.args, {c.input});
        const std::string before = ReadFile(file);
        timespec was = ModificationTime(file);
        std::vector<std::string> args = c.args;
        args.push_back("--json");
        auto run = Confctl(args, {c.input});
        EXPECT_EQ(run.status, 0) << run.err;
        // The head of the history that the earlier saves recorded.
        json report = json::parse(run.out);
        EXPECT_EQ(report["history_head"].get<std::string>().size(), 64u) << args[0];
        report.erase("history_head");
        EXPECT_EQ(report, json::parse(R"({"changed":false,"diff":"","readable_diff":"",
                                           "incidental":[],"loss":[],
                                           "revision":null,"backup_file":""})"))
            << args[0] << " " << args[1];
        EXPECT_EQ(ReadFile(file), before);
        EXPECT_TRUE(SameTime(ModificationTime(file), was)) << args[0];
    }
    EXPECT_EQ(ReadFile(file).find("Port 80\r\nPass /a/*\r\nPass /b/*\r\n"), 0u);

    auto changed = Confctl({"protect", "delete", file, "setup1", "--json", "--dry-run"});
    json report = json::parse(changed.out);
    EXPECT_EQ(report["changed"], true);
    EXPECT_EQ(report["incidental"], json::array());
    EXPECT_NE(report["diff"].get<std::string>().find("-Protection setup1 {\r\n"),
              std::string::npos);
    EXPECT_NE(report["readable_diff"].get<std::string>().find("-Protection setup1 {\n"),
              std::string::npos);
    EXPECT_NE(ReadFile(file).find("setup1"), std::string::npos);
}

} // namespace
