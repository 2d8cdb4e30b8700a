#include "page.h"

#include "sections.h"
#include "text_input.h"

#include <vector>

namespace page {
namespace {

std::string Header(const confkit::Document &doc, const PageOptions &options,
                   const std::vector<Section> &sections) {
    std::string out = "<header class=\"top\">\n<h1>" + HtmlEscape(options.title) +
                      "</h1>\n<p class=\"file\">Configuration file: <code>" +
                      HtmlEscape(doc.Path()) + "</code></p>\n<nav aria-label=\"Sections\">\n<ul>\n";
    for (const Section &s : sections)
        out += "<li><a href=\"#" + s.id + "\">" + HtmlEscape(s.heading) + "</a></li>\n";
    out += "</ul>\n</nav>\n</header>\n<main>\n";
    if (!options.message.empty())
        out += "<p id=\"message\" class=\"message\" role=\"status\">" +
               HtmlEscape(options.message) + "</p>\n";
    return out;
}

// What the page shows of a stream is what could be read of it.
std::string ReadStream(std::FILE *file) {
    return file ? textinput::ReadAll(file).value_or("") : "";
}

// shown: for reading (control bytes as "\xNN"); else for a value that the
// browser sends back as it stands (a CR as its character reference, which
// the parser would otherwise turn into a line feed).
std::string Escape(const std::string &text, bool shown) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            if (shown)
                out += ShownByte(c);
            else if (c == '\r')
                out += "&#13;";
            else
                out += c;
        }
    }
    return out;
}

} // namespace

std::string HtmlEscape(const std::string &text) {
    return Escape(text, true);
}

std::string HiddenInputs(const FormFields &fields) {
    std::string out;
    for (const auto &[name, value] : fields)
        out += "<input type=\"hidden\" name=\"" + Escape(name, false) + "\" value=\"" +
               Escape(value, false) + "\">\n";
    return out;
}

ControlByteLock LockForControlBytes(const std::string &id) {
    const std::string note = id + "-note";
    return {" disabled aria-describedby=\"" + note + "\"",
            " <span class=\"note\" id=\"" + note +
                "\">Holds a control byte, shown as \\xNN, which this form cannot keep; confctl "
                "edits it.</span>"};
}

std::string PageStart(const std::string &title) {
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
           HtmlEscape(title) +
           "</title>\n<link rel=\"stylesheet\" href=\"admin.css\">\n"
           "<script src=\"admin.js\" defer></script>\n</head>\n<body>\n";
}

std::string PageEnd() {
    return "</body>\n</html>\n";
}

std::string ErrorPage(const std::string &title, const std::string &message,
                      const std::string &back) {
    return PageStart(title) + "<main>\n<h1>" + HtmlEscape(title) +
           "</h1>\n<p id=\"error\" class=\"message error\" role=\"alert\">" + HtmlEscape(message) +
           "</p>\n<p><a href=\"" + HtmlEscape(back.empty() ? "./" : back) +
           "\">Back to the page</a></p>\n</main>\n" + PageEnd();
}

std::string RenderAdministrationPage(const confkit::Document &doc, const PageOptions &options) {
    const std::string aclText = ReadStream(options.aclFile);
    const ShownDocument shown(doc, aclText);
    const Drawing drawing{doc, shown, options, aclText};
    std::vector<Section> sections = PageSections(options.forms);
    sections.insert(sections.end(), options.more.begin(), options.more.end());
    std::string out = PageStart(options.title) + Header(doc, options, sections);
    for (const Section &s : sections)
        out += SectionHtml(s, drawing);
    return out + "</main>\n" + PageEnd();
}

void PrintAdministrationPage(const confkit::Document &doc, const PageOptions &options) {
    const std::string page = RenderAdministrationPage(doc, options);
    std::fwrite(page.data(), 1, page.size(), stdout);
    std::fflush(stdout);
}

} // namespace page
