#include "section.h"

#include "page.h"

namespace page {

std::string SectionHtml(const Section &s, const Drawing &drawing) {
    std::string body = s.body ? s.body(drawing) : std::string();
    for (const Part &form : s.forms)
        body += form(drawing);
    return "<section id=\"" + s.id + "\" aria-labelledby=\"" + s.id +
           "-heading\">\n<details open>\n<summary><h2 id=\"" + s.id + "-heading\">" +
           HtmlEscape(s.heading) + "</h2></summary>\n" + body + "</details>\n</section>\n";
}

} // namespace page
