// Small helpers of the administration forms: rule lookups, a free delimiter
// character and the comma-separated list builder.
#include "html/output.h"

#include "common/text.h"
#include "html/rule_lookup.h"
#include "internal.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>

namespace confkit {
namespace {

// The first rule whose field `field` equals value ignoring case, or null.
const Line *FindRuleWithField(const RuleList &rules, const char *value, int32_t field) {
    if (!value) return nullptr;
    for (const Line *r = rules.get(); r; r = r->next)
        if (ascii::EqualNoCase(FieldOf(TextOf(r), field), value)) return r;
    return nullptr;
}

// One item of a list group: quoted when it holds a space, with parentheses
// and double quotes turned into spaces.
void AppendListItem(std::string &out, std::string_view item) {
    bool quoted = item.find(' ') != std::string_view::npos;
    if (quoted) out += '"';
    for (char c : item)
        out += (c == '(' || c == ')' || c == '"') ? ' ' : c;
    if (quoted) out += '"';
}

std::string ListGroup(bool bufferHasText, const char *prefix, std::string_view list) {
    std::string group;
    if (bufferHasText) group += ',';
    if (prefix) group += prefix;
    bool grouped = list.find(',') != std::string_view::npos;
    if (grouped) group += '(';
    bool first = true;
    for (std::string_view item : SplitFields(list, ",\r\t\n")) {
        if (!first) group += ',';
        AppendListItem(group, item);
        first = false;
    }
    if (grouped) group += ')';
    return group;
}

} // namespace
} // namespace confkit

using namespace confkit;

extern "C" CONFKIT_API int32_t CONFKIT_CALL SearchForDirective(const char *directive,
                                                               const char *value, int32_t field,
                                                               ConfigDocument *doc) {
    return NoThrow<int32_t>(0, [&] {
        RuleList rules = RulesOf(doc, directive);
        return FindRuleWithField(rules, value, field) ? 1 : 0;
    });
}

extern "C" CONFKIT_API char *CONFKIT_CALL SearchForHandler(const char *directive, const char *value,
                                                           int32_t field, ConfigDocument *doc) {
    return NoThrow<char *>(nullptr, [&]() -> char * {
        RuleList rules = RulesOf(doc, directive);
        const Line *rule = FindRuleWithField(rules, value, field);
        if (!rule) return nullptr;
        // GetField keeps its own copy, valid after the rule list is gone.
        return GetField(rule->text, field < INT32_MAX ? field + 1 : field);
    });
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL FindDelimeter(const char *text) {
    static const char kCandidates[] = "\"'\\/+-*@#$%&~^";
    if (!text) return '|';
    for (const char *c = kCandidates; *c; ++c)
        if (!std::strchr(text, *c)) return *c;
    return '|';
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL AddToBuffer(char *buffer, const char *prefix,
                                                        const char *list) {
    NoThrowVoid([&] {
        if (!buffer || !list || !*list) return;
        std::string group = ListGroup(*buffer != '\0', prefix, list);
        std::memcpy(buffer + std::strlen(buffer), group.c_str(), group.size() + 1);
    });
    return 0;
}
