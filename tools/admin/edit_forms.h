// The editing part of the administration page, printed at the end of the
// sections that the page library builds: the rule lists that go with the
// settings form, and the forms that put or delete one Protect entry or PICS
// rule.
#ifndef ADMIN_EDIT_FORMS_H
#define ADMIN_EDIT_FORMS_H

#include "page.h"

#include <string>

namespace admin {

// The id of the page's settings form, which the rule lists join.
constexpr const char *kSettingsFormId = "settings";

// The forms of one section of the page (empty for a section without any).
// action is where they are posted (already a plain path, or empty); fields
// are the hidden fields every form carries.
std::string EditForms(const std::string &section, const confkit::Document &doc,
                      const std::string &action, const page::FormFields &fields);

} // namespace admin

#endif
