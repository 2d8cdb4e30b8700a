// Checks on the values that a form carries into the configuration file, and
// the text operations that put them into rules.
#ifndef ADMIN_VALUES_H
#define ADMIN_VALUES_H

#include <string>

namespace admin {

// The value without leading and trailing spaces and tabs.
std::string Trim(const std::string &value);

// Every value is refused (400) when it holds a character that would let it
// become markup: the page prints configuration values as they stand, so "<",
// ">" and the double quote never go into the file from a form. label names
// the field in the message.

// A value that becomes one word of a rule: no white space, no control
// character, and no "#" (which would start a comment), "{" or "}" (which
// would change how the line is read).
std::string Word(const std::string &label, const std::string &value);

// A value that becomes the rest of a rule's line: no control character and
// no "{" or "}".
std::string Text(const std::string &label, const std::string &value);

// A value that is written between double quotes inside a PICS rule: no
// control character, no brace and no parenthesis (any of them would end the
// quoted text, the clause or the block early).
std::string Quotable(const std::string &label, const std::string &value);

// A whole rule line as a form gives it (without its line end): no control
// character but tab, no "<" or ">", and short enough for one line of the
// document.
void CheckRuleLine(const std::string &label, const std::string &line);

// The text of a rule with its field n (n >= 2, fields separated by spaces and
// tabs) replaced by value, or with everything from field n to the line end
// replaced when restOfLine is set. The rule's own spacing, the fields before
// n and the line end stay. A rule with fewer fields gets the value appended
// after one space.
std::string WithField(const std::string &rule, int n, const std::string &value, bool restOfLine);


} // namespace admin

#endif
