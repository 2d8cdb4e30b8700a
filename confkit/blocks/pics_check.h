// The checks of what goes into a DefinePicsRule block before it is written:
// a rule record, a keyword's clause values, a Filter text. What would not
// read back the same (a brace, a line feed inside a value, a parenthesis or
// quote that changes where a clause ends, a value too long for its line) is
// refused. The library's put operations and the programs built on it compile
// in the same checks (header-only; nothing here needs more than the public
// header).
#ifndef CONFKIT_BLOCKS_PICS_CHECK_H
#define CONFKIT_BLOCKS_PICS_CHECK_H

#include "common/value_check.h"
#include "confkit.h"

namespace valuecheck {

namespace detail {
inline Verdict CheckPicsValue(std::string_view field, const char *value) {
    if (!value) return std::nullopt;
    std::string_view text(value);
    if (Verdict v = CheckOneLine(field, text)) return v;
    for (char c : text)
        if (c == '(' || c == ')')
            return Refuse(field, "holds " + NameOf(c) + ", which changes where a clause ends");
    return CheckFits(field, text.size(), 0);
}
} // namespace detail

inline Verdict CheckPicsRule(const PicsFilterRule &r) {
    for (const auto &[name, value] :
         {std::pair<const char *, const char *>("RuleName", r.RuleName),
          {"Description", r.Description}, {"ActiveDays", r.ActiveDays},
          {"StartTime", r.StartTime}, {"EndTime", r.EndTime}})
        if (Verdict v = detail::CheckPicsValue(name, value)) return v;
    return std::nullopt;
}

// values: the list from its slot 1 on, ended by a null slot.
inline Verdict CheckPicsClause(const char *keyword, const char *const *values) {
    if (!keyword || !values) return std::nullopt;
    for (; *values; ++values)
        if (Verdict v = detail::CheckPicsValue(keyword, *values)) return v;
    return std::nullopt;
}

inline Verdict CheckFilter(const char *text) {
    if (!text) return std::nullopt;
    std::string_view t(text);
    if (Verdict v = CheckOneLine("Filter", t)) return v;
    return CheckFits("Filter", t.size(), 11);
}

} // namespace valuecheck

#endif
