// The words and line forms of a DefinePicsRule body that its readers, its
// writers and the checks of what is written share: the clause a keyword
// selects, the words that open a clause or a value line wherever they stand
// first on a line, the name clause's opening line, and the attributes of a
// serviceinfo clause. Header-only and built on the public header (and the
// header-only text helpers) alone, because the programs compile the checks in
// too.
#ifndef COMMON_PICS_GRAMMAR_H
#define COMMON_PICS_GRAMMAR_H

#include "common/text.h"
#include "confkit.h"

#include <array>
#include <cstring>
#include <string_view>

namespace confkit::pics {

// White space where a PICS reader skips or trims it without naming it.
constexpr const char *kWhiteSpace = " \t\n\v\f\r";

// The kinds of clause that a keyword selects.
enum class ClauseKind { kUrls, kAppliesTo, kServiceInfo, kFilter, kOther };

// The clause a keyword reads: passurl and failurl, applies-to and serviceinfo
// compared ignoring case; the Filter clause only when the keyword is spelled
// "Filter".
inline ClauseKind ClauseKindOf(const char *keyword) {
    if (!keyword) return ClauseKind::kOther;
    if (std::strcmp(keyword, "Filter") == 0) return ClauseKind::kFilter;
    if (ascii::EqualNoCase(keyword, "passurl") || ascii::EqualNoCase(keyword, "failurl"))
        return ClauseKind::kUrls;
    if (ascii::EqualNoCase(keyword, "applies-to")) return ClauseKind::kAppliesTo;
    if (ascii::EqualNoCase(keyword, "serviceinfo")) return ClauseKind::kServiceInfo;
    return ClauseKind::kOther;
}

// The clauses a put of a keyword's values writes: those it reads, but
// serviceinfo only when the keyword is spelled in lower case, and no Filter
// (kOther: the put writes nothing).
inline ClauseKind WrittenClauseOf(const char *keyword) {
    const ClauseKind kind = ClauseKindOf(keyword);
    if (kind == ClauseKind::kFilter) return ClauseKind::kOther;
    if (kind == ClauseKind::kServiceInfo && std::strcmp(keyword, "serviceinfo") != 0)
        return ClauseKind::kOther;
    return kind;
}

// Where the writers put the lines of a block, as the spaces before their text;
// the checks of what is written measure each line's room with the same.
struct RuleIndent {
    int name;  // the rulename and description lines of the name clause
    int times; // the active-days, start-time and end-time lines
};
constexpr RuleIndent kPutIndent{19, 15};     // a block as a put writes it
constexpr RuleIndent kReplaceIndent{20, 20}; // the clauses as a replace rewrites them
constexpr int kClauseIndent = 10;            // a clause's keyword line
constexpr int kUrlIndent = 13;               // a URL of a list on lines of its own
constexpr int kAppliesToIndent = 21;         // an applies-to item
constexpr int kServiceIndent = 22;           // a serviceinfo attribute
constexpr int kFilterIndent = 11;            // a Filter line

// Words that some reader takes, as the first token of any line in a block
// (compared ignoring case), for the start of a clause, a value line or a rule.
// "name" counts only on a line that opens a name clause (OpensNameClause).
constexpr std::array<const char *, 10> kLineWords = {"DefinePicsRule", "osmek-quillon-extensions",
                                                     "active-days",    "start-time",
                                                     "end-time",       "Filter",
                                                     "passurl",        "failurl",
                                                     "serviceinfo",    "applies-to"};

// The name clause opens on a line whose first token is "name" and that holds
// " name " and "(".
inline bool OpensNameClause(const char *text) {
    return TokenMatch(text, "name") == 1 && std::strstr(text, " name ") && std::strchr(text, '(');
}

// The attributes of a serviceinfo clause in the order they are packed and
// written: the keyword of the line, and the text by which a reader recognises
// the line (" name " with its spaces, so that a shortname line is no name line).
struct ServiceAttribute {
    const char *keyword;
    const char *readAs;
};
constexpr std::array<ServiceAttribute, 5> kServiceAttributes = {
    {{"shortname", "shortname"},
     {"name", " name "},
     {"bureau", "bureau"},
     {"ratfile", "ratfile"},
     {"available-with-content", "available-with-content"}}};
enum ServicePart { kShortName, kName, kBureau, kRatFile, kContent };
// The words that stand for a bureau or a ratfile the clause does not give.
constexpr const char *kNoBureau = "OPT1";
constexpr const char *kNoRatFile = "OPT2";

// The five parts of a packed serviceinfo entry, split at its first four
// spaces; the last part keeps any further spaces, parts an entry lacks are
// empty.
inline std::array<std::string_view, 5> UnpackServiceInfo(std::string_view entry) {
    std::array<std::string_view, 5> parts{};
    for (std::size_t i = 0; i < 4; ++i) {
        const std::size_t space = entry.find(' ');
        parts[i] = entry.substr(0, space);
        entry = space == std::string_view::npos ? std::string_view() : entry.substr(space + 1);
    }
    parts[4] = entry;
    return parts;
}

// A reader packs a clause's parts into a text of 1024 bytes, with a space
// between each two and a terminator. Parts longer together than this are
// packed without their bureau and ratfile.
constexpr std::size_t kPackedPartsRoom = 1024 - 5;

inline std::size_t PartsLength(const std::array<std::string_view, 5> &parts) {
    std::size_t length = 0;
    for (std::string_view part : parts)
        length += part.size();
    return length;
}

// Whether a part of an entry is written as a line of its own: a bureau of
// "OPT1" and a ratfile of "OPT2" are not.
inline bool IsWrittenPart(std::size_t part, std::string_view value) {
    if (part == kBureau) return value != kNoBureau;
    if (part == kRatFile) return value != kNoRatFile;
    return true;
}

} // namespace confkit::pics

#endif
