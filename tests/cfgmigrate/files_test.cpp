// Renaming a file without replacing its target.
#include "installation.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace pf = cfgmigrate::platform;
using cfgmigrate_test::FileExists;
using cfgmigrate_test::Installation;
using cfgmigrate_test::ReadFile;
using cfgmigrate_test::WriteFile;

namespace {

TEST(Rename, NeverReplacesTheTarget) {
    Installation inst;
    const std::string from = inst.Path("from"), to = inst.Path("to");
    WriteFile(from, "source");
    WriteFile(to, "target");
    EXPECT_FALSE(pf::RenameNoReplace(from.c_str(), to.c_str()));
    EXPECT_EQ(ReadFile(from), "source");
    EXPECT_EQ(ReadFile(to), "target");

    std::string backslashed_to = inst.Path("moved");
    std::replace(backslashed_to.begin(), backslashed_to.end(), '/', '\\');
    EXPECT_TRUE(pf::RenameNoReplace(from.c_str(), backslashed_to.c_str()));
    EXPECT_FALSE(FileExists(from));
    EXPECT_EQ(ReadFile(inst.Path("moved")), "source");
    EXPECT_FALSE(pf::RenameNoReplace(inst.Path("missing").c_str(), inst.Path("x").c_str()));
}

} // namespace
