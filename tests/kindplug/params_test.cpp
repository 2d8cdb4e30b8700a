// The parameter record as a host receives it from Params_load.
#include "kindplug.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace {

constexpr size_t kRecordSize = 1088;
constexpr unsigned char kFill = 0xA5;

void PutLittleEndian(std::vector<unsigned char> &bytes, size_t offset, uint32_t value) {
    for (size_t i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<unsigned char>(value >> (8 * i));
}

uint32_t LittleEndianAt(const unsigned char *bytes) {
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
           uint32_t{bytes[3]} << 24;
}

const char *TextAt(uint32_t address) {
    return reinterpret_cast<const char *>(static_cast<uintptr_t>(address));
}

TEST(ParamsLoad, WritesTheWholeRecordAndNothingAroundIt) {
    // An odd start: the host's buffer need not be aligned.
    const size_t start = 3;
    std::vector<unsigned char> buffer(start + kRecordSize + 64, kFill);
    ASSERT_EQ(1, Params_load(KINDPLUG_PROXY_KIND, buffer.data() + start));
    const unsigned char *record = buffer.data() + start;

    std::vector<unsigned char> expected(kRecordSize, 0);
    const std::pair<size_t, uint32_t> words[] = {{12, 1}, {16, 512}, {20, 1}, {24, 23},
                                                 {28, 1}, {32, 1},   {40, 1}, {44, 100},
                                                 {52, 1}, {60, 103}};
    for (const auto &[offset, value] : words)
        PutLittleEndian(expected, offset, value);
    // The string fields hold load-time addresses; the next test checks where they lead.
    for (size_t offset : {8, 48, 56}) {
        EXPECT_NE(0u, LittleEndianAt(record + offset)) << "string field at " << offset;
        std::memcpy(&expected[offset], record + offset, 4);
    }

    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), record));
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.begin() + start,
                            [](unsigned char byte) { return byte == kFill; }));
    EXPECT_TRUE(std::all_of(buffer.begin() + start + kRecordSize, buffer.end(),
                            [](unsigned char byte) { return byte == kFill; }));
}

TEST(ParamsLoad, StringFieldsLeadToTheKindsTexts) {
    KindParams params;
    std::memset(&params, kFill, sizeof params);
    ASSERT_EQ(1, Params_load(KINDPLUG_PROXY_KIND, &params));
    ASSERT_NE(0u, params.nameText);
    ASSERT_NE(0u, params.displayName);
    ASSERT_NE(0u, params.identifier);
    EXPECT_STREQ("responsetime", TextAt(params.nameText));
    EXPECT_STREQ("Osmek Tarrowgate HTTP Proxy", TextAt(params.displayName));
    EXPECT_STREQ("OSMEK-PROXY-TG", TextAt(params.identifier));
    EXPECT_EQ(uint32_t{KINDPLUG_PROXY_KIND}, params.kindNumber);

    // Every load hands out the same addresses.
    KindParams again;
    ASSERT_EQ(1, Params_load(KINDPLUG_PROXY_KIND, &again));
    EXPECT_EQ(0, std::memcmp(&params, &again, sizeof params));
}

TEST(ParamsLoadDeathTest, TextsAreReadOnly) {
    KindParams params;
    ASSERT_EQ(1, Params_load(KINDPLUG_PROXY_KIND, &params));
    char *text = const_cast<char *>(TextAt(params.nameText));
    EXPECT_DEATH(*static_cast<volatile char *>(text) = 'R', "");
}

TEST(ParamsLoad, OtherKindsAndNoDestinationWriteNothing) {
    for (int32_t kind : {0, 2, 3, 4, -1, INT32_MAX, INT32_MIN}) {
        std::vector<unsigned char> buffer(kRecordSize + 64, kFill);
        EXPECT_EQ(0, Params_load(kind, buffer.data())) << "kind " << kind;
        EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(),
                                [](unsigned char byte) { return byte == kFill; }))
            << "kind " << kind;
    }
    EXPECT_EQ(0, Params_load(KINDPLUG_PROXY_KIND, nullptr));
}

} // namespace
