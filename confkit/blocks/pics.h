// DefinePicsRule blocks: recognising a rule header, reading the rule name it
// carries (common/pics_rule_name.h) and finding a block by that name. Shared by the rule and clause
// operations and by the block-table generators.
#ifndef CONFKIT_BLOCKS_PICS_H
#define CONFKIT_BLOCKS_PICS_H

#include "common/pics_rule_name.h"
#include "internal.h"

#include <cstring>
#include <string>
#include <string_view>

namespace confkit {

// A line whose first token is DefinePicsRule, ignoring case. A header that
// is commented out ("#DefinePicsRule ...") is not one.
bool IsPicsRuleHeader(const char *text);

// The first rule header, from `from` on, whose rule name equals name byte
// for byte; nullptr when none does or name is null.
Line *FindPicsRuleFrom(Line *from, const char *name);

// The first rule header of the document that names the rule, or nullptr.
Line *FindPicsRule(const ConfigDocument *doc, const char *name);

// A value as it goes between the double quotes of a written line: a double
// quote inside it becomes an apostrophe. Values that would not stay on their
// line are refused before anything is written (common/pics_check.h).
std::string QuotableValue(std::string_view value);

// A null text, written as an empty one.
inline std::string_view OrEmpty(const char *text) {
    return text ? text : "";
}

// `spaces` spaces, then text.
std::string Pad(int spaces, std::string_view text);

// Appends the line: `spaces` spaces, the keyword, a space and the value
// between double quotes.
void AddQuotedLine(Chain &c, int spaces, std::string_view keyword, std::string_view value);

// The number of lines from header down to line (1 for the line right after
// the header), counting no further than limit; limit when line is not found
// within it.
int LinesBelow(const Line *header, const Line *line, int limit);

inline bool Holds(const Line *line, const char *what) {
    return std::strstr(line->text, what) != nullptr;
}

} // namespace confkit

#endif
