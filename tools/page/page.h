// The administration page of the proxy's configuration: a complete HTML page
// built with confkit's Gen exports, printed to standard output through the
// C library's stdout (the stream the exports print to, so that the pieces
// come out in call order).
#ifndef CONFKIT_PAGE_PAGE_H
#define CONFKIT_PAGE_PAGE_H

#include "confkit.hpp"

#include <cstdio>
#include <functional>
#include <string>

namespace page {

struct PageOptions {
    std::string title = "Proxy administration";
    std::string action;           // where the settings form is posted
    std::FILE *aclFile = nullptr; // an access-control list to show, if any
    std::string aclName;          // its name, for the heading
    // More of the page, printed at the end of its body (the administration
    // program's editing forms). It prints to stdout like the rest.
    std::function<void()> extraSections;
};

void PrintAdministrationPage(const confkit::Document &doc, const PageOptions &options);

// Text made safe for HTML element content and attribute values.
std::string HtmlEscape(const std::string &text);

} // namespace page

#endif
