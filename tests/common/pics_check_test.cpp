// The checks of PICS records, clause values and Filter texts: what each
// refuses, with the field and the character named, and what it lets through.
#include "common/pics_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using valuecheck::Verdict;

Verdict Rule(const char *name, const char *description = "D", const char *days = "Mon",
             const char *start = nullptr, const char *end = nullptr,
             valuecheck::PicsRuleLayout layout = valuecheck::PicsRuleLayout::kPut) {
    PicsFilterRule r{const_cast<char *>(name), const_cast<char *>(description),
                     const_cast<char *>(days), const_cast<char *>(start), const_cast<char *>(end)};
    return valuecheck::CheckPicsRule(r, layout);
}

Verdict Clause(const char *keyword, std::vector<const char *> values) {
    values.push_back(nullptr);
    return valuecheck::CheckPicsClause(keyword, values.data());
}

TEST(PicsCheck, RefusalsNameTheFieldAndTheCharacter) {
    const std::string room989(989, 'd'), room990(990, 'd');
    const std::string longEntry = std::string(520, 's') + " " + std::string(520, 'n') + " b r c";
    struct Case {
        Verdict verdict;
        const char *field, *says;
    } const cases[] = {
        {Rule(""), "RuleName", "empty"},
        {Rule("a\tb"), "RuleName", "a tab"},
        {Rule("a\"b"), "RuleName", "\"\"\""},
        {Rule("k)"), "RuleName", "\")\""},
        {Rule("R", "a(b"), "Description", "\"(\""},
        {Rule("R", "a\rb"), "Description", "a carriage return"},
        {Rule("R", "a\nb"), "Description", "a line feed"},
        {Rule("R", room990.c_str()), "Description", "holds 989"},
        {Rule("R", room989.c_str(), "M", nullptr, nullptr, valuecheck::PicsRuleLayout::kReplace),
         "Description", "holds 988"},
        {Rule("R", "D", "Mon)"), "ActiveDays", "\")\""},
        {Rule("R", "D", "M", "8}"), "StartTime", "\"}\""},
        {Rule("R", "D", "M", nullptr, "a\x1A"), "EndTime", "0x1A"},
        {Clause("passurl", {"a", "b)"}), "passurl value 2", "\")\""},
        {Clause("FailURL", {"a{"}), "FailURL value 1", "\"{\""},
        {Clause("applies-to", {"x y", "one"}), "applies-to value 2", "bare word"},
        {Clause("applies-to", {" ) x"}), "applies-to value 1", "begins with \")\""},
        {Clause("applies-to", {"@Active-Days x"}), "applies-to value 1", "active-days"},
        {Clause("applies-to", {"name (x"}), "applies-to value 1", "name clause"},
        {Clause("applies-to", {"a applies-to"}), "applies-to value 1", "opening line"},
        {Clause("serviceinfo", {"s n b r c)"}), "serviceinfo value 1 available-with-content",
         "\")\""},
        {Clause("serviceinfo", {"s n OPT1 r x-bureau"}),
         "serviceinfo value 1 available-with-content", "bureau"},
        {Clause("serviceinfo", {"s n( b r c"}), "serviceinfo value 1 name", "\"(\""},
        {Clause("serviceinfo", {"s n b r", longEntry.c_str()}), "serviceinfo value 2",
         "without its bureau"},
        {valuecheck::CheckFilter("deny all"), "Filter", "word Filter"},
        {valuecheck::CheckFilter("Filter (a"), "Filter", "not closed"},
        {valuecheck::CheckFilter("Filter a) (b"), "Filter", "closes more"},
        {valuecheck::CheckFilter(" Filter"), "Filter", "bare word"},
        {valuecheck::CheckFilter("Filter }"), "Filter", "\"}\""},
        {valuecheck::CheckFilter("Filter (a)\r"), "Filter", "a carriage return"},
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(c.verdict) << c.field << " " << c.says;
        EXPECT_EQ(c.verdict->field, c.field);
        EXPECT_NE(c.verdict->Message().find(c.says), std::string::npos) << c.verdict->Message();
    }
}

TEST(PicsCheck, WhatReadsBackOrIsOnlyNormalisedPasses) {
    const std::string room989(989, 'd');
    const Verdict passing[] = {
        // What a get hands out: padding, " " for an empty time, apostrophes.
        Rule("My rule (1", std::string(22, ' ').c_str(), " ", "8:00 am", "a@b"),
        Rule("R", room989.c_str()),
        Rule("R", "say \"hi\"", nullptr),
        Clause("passurl", {"http://a/(b)"}),
        Clause("passurl", {}),
        Clause("applies-to", {"\"x\"", "", "  two words  ", "a ) b", "name x"}),
        Clause("serviceinfo", {"s n OPT1 OPT2 t u", "a b", "sn my-name bureau r c"}),
        Clause("ServiceInfo", {"}"}), // written by nothing
        Clause("colour", {"\n"}),
        valuecheck::CheckFilter(" \t Filter (a (b) c)"),
        valuecheck::CheckFilter("@Filter x"),
    };
    for (const Verdict &v : passing)
        EXPECT_FALSE(v) << v->Message();
}

} // namespace
