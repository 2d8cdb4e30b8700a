// The editing part of the administration page, printed below the page that
// the page library builds: the rule lists that go with the settings form,
// and the forms that put or delete one Protect entry or PICS rule.
#ifndef ADMIN_EDIT_FORMS_H
#define ADMIN_EDIT_FORMS_H

#include "confkit.hpp"

#include <cstdio>
#include <string>

namespace admin {

// The id of the page's settings form, which the rule lists join.
constexpr const char *kSettingsFormId = "settings";

// action is where the forms are posted (already a plain path, or empty).
void PrintEditForms(std::FILE *out, const confkit::Document &doc, const std::string &action);

} // namespace admin

#endif
