// confctl check: each kind of loss named on its line, structural findings,
// and a clean file that gives nothing.
#include "run_confctl.h"

#include <gtest/gtest.h>

using confctltest::Confctl;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

TEST(ConfctlCheck, CleanFileFindsNothing) {
    TempDir dir;
    std::string file = dir.File("proxy.conf");
    const std::string text =
        "Port 80\r\n# a comment\r\n\r\nProtection p {\r\n   AuthType Basic\r\n}\r\n"
        "DefinePicsRule \"K\" {\r\n}\r\nGC Advisor on\r\nPass /a/* /b/*";
    WriteFile(file, text);
    auto check = Confctl({"check", file});
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_EQ(check.out, "");
    EXPECT_EQ(ReadFile(file), text);
}

TEST(ConfctlCheck, NamesEachKindOfLossOnItsLine) {
    TempDir dir;
    std::string file = dir.File("proxy.conf");
    std::string text = "Port 80\r\n"
                       "Welcome\r\n"
                       "Pass /ab/* /c/*\r\n"
                       "Map /m/* /n/*\r\n"
                       "Pass /" +
                       std::string(2100, 'x') +
                       " tail\r\n"
                       "Frobnicate on\n"
                       "DefinePicsRule \"K\" {\r\n}\r\n"
                       "DefinePicsRule \"K\" {\r\n}\r\n"
                       "}\r\n"
                       "Protection p {\r\n"
                       "AuthType Basic\r\n"
                       "\x1a rest\r\n";
    WriteFile(file, text);

    auto check = Confctl({"check", file});
    EXPECT_EQ(check.status, 1);
    EXPECT_EQ(
        check.out,
        file + ":2: a line of a single word ('Welcome') is left out by the writer\n" +
            // Line 5, long but of several words, is written back whole.
            file + ":6: 'Frobnicate' is not a directive\n" + file +
            ":9: the PICS rule name 'K' is used again (first on line 7): lookups find only the "
            "first\n" +
            file + ":11: a closing brace outside any block\n" + file +
            ":12: the block that begins here has no closing line\n" + file +
            ":14: a Ctrl-Z byte ends the file for the library: the 7 bytes after it are lost\n" +
            file + ": note: 1 line(s) end with LF alone; written back they end with CR LF\n");
    EXPECT_EQ(ReadFile(file), text);
    EXPECT_EQ(confctltest::FolderEntries(dir.path()), std::vector<std::string>{"proxy.conf"});
    // A NUL byte makes the file one that is not read at all.
    text.insert(25, 1, '\0');
    WriteFile(file, text);
    EXPECT_EQ(Confctl({"check", file}).err,
              "confctl: " + file + ": not a text configuration file: NUL byte at offset 25\n");
}

TEST(ConfctlCheck, LostLinesBetweenKeptOnes) {
    TempDir dir;
    std::string file = dir.File("proxy.conf");
    WriteFile(file, "Welcome\r\nCaching\r\nPort 80\r\nPort 80\r\nGC\r\nPass /" +
                        std::string(3000, 'y') + "\r\nPort 81");
    auto check = Confctl({"check", file});
    EXPECT_EQ(check.status, 1);
    EXPECT_EQ(check.out,
              file + ":1: a line of a single word ('Welcome') is left out by the writer\n" + file +
                  ":2: a line of a single word ('Caching') is left out by the writer\n" + file +
                  // Line 6, long but of two words, is written back whole.
                  ":5: a line of a single word ('GC') is left out by the writer\n");
}

TEST(ConfctlCheck, TrailingCtrlZIsOnlyANote) {
    TempDir dir;
    std::string file = dir.File("proxy.conf");
    WriteFile(file, "Port 80\r\n\x1a");
    auto check = Confctl({"check", file});
    EXPECT_EQ(check.status, 0);
    EXPECT_EQ(check.out, file + ": note: the Ctrl-Z byte that ends the file is not written back\n");
    EXPECT_EQ(Confctl({"check", dir.File("none.conf")}).status, 2);
}

} // namespace
