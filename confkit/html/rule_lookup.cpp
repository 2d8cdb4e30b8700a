// The rule lookups of the HTML generators, over the rule exports.
#include "html/rule_lookup.h"

#include <cstring>
#include <string>

namespace confkit {

int32_t RuleIdOf(const char *directive) {
    return directive ? HTTPDRuleToID(directive) : -1;
}

RuleList RulesOf(ConfigDocument *doc, const char *directive) {
    if (!doc) return RuleList();
    int32_t id = RuleIdOf(directive);
    if (id < 0) return RuleList();
    return RuleList(HTTPDGetRules(doc, id));
}

RuleList MultiRulesOf(ConfigDocument *doc, const std::vector<int32_t> &ids) {
    if (!doc) return RuleList();
    std::vector<int32_t> ended(ids);
    ended.push_back(0);
    return RuleList(HTTPDGetMultiRules(doc, ended.data()));
}

std::vector<int32_t> RuleIdsOfNameList(const char *names, char terminator) {
    std::vector<int32_t> ids;
    if (!names) return ids;
    std::string name;
    for (const char *p = names; *p; ++p) {
        if (*p != terminator) {
            name.push_back(*p);
            continue;
        }
        ids.push_back(HTTPDRuleToID(name.c_str()));
        name.clear();
    }
    return ids;
}

std::string_view AfterDirective(const Line *line) {
    if (!line || !std::memchr(line->text, '\0', sizeof line->text)) return {};
    const char *rest = PointToNextField(line->text);
    return rest ? std::string_view(rest) : std::string_view();
}

} // namespace confkit
