// A text split into lines, and a source read whole.
#include "text_input.h"

#include <gtest/gtest.h>

namespace {

// Each line as content|end, the end one of "LF", "CRLF" or "".
std::string Shape(std::string_view text) {
    std::string out;
    for (const textinput::Line &l : textinput::SplitLines(text)) {
        EXPECT_EQ(l.whole.substr(0, l.content.size()), l.content);
        out += std::to_string(l.number) + ":" + std::string(l.content) + "|" +
               (l.crlf ? "CRLF"
                : l.lf ? "LF"
                       : "") +
               " ";
    }
    return out;
}

TEST(TextInput, LinesEndAtEachLfAndKeepALoneCr) {
    const struct {
        const char *text, *shape;
    } cases[] = {
        {"", ""},
        {"a", "1:a| "},
        {"a\n\nb\r\n", "1:a|LF 2:|LF 3:b|CRLF "},
        {"a\rb\r", "1:a\rb\r| "},
        {"\r\n\r", "1:|CRLF 2:\r| "},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Shape(c.text), c.shape) << c.text;
}

TEST(TextInput, ReadAllGivesEveryBlockOrNothingOnAFailure) {
    std::vector<long long> reads = {3, 65536, 1, 0};
    std::size_t i = 0;
    const auto source = [&](char *buffer, std::size_t size) {
        const long long n = reads[i++];
        if (n > 0) std::fill(buffer, buffer + std::min<std::size_t>(size, n), 'x');
        return n;
    };
    EXPECT_EQ(textinput::ReadAll(source).value_or("").size(), 65540u);
    reads = {5, -1, 7, 0};
    i = 0;
    EXPECT_FALSE(textinput::ReadAll(source).has_value());
}

} // namespace
