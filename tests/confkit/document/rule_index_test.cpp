// The normalised rule key agrees with RuleSame, and the index finds what
// RuleFound finds.
#include "document/rule_index.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using confkit::RuleIndex;
using confkit::RuleKey;
using testsupport::ListPtr;
using testsupport::MakeList;

TEST(RuleKey, LowerCasedTokensUpToAComment) {
    EXPECT_EQ(RuleKey("  @Pass\t/A/*  # note\n"), "pass /a/*");
    EXPECT_EQ(RuleKey("Pass@@/a/*\r\n"), "pass /a/*\r");
    EXPECT_EQ(RuleKey("Port#x 80"), "port");
    EXPECT_EQ(RuleKey("GC Advisor\xC4"), "gc advisor\xC4");
    EXPECT_EQ(RuleKey("# Pass /a"), "");
    EXPECT_EQ(RuleKey(" \t@\n"), "");
    EXPECT_EQ(RuleKey(nullptr), "");
}

// Texts built from characters that matter to the token rules, and variants
// of them that differ only in case, white space or a trailing comment.
class RuleTexts {
  public:
    explicit RuleTexts(unsigned seed) : rng_(seed) {}
    std::string Random() {
        static const char kChars[] = {'a',  'A', 'b', 'B',  'z', ' ',    '\t',
                                      '\n', '@', '#', '\r', '/', '\xC4', '\xE4'};
        std::string s;
        for (int n = Pick(9); n > 0; --n)
            s += kChars[Pick(sizeof kChars)];
        return s;
    }
    std::string VariantOf(const std::string &s) {
        static const char kSpace[] = {' ', '\t', '\n', '@'};
        std::string v;
        for (char c : s) {
            if (c >= 'a' && c <= 'z' && Pick(2))
                c = static_cast<char>(c - 'a' + 'A');
            else if (c >= 'A' && c <= 'Z' && Pick(2))
                c = static_cast<char>(c - 'A' + 'a');
            if (c == ' ' || c == '\t' || c == '\n' || c == '@') {
                v += kSpace[Pick(4)];
                if (Pick(3) == 0) v += kSpace[Pick(4)];
                continue;
            }
            v += c;
        }
        if (Pick(3) == 0) v.insert(0, 1, kSpace[Pick(4)]);
        if (Pick(3) == 0) v += Pick(2) ? " # note" : "#x";
        if (Pick(4) == 0 && !v.empty()) v.pop_back();
        return v;
    }
    unsigned Pick(std::size_t n) { return static_cast<unsigned>(rng_() % n); }

  private:
    std::mt19937 rng_;
};

TEST(RuleKey, EqualNonEmptyKeysExactlyWhenRuleSame) {
    RuleTexts texts(20240611);
    int same = 0;
    for (int i = 0; i < 100000; ++i) {
        std::string a = texts.Random();
        std::string b = texts.Pick(2) ? texts.VariantOf(a) : texts.Random();
        std::string ka = RuleKey(a.c_str()), kb = RuleKey(b.c_str());
        int expected = RuleSame(a.c_str(), b.c_str());
        same += expected;
        ASSERT_EQ(!ka.empty() && ka == kb, expected == 1)
            << "a=[" << a << "] b=[" << b << "] ka=[" << ka << "] kb=[" << kb << "]";
    }
    // The variants make both outcomes common.
    EXPECT_GT(same, 10000);
    EXPECT_LT(same, 90000);
}

TEST(RuleIndex, TakesTheFirstLineNotYetTakenInListOrder) {
    ListPtr list(MakeList({"Pass /a\n", "Fail /a\n", "PASS  /A # 2\n", "# Pass /a\n", "\n"}));
    Line *first = list.get();
    Line *third = first->next->next;
    RuleIndex index(list.get());
    EXPECT_EQ(index.Take("pass\t/a", list.get()), first);
    EXPECT_EQ(index.Take("pass /a", list.get()), third);
    EXPECT_EQ(index.Take("pass /a", list.get()), nullptr);
    // Texts without tokens are the same rule as nothing.
    EXPECT_EQ(index.Take("# Pass /a\n", list.get()), nullptr);
    EXPECT_EQ(index.Take("\n", list.get()), nullptr);
    EXPECT_EQ(index.Take("Fail /b", list.get()), nullptr);
}

} // namespace
