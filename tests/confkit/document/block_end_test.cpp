// The block-end rule: a block ends at the first later line holding a brace.
#include "internal.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using namespace confkit;
using testsupport::DocPtr;
using testsupport::MakeDoc;

TEST(BlockEnd, IsTheFirstLaterLineHoldingABrace) {
    DocPtr doc(MakeDoc("Protection p {\n a b\n x}y\n}\n"));
    Line *header = doc->first;
    Line *end = BlockEnd(header);
    ASSERT_NE(end, nullptr);
    EXPECT_STREQ(end->text, " x}y\n");
    // The header's own brace does not count; no later brace: nullptr.
    DocPtr open(MakeDoc("Protection p {}\n a b\n"));
    EXPECT_EQ(BlockEnd(open->first), nullptr);
    EXPECT_EQ(BlockEnd(nullptr), nullptr);
}

} // namespace
