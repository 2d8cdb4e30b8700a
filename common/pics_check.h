// The checks of what goes into a DefinePicsRule block before it is written:
// a rule record, a keyword's clause values, a Filter text. A value is refused
// when the block would not read back the same after a save and a reopen:
// - a brace, a line feed or a byte 0x1A (the common rules);
// - a character that ends the value early where it is read (a tab, CR or
//   double quote in a rule name) or that the reader turns into a space (a
//   tab, CR or parenthesis in a description);
// - a ")" that ends a clause early, and a Filter whose parentheses do not
//   balance;
// - a value line that a reader takes for something else: an applies-to item
//   that begins with a clause word or ")", or holds "applies-to"; a
//   serviceinfo attribute that holds the word of a later-read attribute;
// - a line that a save leaves out (one bare word), and a value too long for
//   its line.
// What the readers only normalise is accepted: a double quote in a quoted
// value is written as an apostrophe, days and times read up to their first
// space, tab or "@", applies-to items are trimmed, an empty description or
// time reads back as spaces.
// Header-only: the programs compile in the same checks, so it uses only the
// public header and header-only code.
#ifndef COMMON_PICS_CHECK_H
#define COMMON_PICS_CHECK_H

#include "common/line_class.h"
#include "common/pics_grammar.h"
#include "common/text.h"
#include "common/value_check.h"
#include "confkit.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <tuple>

namespace valuecheck {

// The two layouts a rule record is written in: the block that a put writes,
// and the name and extension clauses that a replace rewrites, indented
// further.
enum class PicsRuleLayout { kPut, kReplace };

namespace detail {

// The fixed characters of a line that holds keyword and a quoted value.
inline std::size_t QuotedLineFixed(std::size_t indent, std::string_view keyword) {
    return indent + keyword.size() + 3; // a space and two quotes
}

// Refuses the first character of value that is one of chars.
inline Verdict RefuseAnyOf(std::string_view field, std::string_view value, std::string_view chars,
                           const char *because) {
    const std::size_t at = value.find_first_of(chars);
    if (at == std::string_view::npos) return std::nullopt;
    return Refuse(field, "holds " + NameOf(value[at]) + ", " + because);
}

// A value written between quotes inside a clause: one line, no ")".
inline Verdict CheckQuotedInClause(std::string_view field, std::string_view value,
                                   std::size_t fixed) {
    if (Verdict v = CheckOneLine(field, value)) return v;
    if (Verdict v = RefuseAnyOf(field, value, ")", "which ends the clause early")) return v;
    return CheckFits(field, value.size(), fixed);
}

// A line a save leaves out of the file (one bare word) is lost on reopening.
inline Verdict CheckKeptOnSave(std::string_view field, std::size_t indent, std::string_view text) {
    const std::string line = std::string(indent, ' ').append(text).append("\n");
    if (confkit::LineClassify(line.c_str()) != confkit::kLeftOut) return std::nullopt;
    return Refuse(field, "is one bare word, which a save leaves out of the file");
}

} // namespace detail

// A rule name as a header and a rulename line carry it; fixed is the widest
// fixed text of the lines it goes into.
inline Verdict CheckPicsRuleName(std::string_view field, const char *name, std::size_t fixed) {
    if (!name || !*name) return Refuse(field, "is empty; a rule without a name cannot be found");
    const std::string_view n(name);
    if (Verdict v = CheckOneLine(field, n)) return v;
    if (Verdict v = detail::RefuseAnyOf(field, n, "\t\"", "which ends the name in the header"))
        return v;
    if (Verdict v = detail::RefuseAnyOf(field, n, ")", "which ends the name clause early"))
        return v;
    return CheckFits(field, n.size(), fixed);
}

// The fixed text of a header: DefinePicsRule, the quotes and " {".
constexpr std::size_t kPicsHeaderFixed = 19;

// A rule record as a put (or, with kReplace, a replace) writes it. A null
// Description, ActiveDays or time is written empty or not at all, and passes.
inline Verdict CheckPicsRule(const PicsFilterRule &r,
                             PicsRuleLayout layout = PicsRuleLayout::kPut) {
    const confkit::pics::RuleIndent indent =
        layout == PicsRuleLayout::kPut ? confkit::pics::kPutIndent : confkit::pics::kReplaceIndent;
    const std::size_t nameFixed = detail::QuotedLineFixed(indent.name, "rulename");
    if (Verdict v =
            CheckPicsRuleName("RuleName", r.RuleName, std::max(nameFixed, kPicsHeaderFixed)))
        return v;
    if (r.Description) {
        const std::string_view d(r.Description);
        if (Verdict v = CheckOneLine("Description", d)) return v;
        if (Verdict v = detail::RefuseAnyOf("Description", d, "\t()",
                                            "which the description reads back as a space"))
            return v;
        if (Verdict v = CheckFits("Description", d.size(),
                                  detail::QuotedLineFixed(indent.name, "description")))
            return v;
    }
    for (const auto &[field, keyword, value] :
         {std::tuple<const char *, const char *, const char *>("ActiveDays", "active-days",
                                                               r.ActiveDays),
          {"StartTime", "start-time", r.StartTime},
          {"EndTime", "end-time", r.EndTime}})
        if (value)
            if (Verdict v = detail::CheckQuotedInClause(
                    field, value, detail::QuotedLineFixed(indent.times, keyword)))
                return v;
    return std::nullopt;
}

namespace detail {

inline std::string ValueField(const char *keyword, std::size_t index) {
    return std::string(keyword) + " value " + std::to_string(index);
}

// passurl and failurl: one value goes on the keyword's line, between
// " ( \"" and "\" )"; several go between quotes on lines of their own, where
// a ")" would end the list.
inline Verdict CheckUrls(const char *keyword, const char *const *values) {
    const bool oneLine = !values[1];
    const std::size_t fixed = oneLine ? confkit::pics::kClauseIndent + std::strlen(keyword) + 7
                                      : confkit::pics::kUrlIndent + 2;
    for (std::size_t i = 0; values[i]; ++i) {
        const std::string field = ValueField(keyword, i + 1);
        const std::string_view value(values[i]);
        Verdict v = oneLine ? CheckOneLine(field, value) : CheckQuotedInClause(field, value, fixed);
        if (!v) v = CheckFits(field, value.size(), fixed);
        if (v) return v;
    }
    return std::nullopt;
}

// An applies-to item stands alone on its line, unquoted.
inline Verdict CheckAppliesToItem(const std::string &field, const char *text) {
    constexpr std::size_t kIndent = confkit::pics::kAppliesToIndent;
    const std::string_view item(text);
    if (Verdict v = CheckOneLine(field, item)) return v;
    if (item.find("applies-to") != std::string_view::npos)
        return Refuse(field, "holds \"applies-to\", which reads as the opening line of a clause");
    const std::size_t first = item.find_first_not_of(confkit::pics::kWhiteSpace);
    if (first != std::string_view::npos && item[first] == ')')
        return Refuse(field, "begins with \")\", which ends the list");
    for (const char *word : confkit::pics::kLineWords)
        if (TokenMatch(text, word) == 1)
            return Refuse(field, std::string("begins with the word \"") + word +
                                     "\", which reads as a line of its own kind");
    const std::string line = std::string(kIndent, ' ').append(item);
    if (confkit::pics::OpensNameClause(line.c_str()))
        return Refuse(field, "begins with \"name\" and holds \"(\", which opens a name clause");
    if (Verdict v = CheckFits(field, item.size(), kIndent)) return v;
    return CheckKeptOnSave(field, kIndent, item);
}

// A packed serviceinfo entry: each part that is written goes on its own
// line, and a reader gives each attribute the quoted text of the last line
// that holds its word.
inline Verdict CheckServiceInfo(std::size_t index, std::string_view entry) {
    using confkit::pics::kServiceAttributes;
    using confkit::pics::kServiceIndent;
    const auto parts = confkit::pics::UnpackServiceInfo(entry);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (!confkit::pics::IsWrittenPart(i, parts[i])) continue;
        const std::string field =
            "serviceinfo value " + std::to_string(index) + " " + kServiceAttributes[i].keyword;
        if (Verdict v = CheckQuotedInClause(
                field, parts[i], QuotedLineFixed(kServiceIndent, kServiceAttributes[i].keyword)))
            return v;
        const std::string line = std::string(kServiceIndent, ' ') + kServiceAttributes[i].keyword +
                                 " \"" + std::string(parts[i]) + "\"";
        if (confkit::pics::OpensNameClause(line.c_str()))
            return Refuse(field, "holds \"(\", which makes its name line open a name clause");
        for (std::size_t j = 0; j < parts.size(); ++j) {
            const bool readLater = j > i && confkit::pics::IsWrittenPart(j, parts[j]);
            if (j == i || readLater ||
                parts[i].find(kServiceAttributes[j].readAs) == std::string_view::npos)
                continue;
            return Refuse(field, std::string("holds \"") + kServiceAttributes[j].readAs +
                                     "\", which reads as the " + kServiceAttributes[j].keyword);
        }
    }
    const bool fullForm = parts[confkit::pics::kBureau] != confkit::pics::kNoBureau ||
                          parts[confkit::pics::kRatFile] != confkit::pics::kNoRatFile;
    const std::size_t length = confkit::pics::PartsLength(parts);
    if (length > confkit::pics::kPackedPartsRoom && fullForm)
        return Refuse("serviceinfo value " + std::to_string(index),
                      "is " + std::to_string(length) + " characters long; one over " +
                          std::to_string(confkit::pics::kPackedPartsRoom) +
                          " reads back without its bureau and ratfile");
    return std::nullopt;
}

} // namespace detail

// values: the list from its slot 1 on, ended by a null slot. A keyword that
// writes nothing (serviceinfo spelled in another case, an unknown word)
// refuses nothing.
inline Verdict CheckPicsClause(const char *keyword, const char *const *values) {
    if (!keyword || !values || !*values) return std::nullopt;
    switch (confkit::pics::WrittenClauseOf(keyword)) {
    case confkit::pics::ClauseKind::kServiceInfo:
        for (std::size_t i = 0; values[i]; ++i)
            if (Verdict v = detail::CheckServiceInfo(i + 1, values[i])) return v;
        break;
    case confkit::pics::ClauseKind::kUrls:
        return detail::CheckUrls(keyword, values);
    case confkit::pics::ClauseKind::kAppliesTo:
        for (std::size_t i = 0; values[i]; ++i)
            if (Verdict v =
                    detail::CheckAppliesToItem(detail::ValueField("applies-to", i + 1), values[i]))
                return v;
        break;
    default:
        break;
    }
    return std::nullopt;
}

// A Filter text, as HTTPDPutFilterSubdirective writes it: its leading white
// space dropped, the rest on one line of its own.
inline Verdict CheckFilter(const char *text) {
    constexpr std::size_t kIndent = confkit::pics::kFilterIndent;
    if (!text) return Refuse("Filter", "is missing");
    text += std::strspn(text, confkit::pics::kWhiteSpace);
    const std::string_view t(text);
    if (TokenMatch(text, "Filter") != 1)
        return Refuse("Filter", "does not begin with the word Filter, by which its line is found");
    if (Verdict v = CheckOneLine("Filter", t)) return v;
    long depth = 0;
    for (char c : t) {
        depth += c == '(' ? 1 : c == ')' ? -1 : 0;
        if (depth < 0)
            return Refuse("Filter", "holds a \")\" that closes more than it opened, which ends "
                                    "the rule's own clauses");
    }
    if (depth > 0)
        return Refuse("Filter", "holds a \"(\" that is not closed, so the Filter would run on "
                                "into the lines below it");
    if (Verdict v = CheckFits("Filter", t.size(), kIndent)) return v;
    return detail::CheckKeptOnSave("Filter", kIndent, t);
}

} // namespace valuecheck

#endif
