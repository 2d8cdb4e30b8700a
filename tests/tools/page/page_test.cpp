// The whole page: its sections in order with their navigation, and what a
// program adds to them.
#include "page.h"

#include "sections.h"

#include "drawn_page.h"

#include <gtest/gtest.h>

namespace {

using pagetest::Count;

page::Part Marker(const std::string &text) {
    return [text](const page::Drawing &) { return "<p>" + text + "</p>\n"; };
}

// Every section, the page's and the program's, has one entry in the
// navigation and one element, in the same order; a form a program adds
// ends its section, and the program's sections follow the page's.
TEST(Page, EverySectionIsListedAndDrawnOnceInPageOrder) {
    pagetest::Drawn d("Port 8080\n");
    page::PageOptions &options = d.options;
    options.forms = {
        {Marker("added-rules")}, {Marker("added-protection")}, {Marker("added-filtering")}};
    options.more = {{"section-mine", "Mine <&>", Marker("my-body"), {Marker("my-form")}}};
    const std::string html = page::RenderAdministrationPage(d.doc, options);
    std::vector<page::Section> sections = page::PageSections(options.forms);
    sections.insert(sections.end(), options.more.begin(), options.more.end());
    std::size_t nav = 0, at = html.find("</nav>");
    for (const page::Section &s : sections) {
        const std::string entry =
            "<li><a href=\"#" + s.id + "\">" + page::HtmlEscape(s.heading) + "</a></li>";
        const std::string open = "<section id=\"" + s.id + "\"";
        EXPECT_EQ(Count(html, entry), 1u) << s.id;
        EXPECT_EQ(Count(html, open), 1u) << s.id;
        EXPECT_GT(html.find(entry), nav) << s.id;
        EXPECT_GT(html.find(open), at) << s.id;
        nav = html.find(entry);
        at = html.find(open);
        const std::string body = html.substr(at, html.find("</section>", at) - at);
        for (const page::Part &form : s.forms) {
            const std::string drawn = form(d.drawing());
            EXPECT_EQ(body.rfind(drawn),
                      body.size() - drawn.size() - std::string("</details>\n").size())
                << s.id;
        }
    }
    EXPECT_LT(nav, html.find("</nav>"));
    EXPECT_NE(html.find("<h2 id=\"section-mine-heading\">Mine &lt;&amp;&gt;</h2>"),
              std::string::npos);
    EXPECT_LT(html.find("my-body"), html.find("my-form"));
    EXPECT_EQ(html.substr(html.size() - 24), "</main>\n</body>\n</html>\n");
}

// A message shows above the sections, escaped; the page without one has
// none.
TEST(Page, AMessageShowsAboveTheSectionsAsText) {
    confkit::Document doc(testsupport::MakeDoc(""));
    page::PageOptions options;
    EXPECT_EQ(page::RenderAdministrationPage(doc, options).find("id=\"message\""),
              std::string::npos);
    options.message = "Saved <b>";
    const std::string html = page::RenderAdministrationPage(doc, options);
    const std::size_t message = html.find("<p id=\"message\" class=\"message\" role=\"status\">"
                                          "Saved &lt;b&gt;</p>\n");
    ASSERT_NE(message, std::string::npos);
    EXPECT_LT(message, html.find("<section"));
}

} // namespace
