// Every byte through the shared value check and through a put of each kind
// of caller (record checks, PICS rule, clause and Filter checks): a control
// byte other than tab is refused, named in the message, and the document
// stays as it was; every other byte but a brace or parenthesis is data.
#include "common/pics_check.h"
#include "common/record_check.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using testsupport::DocPtr;
using testsupport::DocText;
using testsupport::MakeDoc;

namespace {

const char kBlock[] = "DefinePicsRule \"R\" {\n     (PicsRule-1.0\n          (\n"
                      "          passurl ( \"http://a/\" )\n         )\n    )\n}\n";

// A put of value, into a fresh document of kBlock; true when it wrote.
using Put = std::function<bool(ConfigDocument *, char *value)>;

const std::vector<std::pair<const char *, Put>> &Puts() {
    static const std::vector<std::pair<const char *, Put>> puts = {
        {"Protect",
         [](ConfigDocument *d, char *v) {
             ProtectRule r{};
             r.Directive = const_cast<char *>("Protect");
             r.Template = const_cast<char *>("/a/*");
             r.UserID = v;
             return HTTPDPutProtectRule(d, &r, "x", 1) == 1;
         }},
        {"PICS rule",
         [](ConfigDocument *d, char *v) {
             PicsFilterRule r{const_cast<char *>("N"), nullptr, v, nullptr, nullptr};
             return HTTPDPutPicsFilterRule(d, &r, nullptr, 1) == 1;
         }},
        {"PICS clause",
         [](ConfigDocument *d, char *v) {
             char *list[] = {nullptr, v, nullptr};
             const std::string before = DocText(d);
             HTTPDPutPicsFilterSubdirective(d, "passurl", list, "R");
             return DocText(d) != before;
         }},
        {"Filter",
         [](ConfigDocument *d, char *v) {
             std::string filter = std::string("Filter (") + v + ")";
             return HTTPDPutFilterSubdirective(d, "R", filter.c_str()) == 1;
         }},
    };
    return puts;
}

TEST(ValueCheck, EveryControlByteButTabIsRefusedEverywhere) {
    for (int b = 1; b < 256; ++b) {
        const char c = static_cast<char>(b);
        // Braces and parentheses are structure, which the checks refuse for
        // reasons of their own.
        if (std::string("{}()").find(c) != std::string::npos) continue;
        const bool refused = (b < 0x20 && c != '\t') || b == 0x7F;
        std::string value = std::string("a") + c + "z";
        const valuecheck::Verdict v = valuecheck::CheckOneLine("Field", value);
        ASSERT_EQ(v.has_value(), refused) << "byte " << b;
        if (refused) {
            EXPECT_EQ(v->field, "Field");
            EXPECT_NE(v->reason.find(valuecheck::NameOf(c)), std::string::npos) << v->reason;
        }
        for (const auto &[kind, put] : Puts()) {
            DocPtr doc(MakeDoc(kBlock));
            EXPECT_EQ(put(doc.get(), value.data()), !refused) << kind << " byte " << b;
            if (refused) {
                EXPECT_EQ(DocText(doc.get()), kBlock) << kind << " byte " << b;
            }
        }
    }
    // The names in the messages, for the bytes that have one.
    EXPECT_EQ(valuecheck::NameOf('\r'), "a carriage return");
    EXPECT_EQ(valuecheck::NameOf('\x1b'), "byte 0x1B");
    EXPECT_EQ(valuecheck::NameOf('\x7f'), "byte 0x7F");
}

} // namespace
