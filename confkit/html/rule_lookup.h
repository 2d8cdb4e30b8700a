// The rules the HTML generators print, looked up by directive name or ID,
// and the text of a rule after its directive. Private to the library.
#ifndef CONFKIT_HTML_RULE_LOOKUP_H
#define CONFKIT_HTML_RULE_LOOKUP_H

#include "confkit.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace confkit {

// Releases a rule list when it goes out of scope.
struct RuleListFreer {
    void operator()(Line *first) const { LinesFree(first); }
};
using RuleList = std::unique_ptr<Line, RuleListFreer>;

// The rule ID of a directive name; -1 for a null or unknown name.
int32_t RuleIdOf(const char *directive);
// Copies of the rules of a directive (empty for a null document or an
// unknown name).
RuleList RulesOf(ConfigDocument *doc, const char *directive);
// Copies of the rules of any of the names (HTTPDGetMultiRules); an ID list
// ends at its first 0, so a name with ID 0 ends the list there.
RuleList MultiRulesOf(ConfigDocument *doc, const std::vector<int32_t> &ids);
// Rule IDs of a list of names, each followed by the terminator; text after
// the last terminator is ignored.
std::vector<int32_t> RuleIdsOfNameList(const char *names, char terminator);

// The text after the first field (PointToNextField), never null.
std::string_view AfterDirective(const Line *line);

} // namespace confkit

#endif
