// Params_check: the name hash the host applies to names.
#include "kindplug.h"

#include <gtest/gtest.h>

#include <string>

namespace {

uint32_t Hash(const std::string &name) {
    return Params_check(name.c_str());
}

TEST(ParamsCheck, WorkedExamples) {
    EXPECT_EQ(0x6100u, Hash("a"));
    EXPECT_EQ(0x63626100u, Hash("abc"));
    EXPECT_EQ(0x63626164u, Hash("abcd"));
    // The fifth letter wraps back to a shift of 8 bits.
    EXPECT_EQ(0x63620464u, Hash("abcde"));
}

TEST(ParamsCheck, EmptyOrMissingNameHashesToZero) {
    EXPECT_EQ(0u, Hash(""));
    EXPECT_EQ(0u, Params_check(nullptr));
    // The name ends at its terminator.
    EXPECT_EQ(0x6100u, Params_check("a\0bc"));
}

TEST(ParamsCheck, BytesAbove127CountAsNegative) {
    // 0xFF widens to 0xFFFFFFFF: every bit above the shift is set.
    EXPECT_EQ(0xFFFFFF00u, Hash("\xff"));
    EXPECT_EQ(0xFF626100u, Hash("ab\xff"));
    EXPECT_EQ(0x807F8000u, Hash("\x80\x80\x80"));
    // Unshifted, the fourth byte flips all the high bits.
    EXPECT_EQ(0x9C9D9EE9u, Hash("abc\xe9"));
}

TEST(ParamsCheck, LongNamesWrapTheShiftManyTimes) {
    // Four equal letters fill all four bytes; two such rounds cancel out.
    EXPECT_EQ(0x61616161u, Hash("aaaa"));
    EXPECT_EQ(0u, Hash(std::string(4000, 'a')));
    EXPECT_EQ(0x61616161u, Hash(std::string(4004, 'a')));
    EXPECT_EQ(0x6100u, Hash(std::string(4001, 'a')));
    EXPECT_EQ(0xFFFFFF00u, Hash(std::string(1001, '\xff')));
    EXPECT_EQ(Hash("abcde"), Hash(std::string(1000, 'z') + "abcde"));
}

} // namespace
