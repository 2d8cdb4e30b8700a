// The class of a line text, which decides whether a save writes the line.
#include "common/line_class.h"

#include <gtest/gtest.h>

namespace {

using confkit::LineClassify;

TEST(LineClassify, LeavesOutOnlyLinesOfOneBareWord) {
    EXPECT_EQ(LineClassify("welcome\n"), 0);
    EXPECT_EQ(LineClassify("  Port\t\n"), 0);
    EXPECT_EQ(LineClassify("word\r\n"), 0); // CR is part of the word
    EXPECT_EQ(LineClassify("port 80\n"), 1);
    EXPECT_EQ(LineClassify("word #note\n"), 1);
    EXPECT_EQ(LineClassify(""), 3);
    EXPECT_EQ(LineClassify(" \t\n"), 3);
    EXPECT_EQ(LineClassify(nullptr), 3);
    for (const char *marked : {"#comment\n", "}\n", "{\n", ")\n", "(\n", "\"quoted\"\n", "@x\n",
                               "key=value\n", "PicsRule-1.0\n", "x(PicsRule-1.0\n", "a@b\n"})
        EXPECT_EQ(LineClassify(marked), 2) << marked;
    EXPECT_EQ(LineClassify("picsrule-1.0\n"), 0); // the tests are case-sensitive
    EXPECT_EQ(LineClassify("\r\n"), 0);           // a lone CR is a token
}

} // namespace
