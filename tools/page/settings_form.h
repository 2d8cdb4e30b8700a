// The server-settings form: one value per directive, check boxes for on/off
// directives and request methods, and the text areas (drawn in the Rules
// section, joined to the form) that hold the whole list of rules of a
// directive. Its fields show what the file holds, or their default when it
// holds no rule, so that the form sent back unchanged changes nothing.
#ifndef CONFKIT_PAGE_SETTINGS_FORM_H
#define CONFKIT_PAGE_SETTINGS_FORM_H

#include "form_field.h"
#include "section.h"

#include <string>

namespace page {

// The prefix of the names of the text areas, one per directive ("rules.Pass").
constexpr const char *kRulesFieldPrefix = "rules.";

const Form &SettingsForm();

// The form as a table of labelled fields: the Server settings section's body.
std::string SettingsFormHtml(const Drawing &drawing);

// The text areas of the form's rule lists, with the form's operation and a
// button of their own: the program that applies the form adds them to the
// Rules section.
std::string RuleListsHtml(const Drawing &drawing);

} // namespace page

#endif
