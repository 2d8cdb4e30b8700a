// The library's private field split.
#include "internal.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using namespace confkit;

TEST(SplitFields, SplitsAtRunsOfDelimiters) {
    const auto f = SplitFields("  a \t b\n\nc  ", " \t\n");
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(f[0], "a");
    EXPECT_EQ(f[1], "b");
    EXPECT_EQ(f[2], "c");
    EXPECT_TRUE(SplitFields(" \t ", " \t").empty());
    EXPECT_TRUE(SplitFields("", " ").empty());
}

TEST(FieldOf, CountsFromOneAndGivesEmptyPastTheEnd) {
    EXPECT_EQ(FieldOf("a  b\tc\r\n", 2), "b");
    EXPECT_EQ(FieldOf("a  b\tc\r\n", 3), "c");
    EXPECT_EQ(FieldOf("a  b\tc", 0), "a");
    EXPECT_EQ(FieldOf("a  b\tc", 4), "");
    EXPECT_EQ(FieldOf("", 1), "");
}

} // namespace
