// The rule name a DefinePicsRule header gives, which the library's lookups
// and the programs' lists of rules share.
#include "common/pics_rule_name.h"

#include <gtest/gtest.h>

namespace {

TEST(PicsRuleName, RunsFromTheFirstToTheNextStopAndKeepsSpaces) {
    const struct {
        const char *header;
        const char *name;
    } cases[] = {
        {"DefinePicsRule \"Kids\" {\n", "Kids"},
        {"DefinePicsRule Kids {\n", "Kids "},
        {"  definepicsrule\t\"My rule\"\r\n", "My rule"},
        {"DefinePicsRule {\"\t\r\"Inner\"x\" {\n", "Inner"},
        {"DefinePicsRule \"a'b\" {", "a'b"},
        {"DefinePicsRule\n", ""},
        {"DefinePicsRule \"\" {\n", " "}, // the space before the brace
        {"DefinePicsRule", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(confkit::PicsRuleName(c.header), c.name) << c.header;
}

} // namespace
