// A section of the page: its id, its heading, the body that shows the
// configuration and the forms drawn after it. The page draws its sections in
// order, each with its entry in the page's navigation.
#ifndef CONFKIT_PAGE_SECTION_H
#define CONFKIT_PAGE_SECTION_H

#include "confkit.hpp"
#include "shown_document.h"

#include <functional>
#include <string>
#include <vector>

namespace page {

struct PageOptions;

// What the parts of a page are drawn from.
struct Drawing {
    const confkit::Document &doc; // as the file holds it
    const ShownDocument &shown;   // the copy the generators print from
    const PageOptions &options;   // where forms are posted, their hidden fields
    const std::string &aclText;   // the access-control list shown, if any
};

// A piece of a section: HTML.
using Part = std::function<std::string(const Drawing &)>;

struct Section {
    std::string id;
    std::string heading; // plain text
    Part body;
    std::vector<Part> forms; // after the body, in order
};

// The forms that a program adds at the end of some of the page's sections.
struct AddedForms {
    std::vector<Part> rules, protection, filtering;
};

// The section as the page shows it: a heading that opens and closes it.
std::string SectionHtml(const Section &section, const Drawing &drawing);

} // namespace page

#endif
