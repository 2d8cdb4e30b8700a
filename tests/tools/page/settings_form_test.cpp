// The settings form as its declaration draws it.
#include "settings_form.h"

#include "drawn_page.h"

#include <gtest/gtest.h>

namespace {

using page::FieldKind;
using page::FormField;
using pagetest::Count;
using pagetest::Drawn;

const char *const kValues = "Port 8080\nHostname proxy.example.com\nInputTimeout 2 minutes\n"
                            "Caching ON\nProxyPersistence OFF\nCacheAlgorithm blend\n"
                            "MaxActiveThreads 55\nEnable PUT\nWelcome a.html\nPass /a/* /b/*\n"
                            "CacheDefaultExpiry http:* 3 days\nAddBlankIcon b.gif x\n";

// Every field that comes back is drawn with its name (a check box per
// method; the text areas among the rule lists, joined to the form), and its
// label; a list only shown is drawn disabled, code sends nothing.
TEST(SettingsForm, EveryDeclaredFieldIsDrawnWithItsNameAndLabel) {
    for (const char *text : {"", kValues}) {
        const Drawn d(text);
        const std::string form = page::SettingsFormHtml(d.drawing());
        const std::string lists = page::RuleListsHtml(d.drawing());
        for (const FormField &f : page::SettingsForm().fields) {
            const bool list = f.kind == FieldKind::Rules;
            const std::string name = "name=\"" + f.name + "\"";
            const std::size_t drawn = f.kind == FieldKind::ShownCode ? 0
                                      : f.kind == FieldKind::Methods ? f.options.size()
                                                                     : 1;
            EXPECT_EQ(Count(list ? lists : form, name), drawn) << f.name;
            EXPECT_EQ(Count(list ? form : lists, name), 0u) << f.name;
            EXPECT_NE((list ? lists : form).find(page::HtmlEscape(f.label)), std::string::npos)
                << f.name;
            if (list) {
                EXPECT_NE(lists.find(name + " form=\"settings\""), std::string::npos);
            }
            if (f.kind == FieldKind::ShownList) {
                EXPECT_NE(form.find(name + " size=\"4\" disabled>"), std::string::npos);
            }
            EXPECT_EQ(page::IsSent(f), f.kind != FieldKind::ShownList && drawn > 0) << f.name;
        }
        EXPECT_NE(lists.find("name=\"op\" value=\"settings\" form=\"settings\""),
                  std::string::npos);
        EXPECT_EQ(form.find("name=\"op\""), std::string::npos); // the rule lists name it
    }
}

// Without a rule, each field shows its declared default, so that the form
// sent back unchanged adds none.
TEST(SettingsForm, AFileWithoutRulesShowsEveryDefault) {
    const Drawn d("");
    const std::string form = page::SettingsFormHtml(d.drawing());
    for (const FormField &f : page::SettingsForm().fields) {
        std::string shown;
        switch (f.kind) {
        case FieldKind::Word:
        case FieldKind::Text:
        case FieldKind::Number:
        case FieldKind::Expiry:
            shown = "name=\"" + f.name + "\" value=\"" + f.byDefault + "\" size=\"" +
                    std::to_string(f.size) + "\">";
            break;
        case FieldKind::Switch:
            shown =
                "name=\"" + f.name + "\" value=\"on\" " + (f.onWhenAbsent ? "CHECKED" : "") + ">";
            break;
        case FieldKind::Choice:
        case FieldKind::Numbers: {
            const std::size_t at = form.find("name=\"" + f.name + "\"");
            ASSERT_NE(at, std::string::npos);
            EXPECT_EQ(form.find("<OPTION SELECTED>", at),
                      form.find("<OPTION SELECTED>" + f.byDefault + "<", at))
                << f.name;
            continue;
        }
        case FieldKind::Methods:
            for (const page::Option &m : f.options)
                EXPECT_NE(form.find("value=\"" + m.value + "\" >" + m.label), std::string::npos);
            continue;
        default:
            continue;
        }
        EXPECT_NE(form.find(shown), std::string::npos) << shown;
    }
}

// A control byte in a value locks that field alone: a browser could not
// send it back as the file holds it.
TEST(SettingsForm, AControlByteLocksOnlyItsOwnField) {
    const struct {
        const char *text;
        const char *locked; // the id of the locked control
    } cases[] = {
        {"Port 80\x01\n", "f-Port"},
        {"Hostname a\x02z\n", "f-Hostname"},
        {"InputTimeout 2\x03 minutes\n", "f-InputTimeout"},
        {"CacheDefaultExpiry http:* 3\x04 days\n", "f-CacheDefaultExpiry-http"},
        {"Pass /a\x05 /b\n", "rules-Pass"},
        {"NoCaching /x\x06\n", "rules-NoCaching"},
    };
    for (const auto &c : cases) {
        const Drawn d(c.text);
        const std::string page =
            page::SettingsFormHtml(d.drawing()) + page::RuleListsHtml(d.drawing());
        EXPECT_EQ(Count(page, " disabled aria-describedby="), 1u) << c.locked;
        EXPECT_NE(page.find(std::string(" disabled aria-describedby=\"") + c.locked + "-note\""),
                  std::string::npos)
            << c.locked;
    }
}

} // namespace
