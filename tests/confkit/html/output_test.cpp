// Printing through a caller's line template.
#include "html/output.h"

#include "html_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using htmltest::Capture;

std::string Out(const char *tmpl, const char *value) {
    return Capture([&] { return GenHtmlLine(tmpl, value); }).out;
}

TEST(GenHtmlLine, PutsTheValueAtTheFirstSlot) {
    EXPECT_EQ(Out("<input value=\"%s\">\n", "80"), "<input value=\"80\">\n");
    EXPECT_EQ(Out("%s", ""), "");
    EXPECT_EQ(Out("[%s]", ""), "[]");
    EXPECT_EQ(Capture([] { return GenHtmlLine("x%s", "y"); }).result, 0);
}

TEST(GenHtmlLine, PrintsTheTemplateAloneWithoutSlotOrValue) {
    EXPECT_EQ(Out("<hr>", "ignored"), "<hr>");
    EXPECT_EQ(Out("a%sb", nullptr), "ab");
    EXPECT_EQ(Out(nullptr, "v"), "");
    EXPECT_EQ(Out(nullptr, nullptr), "");
}

TEST(GenHtmlLine, PercentSignsAreNeverConversions) {
    EXPECT_EQ(Out("100%% of %s", "x"), "100% of x");
    EXPECT_EQ(Out("100%%", nullptr), "100%");
    // Stray conversions are printed as written, never interpreted.
    EXPECT_EQ(Out("%d %n %x %s %5s", "v"), "%d %n %x v %5s");
    EXPECT_EQ(Out("ends in %", "v"), "ends in %");
    EXPECT_EQ(Out("%", nullptr), "%");
    // Only the first "%s" takes the value; "%%s" is a percent sign and an s.
    EXPECT_EQ(Out("%s and %s", "one"), "one and %s");
    EXPECT_EQ(Out("%%s=%s", "v"), "%s=v");
    EXPECT_EQ(Out("%%%s%%", "v"), "%v%");
}

TEST(GenHtmlLine, ValuesArePrintedVerbatim) {
    EXPECT_EQ(Out("<%s>", "%s %d %% <b>&"), "<%s %d %% <b>&>");
    std::string big(5000, 'z');
    EXPECT_EQ(Out("(%s)", big.c_str()), "(" + big + ")");
}

TEST(GenHtmlLine, InterleavesWithTheCallersOwnPrintf) {
    std::string out = testsupport::CaptureStdout([] {
        std::printf("<p>");
        GenHtmlLine("%s", "middle");
        std::printf("</p>");
        GenHtmlLine("!", nullptr);
    });
    EXPECT_EQ(out, "<p>middle</p>!");
}

TEST(LineTemplate, ParsedAndStreamedFormsAgree) {
    const char *templates[] = {"a%sb", "%%", "%", "%s%s", "x%%s%sy%", "%d%s%n", "plain", ""};
    for (const char *t : templates) {
        for (const char *v : {"V", ""}) {
            std::string streamed = testsupport::CaptureStdout([&] { confkit::PrintThrough(t, v); });
            std::string parsed = testsupport::CaptureStdout(
                [&] { confkit::PrintThrough(confkit::ParseTemplate(t), v); });
            EXPECT_EQ(streamed, parsed) << "template " << t;
        }
    }
}

} // namespace
