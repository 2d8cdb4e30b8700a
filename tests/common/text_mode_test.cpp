// The text-mode decoder over any byte source: whatever the block size, the
// source's chunk sizes and the way the text is taken (a character at a time
// or in runs), it gives what reading one byte at a time in text mode gives.
#include "common/text_mode.h"
#include "text_reading.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

using testsupport::ReadByteAtATime;

// A string handed out at most step bytes per call.
struct StringBytes {
    const std::string *bytes;
    std::size_t step;
    std::size_t at = 0;
    std::size_t operator()(char *to, std::size_t room) {
        const std::size_t n = std::min({room, step, bytes->size() - at});
        std::memcpy(to, bytes->data() + at, n);
        at += n;
        return n;
    }
};

template <std::size_t kBlock> std::string ByGet(const std::string &raw, std::size_t step) {
    textmode::Decoder<StringBytes, kBlock> text(StringBytes{&raw, step});
    std::string out;
    for (int c; (c = text.Get()) != textmode::kEnd;)
        out += static_cast<char>(c);
    return out;
}

template <std::size_t kBlock>
std::string ByRead(const std::string &raw, std::size_t step, std::size_t cap) {
    textmode::Decoder<StringBytes, kBlock> text(StringBytes{&raw, step});
    std::string out(cap, '\0');
    std::string all;
    while (std::size_t n = text.Read(out.data(), cap))
        all.append(out, 0, n);
    return all;
}

TEST(TextModeDecoder, GivesWhatByteAtATimeReadingGivesAtAnyBlockSize) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::string raw = testsupport::NoisyBytes(seed, 500 + seed * 37);
        if (seed % 4 == 0) raw[raw.size() / 2] = '\x1A';
        const std::string want = ReadByteAtATime(raw);
        for (std::size_t step : {std::size_t{1}, std::size_t{3}, raw.size()}) {
            EXPECT_EQ(ByGet<1>(raw, step), want) << seed << " " << step;
            EXPECT_EQ(ByGet<2>(raw, step), want) << seed << " " << step;
            EXPECT_EQ(ByGet<64>(raw, step), want) << seed << " " << step;
            EXPECT_EQ(ByRead<5>(raw, step, 7), want) << seed << " " << step;
            EXPECT_EQ(ByRead<4096>(raw, step, 1), want) << seed << " " << step;
        }
    }
}

TEST(TextModeDecoder, ReadsNothingAfterTheEndMarkOrTheSourceEnd) {
    const std::string raw = "a\r\x1A\r\nb";
    StringBytes source{&raw, 1};
    textmode::Decoder<StringBytes &, 2> text(source);
    EXPECT_EQ(text.Get(), 'a');
    EXPECT_EQ(text.Get(), '\r'); // a CR before the mark is kept
    EXPECT_EQ(text.Get(), textmode::kEnd);
    EXPECT_EQ(text.Get(), textmode::kEnd);
    EXPECT_EQ(source.at, 3u); // the source is not asked again

    const std::string empty;
    StringBytes none{&empty, 1};
    textmode::Decoder<StringBytes &, 2> nothing(none);
    EXPECT_EQ(nothing.Get(), textmode::kEnd);
    char out[4];
    EXPECT_EQ(nothing.Read(out, sizeof out), 0u);
}

} // namespace
