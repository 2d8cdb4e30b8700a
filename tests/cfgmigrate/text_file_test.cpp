// Text files read in text mode.
#include "installation.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace pf = cfgmigrate::platform;
using cfgmigrate_test::Installation;
using cfgmigrate_test::WriteFile;

namespace {

std::vector<std::string> LinesOf(const std::string &bytes) {
    Installation inst;
    WriteFile(inst.Path("text"), bytes);
    pf::TextFilePtr file = pf::OpenTextFile(inst.Path("text").c_str());
    EXPECT_TRUE(file);
    std::vector<std::string> lines;
    std::string line;
    while (file && pf::ReadTextLine(*file, line) == pf::ReadStatus::kLine)
        lines.push_back(line);
    return lines;
}

TEST(TextFile, ReadsLinesInTextMode) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(LinesOf(""), Lines{});
    EXPECT_EQ(LinesOf("a\r\nb\nc"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(LinesOf("\n\r\n"), (Lines{"", ""}));
    EXPECT_EQ(LinesOf("lone\rcr\r\r\n"), (Lines{"lone\rcr\r"}));
    EXPECT_EQ(LinesOf("a\r"), (Lines{"a\r"}));
    EXPECT_EQ(LinesOf("a\nb\x1A\nc\n"), (Lines{"a", "b"}));
    EXPECT_EQ(LinesOf("a\r\x1A"), (Lines{"a\r"}));
    EXPECT_EQ(LinesOf(std::string(5000, 'x')), Lines{std::string(5000, 'x')});
}

TEST(TextFile, OpensFilesOnly) {
    Installation inst;
    EXPECT_FALSE(pf::OpenTextFile(inst.Path("missing").c_str()));
    EXPECT_FALSE(pf::OpenTextFile(inst.Path("root").c_str()));
    std::string backslashed = inst.SettingsFile();
    std::replace(backslashed.begin(), backslashed.end(), '/', '\\');
    EXPECT_TRUE(pf::OpenTextFile(backslashed.c_str()));
}

} // namespace
