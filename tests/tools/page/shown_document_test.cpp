// The document as the page shows it: stand-ins for markup, "\xNN" for
// control bytes.
#include "shown_document.h"

#include "common/value_check.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {

// Stand-ins are bytes the texts do not hold already; whatever the file
// holds, values show with entities for markup and "\xNN" for control bytes.
// Only when every candidate is taken do the top three bytes show as "?".
TEST(ShownDocument, StandInsAvoidWhatTheFileHoldsAndControlBytesShowAsHex) {
    std::string controls, every;
    for (int c = 1; c < 256; ++c) {
        if (c == '\n' || c == 0x1A) continue; // a line end; the end of a text file
        if (c < 0x20) controls += static_cast<char>(c);
        every += static_cast<char>(c);
    }
    const auto expected = [](const std::string &text, bool full) {
        std::string out;
        for (char c : text) {
            const auto u = static_cast<unsigned char>(c);
            if (c == '<' || c == '>' || c == '&')
                out += c == '<' ? "&lt;" : c == '>' ? "&gt;" : "&amp;";
            else if (full && u >= 0xFD)
                out += '?';
            else if ((u < 0x20 && c != '\t' && c != '\n') || u == 0x7F)
                out += "\\x" + valuecheck::HexDigits(c);
            else
                out += c;
        }
        return out;
    };
    for (std::size_t held : {0, 5, 9, 29, 255}) {
        const bool full = held > controls.size();
        const std::string text = "Pass /<a>&" + (full ? every : controls.substr(0, held)) + "\n";
        confkit::Document doc(testsupport::MakeDoc(text));
        const page::ShownDocument shown(doc);
        const std::string masked = shown.get()->first->text;
        EXPECT_EQ(masked.find_first_of("<>&"), std::string::npos) << held;
        EXPECT_EQ(shown.Html(masked), expected(text, full)) << held;
        EXPECT_EQ(shown.Attribute(shown.Mask("\"<")), "&quot;&lt;");
        EXPECT_EQ(shown.HoldsControlByte(masked), held > 0) << held;
    }
    confkit::Document plain(testsupport::MakeDoc("Pass /a\n"));
    const page::ShownDocument shown(plain, every);
    EXPECT_EQ(shown.Html(shown.Mask("<\x7f>")), "&lt;\\x7F&gt;");
}

// The copy is made only when it differs: when the file holds markup, or so
// many bytes that some of its own must show as "?".
TEST(ShownDocument, CopiesOnlyAFileWithBytesToStandInFor) {
    std::string crowded = "Pass ";
    for (int c = 1; c < 256; ++c)
        if (c != '\n' && c != 0x1A && c != '<' && c != '>' && c != '&')
            crowded += static_cast<char>(c);
    const struct {
        std::string text;
        bool copied;
    } cases[] = {{"Pass /a/* /b/*\n# c\n", false},
                 {"Pass /a;x&y /b\n", true},
                 {"Redirect /a <b>\n", true},
                 {crowded + "\n", true}};
    for (const auto &c : cases) {
        confkit::Document doc(testsupport::MakeDoc(c.text));
        const page::ShownDocument shown(doc);
        EXPECT_EQ(shown.get() != doc.get(), c.copied) << c.text;
        const std::string masked = shown.get()->first->text;
        EXPECT_EQ(masked.find_first_of("<>&"), std::string::npos) << c.text;
        EXPECT_EQ(shown.Html(masked).find('?') != std::string::npos, c.text == crowded + "\n");
    }
}

} // namespace
