// confctl rules, add, remove and replace, and the conventions every
// subcommand shares (help, version, exit statuses, messages).
#include "run_confctl.h"

#include <gtest/gtest.h>

using confctltest::Confctl;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

const char kRules[] = "Port 80\r\n"
                      "Pass /a/* /b/*\r\n"
                      "Map /x/* /y/*\r\n"
                      "#Pass /commented/*\r\n"
                      "AccessLog /logs/access\r\n"
                      "PASS /c/*   # note\r\n"
                      "Fail /bad/*\r\n";

TEST(ConfctlUsage, VersionHelpAndUsageErrors) {
    auto version = Confctl({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "confctl 1.0.0\n");

    auto help = Confctl({"add", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("FILE DIRECTIVE [RULE...]"), std::string::npos) << help.out;

    EXPECT_EQ(Confctl({}).status, 2);
    EXPECT_EQ(Confctl({"frobnicate"}).status, 2);
    EXPECT_EQ(Confctl({"rules"}).status, 2);
    EXPECT_EQ(Confctl({"protect", "put", "x", "--mode", "sideways"}).status, 2);
}

TEST(ConfctlRules, ListsRulesOfDirectivesInFileOrder) {
    TempDir dir;
    std::string file = dir.File("proxy.conf");
    WriteFile(file, kRules);

    auto pass = Confctl({"rules", file, "pass"});
    EXPECT_EQ(pass.status, 0);
    EXPECT_EQ(pass.out, "Pass /a/* /b/*\nPASS /c/*   # note\n");

    // Several directives, accesslog (rule ID 0) among them, in file order;
    // a rule ID number names a directive too (164 is port).
    auto several = Confctl({"rules", file, "fail", "164", "ACCESSLOG", "pass"});
    EXPECT_EQ(several.status, 0);
    EXPECT_EQ(several.out,
              "Port 80\nPass /a/* /b/*\nAccessLog /logs/access\nPASS /c/*   # note\nFail /bad/*\n");

    auto json = Confctl({"rules", file, "map", "fail", "--json"});
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(
        json.out,
        "[\n"
        "  {\n    \"line\": 3,\n    \"directive\": \"map\",\n    \"text\": \"Map /x/* /y/*\"\n  "
        "},\n"
        "  {\n    \"line\": 7,\n    \"directive\": \"fail\",\n    \"text\": \"Fail /bad/*\"\n  }\n"
        "]\n");

    EXPECT_EQ(Confctl({"rules", file, "welcome"}).out, "");
    EXPECT_EQ(ReadFile(file), kRules);
}

TEST(ConfctlRules, ErrorsNameTheFileAndLeaveNoTrace) {
    TempDir dir;
    std::string file = dir.File("proxy.conf");
    WriteFile(file, kRules);

    auto unknown = Confctl({"rules", file, "nosuch"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err, "confctl: unknown directive 'nosuch'\n");

    // A query must not create the file the library would create.
    std::string missing = dir.File("missing.conf");
    auto absent = Confctl({"rules", missing, "pass"});
    EXPECT_EQ(absent.status, 2);
    EXPECT_EQ(absent.err, "confctl: " + missing + ": No such file or directory\n");
    EXPECT_FALSE(testsupport::FileExists(missing));

    auto folder = Confctl({"add", dir.path(), "pass", "Pass /q/*"});
    EXPECT_EQ(folder.status, 2);
    EXPECT_EQ(folder.err, "confctl: " + dir.path() + ": not a regular file\n");
}

TEST(ConfctlEdit, AddRemoveAndReplaceWriteTheFile) {
    TempDir dir;
    std::string file = dir.File("proxy.conf");
    WriteFile(file, kRules);

    // New rules go after the directive's last rule; one the file holds is dropped.
    auto add = Confctl({"add", file, "pass", "Pass /d/*", "pass /A/*   /B/*"});
    EXPECT_EQ(add.status, 0) << add.err;
    EXPECT_EQ(ReadFile(file),
              "Port 80\r\nPass /a/* /b/*\r\nMap /x/* /y/*\r\n#Pass /commented/*\r\n"
              "AccessLog /logs/access\r\nPASS /c/*   # note\r\nPass /d/*\r\nFail /bad/*\r\n");

    auto fromStdin = Confctl({"add", file, "fail", "-"}, {"Fail /worse/*\r\n\nFail /worst/*\n"});
    EXPECT_EQ(fromStdin.status, 0) << fromStdin.err;
    EXPECT_EQ(Confctl({"rules", file, "fail"}).out, "Fail /bad/*\nFail /worse/*\nFail /worst/*\n");

    auto remove = Confctl({"remove", file, "pass", "pass /c/*", "Pass /a/* /b/*"});
    EXPECT_EQ(remove.status, 0) << remove.err;
    EXPECT_EQ(Confctl({"rules", file, "pass"}).out, "Pass /d/*\n");

    // Kept rules stay where they are; new ones take the place of the last removed.
    auto replace = Confctl({"replace", file, "fail", "Fail /new/*", "FAIL /worst/*"});
    EXPECT_EQ(replace.status, 0) << replace.err;
    EXPECT_EQ(ReadFile(file),
              "Port 80\r\nMap /x/* /y/*\r\n#Pass /commented/*\r\nAccessLog /logs/access\r\n"
              "Pass /d/*\r\nFail /new/*\r\nFail /worst/*\r\n");

    auto clear = Confctl({"replace", file, "fail", "-", "--allow-empty"});
    EXPECT_EQ(clear.status, 0) << clear.err;
    EXPECT_EQ(Confctl({"rules", file, "fail"}).out, "");
}

TEST(ConfctlEdit, RefusedEditsLeaveTheFileAsItWas) {
    TempDir dir;
    std::string file = dir.File("proxy.conf");
    WriteFile(file, kRules);

    auto missing = Confctl({"remove", file, "pass", "Pass /a/* /b/*", "Pass /zz/*"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "confctl: " + file + ": no rule 'Pass /zz/*' to remove\nconfctl: " +
                               file + ": nothing removed, the file is unchanged\n");

    auto other = Confctl({"add", file, "pass", "Map /a/* /b/*"});
    EXPECT_EQ(other.status, 2);
    EXPECT_EQ(other.err, "confctl: 'Map /a/* /b/*' is not a rule of the directive pass\n");

    auto fromStdin = Confctl({"add", file, "pass", "-"}, {"Pass /x/*\n\nMap /y/* /z/*\n"});
    EXPECT_EQ(fromStdin.status, 2);
    EXPECT_EQ(fromStdin.err,
              "confctl: standard input:3: 'Map /y/* /z/*' is not a rule of the directive pass\n");

    EXPECT_EQ(Confctl({"add", file, "pass", "Pass"}).status, 2);
    EXPECT_EQ(Confctl({"add", file, "pass", "Pass /a/*\nFail /b/*"}).status, 2);
    EXPECT_EQ(Confctl({"add", file, "pass", "Pass /" + std::string(1100, 'x')}).status, 2);
    EXPECT_EQ(ReadFile(file), kRules);
}

TEST(ConfctlEdit, FailedWriteLeavesTheFileUntouched) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows sets no limit on the size of the files a process writes";
#endif
    TempDir dir;
    std::string file = dir.File("proxy.conf");
    WriteFile(file, kRules);

    // Files may not grow beyond 32 bytes: writing the new text fails.
    auto add = Confctl({"add", file, "pass", "Pass /d/*"}, {"", 32});
    EXPECT_EQ(add.status, 2);
    // The preview of the edit is the first write that the limit stops.
    EXPECT_EQ(add.err.rfind("confctl: cannot write a preview in ", 0), 0u) << add.err;
    EXPECT_NE(add.err.find("File too large"), std::string::npos) << add.err;
    EXPECT_EQ(ReadFile(file), kRules);
    // No temporary file is left; the lock file stays, as every editor leaves it.
    EXPECT_EQ(confctltest::FolderEntries(dir.path()),
              (std::vector<std::string>{"proxy.conf", "proxy.conf.lock"}));
}

} // namespace

namespace {

TEST(ConfctlEdit, WarnsWhenWritingLosesOtherLines) {
    TempDir dir;
    std::string file = dir.File("proxy.conf");
    WriteFile(file, "Port 80\r\nWelcome\r\nPass /a/*\r\n");
    EXPECT_EQ(Confctl({"add", file, "pass", "Pass /b/*"}).status, 2); // refused: it would lose
    auto add = Confctl({"add", file, "pass", "Pass /b/*", "--accept-loss"});
    EXPECT_EQ(add.status, 0);
    EXPECT_EQ(add.err, "confctl: warning: " + file + ": writing the file back lost line 2\n");
    EXPECT_EQ(ReadFile(file), "Port 80\r\nPass /a/*\r\nPass /b/*\r\n");
    // Nothing is left to lose now.
    EXPECT_EQ(Confctl({"add", file, "pass", "Pass /c/*"}).err, "");
}

} // namespace
