// The page's own sections, in page order, each with what it shows of the
// configuration and the forms it carries.
#ifndef CONFKIT_PAGE_SECTIONS_H
#define CONFKIT_PAGE_SECTIONS_H

#include "section.h"

#include <vector>

namespace page {

// added: the forms a program adds at the end of some of them.
std::vector<Section> PageSections(const AddedForms &added);

} // namespace page

#endif
