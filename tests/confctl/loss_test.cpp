// An edit whose save would lose text it does not touch (lines of one bare
// word, the bytes after a Ctrl-Z byte) is refused unless --accept-loss says
// so; a file with a NUL byte or beyond the size limit is refused by every
// command before it is read whole, in bounded time and memory.
#include "run_confctl.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>

#include <sys/stat.h>

using confctltest::Confctl;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

// The sample configuration with a Ctrl-Z in a comment line after line 79.
std::string SampleWithCtrlZ() {
    const std::string sample = ReadFile(CONFKIT_SOURCE_DIR "/examples/proxy.conf");
    std::size_t at = 0;
    for (int line = 0; line < 79; ++line)
        at = sample.find('\n', at) + 1;
    return sample.substr(0, at) + "# note \x1a here\r\n" + sample.substr(at);
}

std::string Refusal(const std::string &file, const std::string &summary) {
    return "confctl: " + file + ": writing the file back would also lose " + summary +
           "; nothing was written ('confctl check " + file +
           "' says why, and --accept-loss writes it all the same)\n";
}

TEST(ConfctlLoss, AnEditThatLosesOtherTextIsRefused) {
    TempDir dir;
    const std::string file = dir.File("proxy.conf");
    std::string twelve;
    for (int i = 0; i < 12; ++i)
        twelve += "Word" + std::to_string(i) + "\r\n";
    const std::string block = "Protection p {\r\n   AuthType Basic\r\n   Junk\r\n}\r\n";
    struct Case {
        std::string text;
        std::vector<std::string> args; // "F" stands for the file
        std::string input;
        std::string summary; // "" when the edit is saved
    } cases[] = {
        {SampleWithCtrlZ(),
         {"add", "F", "pass", "Pass /a/* /b/*"},
         "",
         "the 9663 bytes after the Ctrl-Z byte on line 80"},
        {"Port 80\r\nWelcome\r\nPass /a/*\r\nGC\r\n# end\x1a!",
         {"replace", "F", "pass", "Pass /b/*"},
         "",
         "lines 2 and 4 (2 lines), and the 1 byte after the Ctrl-Z byte on line 5"},
        {twelve,
         {"add", "F", "pass", "Pass /b/*"},
         "",
         "lines 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 and 2 more (12 lines)"},
        {"GC\r\n" + block,
         {"member", "put", "F"},
         R"({"Name":"m","RCAAddr":"1.2.3.4"})",
         "lines 1 and 4 (2 lines)"},
        {"GC\r\n" + block, {"protect", "delete", "F", "p"}, "", "line 1"},
        // Nothing lost: line ends, a final Ctrl-Z, a bare word the edit itself removes.
        {"Port 80\nPass /a/*\n\x1a", {"add", "F", "pass", "Pass /b/*"}, "", ""},
        {"Port 80\r\n" + block, {"protect", "delete", "F", "p"}, "", ""},
    };
    for (const Case &c : cases) {
        WriteFile(file, c.text);
        std::vector<std::string> args = c.args;
        std::replace(args.begin(), args.end(), std::string("F"), file);
        auto edit = Confctl(args, {c.input});
        if (c.summary.empty()) {
            EXPECT_EQ(edit.status, 0) << edit.err;
            EXPECT_EQ(edit.err, "");
            EXPECT_NE(ReadFile(file), c.text);
            continue;
        }
        EXPECT_EQ(edit.status, 2) << c.summary;
        EXPECT_EQ(edit.err, Refusal(file, c.summary));
        EXPECT_EQ(ReadFile(file), c.text);
        args.push_back("--accept-loss");
        auto accepted = Confctl(args, {c.input});
        EXPECT_EQ(accepted.status, 0) << accepted.err;
        EXPECT_EQ(accepted.err,
                  "confctl: warning: " + file + ": writing the file back lost " + c.summary + "\n");
        EXPECT_NE(ReadFile(file), c.text);
    }
}

// --json lists the loss, whether the dry run fails on it or accepts it.
TEST(ConfctlLoss, JsonListsTheLoss) {
    TempDir dir;
    const std::string file = dir.File("proxy.conf");
    WriteFile(file, "Port 80\r\nWelcome\r\nPass /a/*\r\n");
    for (const char *accept : {"--json", "--accept-loss"}) {
        auto json = Confctl({"add", file, "pass", "Pass /b/*", "--json", "--dry-run", accept});
        EXPECT_EQ(json.status, accept[2] == 'a' ? 0 : 2) << json.err;
        EXPECT_EQ(nlohmann::json::parse(json.out)["loss"],
                  nlohmann::json::array(
                      {"line 2: a line of a single word ('Welcome') is left out by the writer"}));
    }
}

TEST(ConfctlText, NulBytesAndLargeFilesAreRefusedByEveryCommand) {
    TempDir dir;
    const std::string file = dir.File("proxy.conf");
    const std::string text = "Port 80\r\nPass /a/* /b/*\r\n"; // 25 bytes
    struct Case {
        std::string content, limit, why;
    } cases[] = {
        {text + '\0', "64M", "not a text configuration file: NUL byte at offset 25"},
        {std::string(70000, '#') + '\0', "1G",
         "not a text configuration file: NUL byte at offset 70000"},
        {text + " ", "25", "larger than the limit of 25 bytes"},
        {std::string(2049, '#'), "2K", "larger than the limit of 2048 bytes"},
    };
    for (const auto &[content, limit, why] : cases) {
        for (std::vector<std::string> args :
             std::vector<std::vector<std::string>>{{"add", file, "pass", "Pass /c/*"},
                                                   {"rules", file, "pass"},
                                                   {"check", file},
                                                   {"protect", "get", file, "p"}}) {
            WriteFile(file, content);
            args.insert(args.end(), {"--max-size", limit});
            auto run = Confctl(args);
            EXPECT_EQ(run.status, 2) << args[0];
            EXPECT_EQ(run.err, "confctl: " + file + ": " + why + "\n") << args[0];
            EXPECT_EQ(ReadFile(file), content);
        }
    }
    WriteFile(file, text);
    EXPECT_EQ(Confctl({"add", file, "pass", "Pass /c/*", "--max-size", "25"}).status, 0);
    EXPECT_EQ(Confctl({"rules", file, "pass", "--max-size", "2X"}).status, 2);
}

// A sparse file of 1 GiB is refused at once under a memory limit far below
// its size: by its size, or by its first NUL byte when the limit allows it;
// --accept-loss changes neither.
TEST(ConfctlText, ASparseGigabyteIsRefusedInBoundedMemory) {
#ifdef CONFKIT_SANITIZED
    GTEST_SKIP() << "a memory limit breaks the sanitizers";
#endif
    if (std::system("command -v prlimit >/dev/null") != 0) GTEST_SKIP() << "no prlimit";
    TempDir dir;
    const std::string file = dir.File("s.conf");
    WriteFile(file, "Port 80\n");
    ASSERT_EQ(truncate(file.c_str(), 1L << 30), 0);
    // No --max-size: the default limit.
    for (const auto &[options, why] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{}, "larger than the limit of 67108864 bytes"},
             {{"--max-size", "2G"}, "not a text configuration file: NUL byte at offset 8"}}) {
        std::vector<std::string> args = {"add", file, "Pass", "Pass /a/* /b/*", "--accept-loss"};
        args.insert(args.end(), options.begin(), options.end());
        auto run = Confctl(args, {}, {"/usr/bin/prlimit", "--as=268435456", "--", CONFCTL_PROGRAM});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, "confctl: " + file + ": " + why + "\n");
    }
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 1L << 30); // untouched
}

} // namespace
