// What is refused as a rule of a directive: a line of another directive
// (or of a longer word that starts like it), and the directive's word with
// nothing after it but blanks or a comment, which a save leaves out.
#include "rule_check.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(RuleCheck, RefusesLinesOfOtherDirectivesAndTheWordAlone) {
    const std::string other = " is not a rule of the directive pass";
    const std::string bare = " has no value (a line of one word is not written to the file)";
    const struct {
        std::string line, refusal; // "" when the line is a rule of Pass
    } cases[] = {
        {"Pass /a/*", ""},
        {"  pass\t/a/* /b/*", ""},
        {"PASS /a/* # a note", ""},
        {"Map /a/* /b/*", "'Map /a/* /b/*'" + other},
        {"Passive /a/*", "'Passive /a/*'" + other},
        {"# Pass /a/*", "'# Pass /a/*'" + other},
        {"", "''" + other},
        {"Pass", "'Pass'" + bare},
        {"Pass  \t", "'Pass  \t'" + bare},
        {"Pass # /a/*", "'Pass # /a/*'" + bare},
    };
    const int32_t pass = confkit::RuleId("pass");
    ASSERT_GE(pass, 0);
    for (const auto &c : cases)
        EXPECT_EQ(rulecheck::Refusal(c.line, pass).value_or(""), c.refusal) << c.line;
}

} // namespace
