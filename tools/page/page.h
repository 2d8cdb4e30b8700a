// The administration page of the proxy's configuration: a complete HTML page
// whose configuration-dependent pieces come from confkit's Gen exports. The
// generators print values as the file holds them; the page shows them
// through a ShownDocument, so that no value becomes markup. The page is its
// sections (sections.h) in order, after a navigation that lists them; what
// makes a page of this site (its start and end, escaping, hidden fields) is
// here too.
#ifndef CONFKIT_PAGE_PAGE_H
#define CONFKIT_PAGE_PAGE_H

#include "confkit.hpp"
#include "section.h"
#include "shown_document.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace page {

// Hidden fields that every form of the page carries (name, value).
using FormFields = std::vector<std::pair<std::string, std::string>>;

struct PageOptions {
    std::string title = "Proxy administration";
    std::string action;           // where the forms are posted
    std::FILE *aclFile = nullptr; // an access-control list to show, if any
    std::string aclName;          // its name, for the caption
    FormFields formFields;
    std::string message;       // shown above the sections (plain text)
    AddedForms forms;          // the program's editing forms, in the page's sections
    std::vector<Section> more; // sections of the program's own, after the page's
};

std::string RenderAdministrationPage(const confkit::Document &doc, const PageOptions &options);
void PrintAdministrationPage(const confkit::Document &doc, const PageOptions &options);

// The start of a page of this site up to the opening of <main>, and its end.
std::string PageStart(const std::string &title);
std::string PageEnd();

// A page that says what went wrong, with a way back to the page.
std::string ErrorPage(const std::string &title, const std::string &message,
                      const std::string &back);

// The hidden inputs of fields, whose values the browser sends back byte for
// byte.
std::string HiddenInputs(const FormFields &fields);

// Text made safe for HTML element content and attribute values, for
// reading: control bytes but tab and line feed show as "\xNN".
std::string HtmlEscape(const std::string &text);

// A form control whose current value holds a control byte cannot hand that
// value back as the file holds it: it is shown disabled (a browser does not
// send it, so the save leaves the value as it is), with a note after it.
struct ControlByteLock {
    std::string attributes; // for the control's start tag
    std::string note;       // HTML, to follow the control
};
// The lock of a control; its note's id is id + "-note".
ControlByteLock LockForControlBytes(const std::string &id);

} // namespace page

#endif
