// What the HTML generators share: printing through a caller's line template,
// obtaining rules, and a few text helpers. Private to the library.
#ifndef CONFKIT_HTML_OUTPUT_H
#define CONFKIT_HTML_OUTPUT_H

#include "common/text.h"
#include "confkit.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace confkit {

// Writes bytes to the process's standard output (the C library's stdout, the
// stream the calling program's own printf uses), so the order of calls holds.
void Emit(std::string_view bytes);

// A line template cut at its value slot. Templates are never handed to printf:
// the first "%s" is the slot, "%%" stands for "%", and every other "%" (a
// second "%s" included) stays as it is written.
struct LineTemplate {
    std::string before; // the whole expanded template when it has no slot
    std::string after;
    bool hasSlot = false;
    bool isNull = false; // a null template prints nothing at all
};
LineTemplate ParseTemplate(const char *tmpl);

// Prints a parsed template with value in its slot (nothing for a null value).
void PrintThrough(const LineTemplate &tmpl, const char *value);
void PrintThrough(const LineTemplate &tmpl, std::string_view value);
// The same for a raw template, for one-off prints.
void PrintThrough(const char *tmpl, std::string_view value);

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

// The text of a Line (never runs past its text area).
std::string_view TextOf(const Line *line);
// The text after the first field (PointToNextField), never null.
std::string_view AfterDirective(const Line *line);

// Row building.
void AppendNumber(std::string &out, long long n);

} // namespace confkit

#endif
