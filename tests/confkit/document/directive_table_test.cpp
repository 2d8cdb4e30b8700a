// The directive table and the rule-ID lookups.
#include "internal.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <set>
#include <string>

namespace {

TEST(DirectiveTable, HasTheNumberedNamesInOrder) {
    EXPECT_STREQ(HTTPDIDToRule(0), "accesslog");
    EXPECT_STREQ(HTTPDIDToRule(59), "definepicsrule");
    EXPECT_STREQ(HTTPDIDToRule(60), "definepicsrule");
    EXPECT_STREQ(HTTPDIDToRule(63), "defineserviceinfo");
    EXPECT_STREQ(HTTPDIDToRule(101), "gc advisor");
    EXPECT_STREQ(HTTPDIDToRule(125), "ldapinfo");
    EXPECT_STREQ(HTTPDIDToRule(143), "member");
    EXPECT_STREQ(HTTPDIDToRule(167), "protect");
    EXPECT_STREQ(HTTPDIDToRule(168), "protection");
    EXPECT_STREQ(HTTPDIDToRule(170), "proxy advisor");
    EXPECT_STREQ(HTTPDIDToRule(196), "zqm");
    EXPECT_STREQ(HTTPDIDToRule(231), "welcome");
    EXPECT_EQ(HTTPDIDToRule(232), nullptr);
    EXPECT_EQ(HTTPDIDToRule(-1), nullptr);
}

TEST(DirectiveTable, EveryNameIsLowerCaseAndMapsBackExceptTheTwoDuplicates) {
    std::set<std::string> seen;
    for (int32_t id = 0; id < 232; ++id) {
        const char *name = HTTPDIDToRule(id);
        ASSERT_NE(name, nullptr) << id;
        for (const char *p = name; *p; ++p)
            EXPECT_FALSE(std::isupper(static_cast<unsigned char>(*p))) << name;
        const bool duplicate = !seen.insert(name).second;
        EXPECT_EQ(duplicate, id == 60 || id == 63) << id;
        if (!duplicate) {
            EXPECT_EQ(HTTPDRuleToID(name), id);
        }
    }
}

TEST(HTTPDRuleToID, ComparesWholeNamesIgnoringCase) {
    EXPECT_EQ(HTTPDRuleToID("Protection"), 168);
    EXPECT_EQ(HTTPDRuleToID("PROTECTION"), 168);
    EXPECT_EQ(HTTPDRuleToID("DefinePicsRule"), 59);
    EXPECT_EQ(HTTPDRuleToID("DEFINEPICSRULE"), 59);
    EXPECT_EQ(HTTPDRuleToID("GC Advisor"), 101);
    EXPECT_EQ(HTTPDRuleToID("protect "), -1);
    EXPECT_EQ(HTTPDRuleToID("protec"), -1);
    EXPECT_EQ(HTTPDRuleToID("nosuchdirective"), -1);
    EXPECT_EQ(HTTPDRuleToID(""), -1);
}

TEST(HTTPDRuleMatch, MatchesTheDirectiveWord) {
    EXPECT_EQ(HTTPDRuleMatch("Protection setupname {", 168), 1);
    EXPECT_EQ(HTTPDRuleMatch("Protection setupname {", 167), 0);
    EXPECT_EQ(HTTPDRuleMatch("ProxyAccessLog x", 171), 1);
    EXPECT_EQ(HTTPDRuleMatch("ProxyAccessLog x", 169), 0);
    EXPECT_EQ(HTTPDRuleMatch("Proxy /x/* /y/*", 169), 1);
    EXPECT_EQ(HTTPDRuleMatch("ProxyFrom x", 169), 0);
    EXPECT_EQ(HTTPDRuleMatch(" \t@Port\n", 164), 1);
    EXPECT_EQ(HTTPDRuleMatch("Port", 164), 1);
    EXPECT_EQ(HTTPDRuleMatch("Port#x 80", 164), 0);
    EXPECT_EQ(HTTPDRuleMatch("GC on", 100), 1);
    EXPECT_EQ(HTTPDRuleMatch("GCDailyGC 03:00", 100), 0);
}

TEST(HTTPDRuleMatch, NamesWithASpaceArePrefixes) {
    EXPECT_EQ(HTTPDRuleMatch("GC Advisor on", 101), 1);
    EXPECT_EQ(HTTPDRuleMatch("  GC Advisor 5", 100), 1);
    EXPECT_EQ(HTTPDRuleMatch("GCAdvisor on", 101), 0);
    EXPECT_EQ(HTTPDRuleMatch("gc advisory", 101), 1);
    EXPECT_EQ(HTTPDRuleMatch("proxy  advisor", 170), 0);
    EXPECT_EQ(HTTPDRuleMatch("PROXY ADVISOR x", 170), 1);
    EXPECT_EQ(HTTPDRuleMatch("GC", 101), 0);
}

TEST(HTTPDRuleMatch, UnknownIdsAndNullLinesNeverMatch) {
    EXPECT_EQ(HTTPDRuleMatch("accesslog x", -1), 0);
    EXPECT_EQ(HTTPDRuleMatch("welcome x", 232), 0);
    EXPECT_EQ(HTTPDRuleMatch(nullptr, 164), 0);
}

} // namespace
