// Checks on the values that a form carries into the configuration file, and
// the text operations that put them into rules.
#ifndef ADMIN_VALUES_H
#define ADMIN_VALUES_H

#include "common/value_check.h"

#include <optional>
#include <string>

namespace admin {

// The value without leading and trailing spaces and tabs.
std::string Trim(const std::string &value);

// Values are refused (400) by the shared check (common/value_check.h) when
// they would change how the file is read (a brace, a line feed), hold a
// control byte other than tab or do not fit their line, and by the rules of
// their kind below; the message names the field and the character.
// Characters that only need escaping on a page ("<", ">", "&", quotes
// outside a quoted value) are ordinary data. label names the field in the
// message.

// A value that becomes one word of a rule: no white space and no "#"
// (which would start a comment).
std::string Word(const std::string &label, const std::string &value);

// A value that becomes the rest of a rule's line: no tab either.
std::string Text(const std::string &label, const std::string &value);

// A value that is written between double quotes inside a PICS rule: no tab
// and no double quote (which would end the quoted text).
// Parentheses are refused by the check of the whole PICS record.
std::string Quotable(const std::string &label, const std::string &value);

// A whole rule line as a form gives it (without its line end): what the
// shared check asks of a rule line.
void RequireRuleLine(const std::string &label, const std::string &line);

// Refuses (400) what the shared check refused.
void Check(const std::optional<valuecheck::Refusal> &verdict);

// The text of a rule with its field n (n >= 2, fields separated by spaces and
// tabs) replaced by value, or with everything from field n to the line end
// replaced when restOfLine is set. The rule's own spacing, the fields before
// n and the line end stay. A rule with fewer fields gets the value appended
// after one space.
std::string WithField(const std::string &rule, int n, const std::string &value, bool restOfLine);

} // namespace admin

#endif
