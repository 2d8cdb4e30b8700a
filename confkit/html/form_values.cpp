// Generators of single form values: option lists, text field values and
// check-box states taken from the rules of one directive.
#include "html/output.h"

#include "common/text.h"
#include "html/rule_lookup.h"
#include "internal.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <string>

namespace confkit {
namespace {

// Numeric ranges above this size are refused like a buffer that cannot be had.
constexpr int64_t kMaxOptionRange = 100000;
constexpr const char *kNoOptions = "<OPTION>0";

void AppendOption(std::string &out, bool selected, std::string_view value) {
    out += selected ? "<OPTION SELECTED>" : "<OPTION>";
    out += value;
}

std::string FieldCopy(const Line *rule, int n) {
    return std::string(FieldOf(TextOf(rule), n));
}

// A copy with every CR and LF turned into a space.
std::string WithoutLineBreaks(std::string_view value) {
    std::string s(value);
    ConvertChars(s.data(), "\r\n", ' ');
    return s;
}

int64_t RangeSize(int64_t low, int64_t high) {
    return high - low + 1;
}

void PrintNumericOptions(const char *tmpl, int32_t low, int32_t high, int32_t selected) {
    // The range is counted in 64 bits: high - low overflows 32.
    if (high == 0 || high < low || RangeSize(low, high) > kMaxOptionRange) {
        PrintThrough(tmpl, kNoOptions);
        return;
    }
    std::string text;
    try {
        for (int64_t i = low; i <= high; ++i)
            AppendOption(text, i == selected, std::to_string(i));
    } catch (const std::bad_alloc &) {
        PrintThrough(tmpl, kNoOptions);
        return;
    }
    PrintThrough(tmpl, text);
}

void PrintOptionList(const char *tmpl, const char *directive, const char *options,
                     const char *defaultValue, ConfigDocument *doc) {
    RuleList rules = RulesOf(doc, directive);
    bool hasCurrent = rules || defaultValue;
    std::string current = rules ? FieldCopy(rules.get(), 2) : (defaultValue ? defaultValue : "");
    if (!options) {
        PrintThrough(tmpl, kNoOptions);
        return;
    }
    LineTemplate t;
    std::string items;
    try {
        t = ParseTemplate(tmpl);
        for (std::string_view item : SplitFields(options, ","))
            AppendOption(items, hasCurrent && ascii::EqualNoCase(item, current), item);
    } catch (const std::bad_alloc &) {
        PrintThrough(tmpl, kNoOptions);
        return;
    }
    // Printed in three steps; a template without a slot shows no options.
    Emit(t.before);
    if (!t.hasSlot) return;
    Emit(items);
    Emit(t.after);
}

// The text of the first rule from field n on: n - 1 steps of
// PointToNextField, never past the end of the text.
std::string_view FromField(const Line *rule, int32_t n) {
    const char *p = rule->text;
    for (int32_t i = 1; i < n && *p; ++i)
        p = PointToNextField(p);
    return p;
}

void PrintTextField(const char *tmpl, const char *directive, int32_t field, int32_t restOfLine,
                    const char *defaultValue, ConfigDocument *doc) {
    RuleList rules = RulesOf(doc, directive);
    if (!rules) {
        PrintThrough(tmpl, defaultValue ? defaultValue : "");
        return;
    }
    std::string_view value =
        restOfLine == 1 ? FromField(rules.get(), field) : FieldOf(TextOf(rules.get()), field);
    PrintThrough(tmpl, WithoutLineBreaks(value));
}

// Does the rule's field `field` begin with prefix, and (when wanted is not
// empty) its field 2 equal wanted? Both ignoring case.
bool RuleFitsPattern(const Line *rule, int32_t field, std::string_view prefix,
                     std::string_view wanted) {
    std::string_view text = TextOf(rule);
    if (!ascii::StartsWithNoCase(FieldOf(text, field), prefix)) return false;
    return wanted.empty() || ascii::EqualNoCase(FieldOf(text, 2), wanted);
}

void PrintCheckedSetting(const char *tmpl, const char *pattern, const char *prefix,
                         int32_t checkedWhenAbsent, int32_t field, const char *checkedText,
                         ConfigDocument *doc) {
    std::string_view patternText = pattern ? pattern : "";
    std::string directive(FieldOf(patternText, 1));
    std::string_view wanted = FieldOf(patternText, 2);
    RuleList rules = RulesOf(doc, directive.c_str());
    bool found = false;
    for (const Line *r = rules.get(); r && !found; r = r->next)
        found = RuleFitsPattern(r, field, prefix ? prefix : "", wanted);
    bool checked = found || (!rules && checkedWhenAbsent == 1);
    PrintThrough(ParseTemplate(tmpl), checked ? checkedText : "");
}

bool IsOneOf(std::string_view value, std::initializer_list<std::string_view> words) {
    for (std::string_view w : words)
        if (ascii::EqualNoCase(value, w)) return true;
    return false;
}

void PrintOnOff(const char *tmpl, const char *directive, int32_t sense, int32_t checkedWhenAbsent,
                ConfigDocument *doc) {
    RuleList rules = RulesOf(doc, directive);
    bool checked;
    if (!rules) {
        checked = checkedWhenAbsent != 0;
    } else {
        std::string_view value = FieldOf(TextOf(rules.get()), 2);
        checked = sense != 0 ? IsOneOf(value, {"ON", "YES", "OK", "ENABLE"})
                             : IsOneOf(value, {"OFF", "NO", "NONE", "DISABLE"});
    }
    PrintThrough(tmpl, checked ? "CHECKED" : "");
}

void PrintCacheTimeout(const char *tmpl, const char *directive, const char *valuePrefix,
                       ConfigDocument *doc) {
    std::string value;
    if (directive && valuePrefix) {
        RuleList rules = RulesOf(doc, directive);
        for (const Line *r = rules.get(); r; r = r->next) {
            if (ascii::StartsWithNoCase(AfterDirective(r), valuePrefix)) {
                value = FieldCopy(r, 3);
                break;
            }
        }
    }
    PrintThrough(tmpl, value);
}

// Prints the value that build makes through the template, or "" when
// memory runs out while it is made.
template <class Build> void PrintBuiltValue(const char *tmpl, Build build) {
    std::string value;
    try {
        build(value);
    } catch (const std::bad_alloc &) {
        value.clear();
    }
    PrintThrough(tmpl, value);
}

void PrintSelectListItems(const char *tmpl, const char *directive, int32_t lastFirst,
                          ConfigDocument *doc) {
    PrintBuiltValue(tmpl, [&](std::string &items) {
        RuleList rules = RulesOf(doc, directive);
        const Line *start = rules.get();
        if (start && lastFirst == 1)
            while (start->next)
                start = start->next;
        for (const Line *r = start; r; r = lastFirst == 1 ? r->prev : r->next)
            AppendOption(items, r == start, WithoutLineBreaks(FieldOf(TextOf(r), 2)));
    });
}

void PrintMultiDirectiveText(const char *tmpl, const char *directive, int32_t field,
                             ConfigDocument *doc) {
    PrintBuiltValue(tmpl, [&](std::string &value) {
        RuleList rules = RulesOf(doc, directive);
        if (!rules) return;
        std::string_view f = FieldOf(TextOf(rules.get()), field);
        if (f.find_first_of("/\\") == std::string_view::npos) value = "/icons/";
        value += f;
    });
}

} // namespace
} // namespace confkit

using namespace confkit;

namespace {
// Each generator of a form value returns 0, whatever it printed.
template <class Print> int32_t Printed(Print &&print) noexcept {
    NoThrowVoid(print);
    return 0;
}
} // namespace

extern "C" CONFKIT_API int32_t CONFKIT_CALL GenOptionString(const char *tmpl, int32_t low,
                                                            int32_t high, int32_t selected) {
    return Printed([&] { PrintNumericOptions(tmpl, low, high, selected); });
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL GenOptionList(const char *tmpl, const char *directive,
                                                          const char *options,
                                                          const char *defaultValue,
                                                          ConfigDocument *doc) {
    return Printed([&] { PrintOptionList(tmpl, directive, options, defaultValue, doc); });
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL GenTextField(const char *tmpl, const char *directive,
                                                         int32_t field, int32_t restOfLine,
                                                         const char *defaultValue,
                                                         ConfigDocument *doc) {
    return Printed([&] { PrintTextField(tmpl, directive, field, restOfLine, defaultValue, doc); });
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL GenCheckedSetting(
    const char *tmpl, const char *pattern, const char *prefix, int32_t checkedWhenAbsent,
    int32_t field, const char *checkedText, ConfigDocument *doc) {
    return Printed([&] {
        PrintCheckedSetting(tmpl, pattern, prefix, checkedWhenAbsent, field, checkedText, doc);
    });
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL GenCheckedSettingOnOff(const char *tmpl,
                                                                   const char *directive,
                                                                   int32_t sense,
                                                                   int32_t checkedWhenAbsent,
                                                                   ConfigDocument *doc) {
    return Printed([&] { PrintOnOff(tmpl, directive, sense, checkedWhenAbsent, doc); });
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL GenCacheTimeoutSetting(const char *tmpl,
                                                                   const char *directive,
                                                                   const char *valuePrefix,
                                                                   ConfigDocument *doc) {
    return Printed([&] { PrintCacheTimeout(tmpl, directive, valuePrefix, doc); });
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL GenSelectListItems(const char *tmpl,
                                                               const char *directive,
                                                               int32_t lastFirst,
                                                               ConfigDocument *doc) {
    return Printed([&] { PrintSelectListItems(tmpl, directive, lastFirst, doc); });
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL GenMultiDirectiveText(const char *tmpl,
                                                                  const char *directive,
                                                                  int32_t field,
                                                                  ConfigDocument *doc) {
    return Printed([&] { PrintMultiDirectiveText(tmpl, directive, field, doc); });
}
