// The clauses inside a DefinePicsRule block that are edited through a keyword
// and a list of values (serviceinfo, applies-to, passurl, failurl), and the
// block's Filter clause, read and removed through the clause scanner. A put
// writes only what reads back the same, where the block's readers find it,
// and otherwise changes nothing. No removal takes the block's closing line.
#include "blocks/pics.h"
#include "blocks/pics_clause_scan.h"
#include "common/pics_check.h"
#include "common/pics_grammar.h"
#include "common/text.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace confkit {

namespace {

// The line after which a clause of a keyword the block lacks goes: two lines
// below the header (after the "(" line), or, in a block too short for that,
// directly before the closing line.
Line *ClauseInsertionLine(ConfigDocument *doc, Line *header, const Line *end) {
    if (end && LinesBelow(header, end, 4) < 4) return end->prev;
    Line *third = header->next ? header->next->next : nullptr;
    return third ? third : LastLine(doc);
}

// The line after which a new Filter line goes: three lines above the
// closing line (the extension clause's ")" line), or, in a short block,
// directly before the closing line; at the end without a closing line.
Line *FilterInsertionLine(ConfigDocument *doc, Line *header, const Line *end) {
    if (!end) return LastLine(doc);
    if (LinesBelow(header, end, 4) < 4) return end->prev;
    return end->prev->prev->prev;
}

// ---- Reading ----

// A serviceinfo clause packed as "shortname name bureau ratfile content":
// "OPT1" and "OPT2" stand for a missing bureau and ratfile, "YES" for a
// missing content.
std::string PackServiceInfo(const ServiceInfo &s) {
    std::array<std::string_view, 5> parts = {
        s.shortName.value_or(""), s.name.value_or(""), s.bureau.value_or(pics::kNoBureau),
        s.ratFile.value_or(pics::kNoRatFile), s.content.value_or("YES")};
    if (pics::PartsLength(parts) > pics::kPackedPartsRoom) {
        parts[pics::kBureau] = pics::kNoBureau;
        parts[pics::kRatFile] = pics::kNoRatFile;
    }
    std::string entry(parts[0]);
    for (std::size_t i = 1; i < parts.size(); ++i)
        entry.append(" ").append(parts[i]);
    return entry;
}

// Every value of the keyword's clauses in the block, in file order; only the
// first applies-to clause is read, and a serviceinfo clause that the block
// ends before its ")" gives nothing.
std::vector<std::string> ReadClauseValues(Line *header, const char *keyword) {
    std::vector<std::string> values;
    const pics::ClauseKind kind = pics::ClauseKindOf(keyword);
    if (kind == pics::ClauseKind::kFilter) return values; // a Filter is no list of values
    for (const ClauseReading &c : ReadClauses(header, keyword, AfterUnended::kStop)) {
        if (kind == pics::ClauseKind::kServiceInfo) {
            if (c.ended) values.push_back(PackServiceInfo(c.service));
        } else {
            values.insert(values.end(), c.values.begin(), c.values.end());
        }
        if (kind == pics::ClauseKind::kAppliesTo) break;
    }
    return values;
}

// Hands the values over as new texts in slots 1, 2, ... and ends the list
// with a null slot. When memory runs out, nothing is handed over.
int32_t StoreValues(PicsValueList list, const std::vector<std::string> &values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        char *copy = ascii::HeapCopy(values[i]);
        if (!copy) {
            for (std::size_t j = 1; j <= i; ++j)
                std::free(list[j]);
            list[1] = nullptr;
            return 0;
        }
        list[i + 1] = copy;
    }
    list[values.size() + 1] = nullptr;
    return static_cast<int32_t>(values.size());
}

// ---- Placing and removing ----

bool InRanges(const Line *l, const std::vector<ClauseRange> &ranges) {
    for (const ClauseRange &r : ranges)
        for (const Line *x = r.first;; x = x->next) {
            if (x == l) return true;
            if (x == r.last) break;
        }
    return false;
}

// The line after which new lines go once the ranges are removed: after, or
// the nearest line above it that stays. Readers skip the line right below the
// header, so nothing new goes there: from the header, new lines move below
// the first line under it that stays. nullptr when that line is the closing
// line or there is none: the block has no place where they would be read.
Line *PlaceAfter(Line *header, Line *after, const std::vector<ClauseRange> &removed) {
    while (after != header && InRanges(after, removed))
        after = after->prev;
    if (after != header) return after;
    Line *below = header->next;
    while (below && InRanges(below, removed))
        below = below->next;
    return below && below != BlockEnd(header) ? below : nullptr;
}

void RemoveRanges(ConfigDocument *doc, const std::vector<ClauseRange> &ranges) {
    for (const ClauseRange &r : ranges)
        RemoveRange(doc, r.first, r.last);
}

// Replaces the ranges by the chain, placed after `after` (see PlaceAfter).
// Nothing changes, and the result is false, when the chain has no place.
bool Replace(ConfigDocument *doc, Line *header, Line *after, const std::vector<ClauseRange> &old,
             Chain &chain) {
    Line *place = PlaceAfter(header, after, old);
    if (!chain.empty() && !place) return false;
    RemoveRanges(doc, old);
    if (!chain.empty()) InsertAfter(doc, place, chain.Release());
    return true;
}

// ---- Writing ----

// One serviceinfo clause: a line for each part of the entry, but none for a
// bureau of "OPT1" or a ratfile of "OPT2".
void AddServiceInfoClause(Chain &c, std::string_view entry) {
    const auto parts = pics::UnpackServiceInfo(entry);
    c.Add(Pad(pics::kClauseIndent, "serviceinfo (\n"));
    for (std::size_t i = 0; i < parts.size(); ++i)
        if (pics::IsWrittenPart(i, parts[i]))
            AddQuotedLine(c, pics::kServiceIndent, pics::kServiceAttributes[i].keyword, parts[i]);
    c.Add(Pad(pics::kServiceIndent, ")\n"));
}

// A passurl or failurl clause, with the keyword as the caller spelled it.
void AddUrlClause(Chain &c, const char *keyword, const char *const *values) {
    if (!values[1]) {
        c.Add(Pad(pics::kClauseIndent, keyword) + " ( \"", QuotableValue(values[0]), "\" )\n");
        return;
    }
    c.Add(Pad(pics::kClauseIndent, keyword) + " (\n");
    for (; *values; ++values)
        c.Add(Pad(pics::kUrlIndent, "\""), QuotableValue(*values), "\"\n");
    c.Add(Pad(pics::kUrlIndent, ")\n"));
}

void AddAppliesToClause(Chain &c, const char *const *values) {
    c.Add(Pad(pics::kClauseIndent, "applies-to (\n"));
    for (; *values; ++values)
        c.Add(Pad(pics::kAppliesToIndent, ""), *values, "\n");
    c.Add(Pad(pics::kAppliesToIndent, ")\n"));
}

// The clauses that the list's values (from slot 1) make; none for an empty
// list.
void AddClauses(Chain &c, pics::ClauseKind kind, const char *keyword, PicsValueList list) {
    const char *const *values = list + 1;
    if (!*values) return;
    switch (kind) {
    case pics::ClauseKind::kServiceInfo:
        for (; *values; ++values)
            AddServiceInfoClause(c, *values);
        break;
    case pics::ClauseKind::kUrls:
        AddUrlClause(c, keyword, values);
        break;
    case pics::ClauseKind::kAppliesTo:
        AddAppliesToClause(c, values);
        break;
    default:
        break;
    }
}

// The next block after header's that carries the same name.
Line *NextBlockOfName(Line *header, const char *name) {
    Line *end = BlockEnd(header);
    return end ? FindPicsRuleFrom(end->next, name) : nullptr;
}

// The rule that a get or put of clause values works on, or nullptr when an
// argument is missing or no rule has that name.
Line *ClauseRule(ConfigDocument *doc, const char *keyword, PicsValueList list,
                 const char *ruleName) {
    if (!ruleName || !keyword || !list || !HasLines(doc)) return nullptr;
    return FindPicsRule(doc, ruleName);
}

} // namespace

} // namespace confkit

using namespace confkit;

extern "C" CONFKIT_API int32_t CONFKIT_CALL HTTPDGetPicsFilterSubdirective(ConfigDocument *doc,
                                                                           const char *keyword,
                                                                           PicsValueList list,
                                                                           const char *ruleName) {
    return NoThrow<int32_t>(0, [&]() -> int32_t {
        Line *header = ClauseRule(doc, keyword, list, ruleName);
        return header ? StoreValues(list, ReadClauseValues(header, keyword)) : 0;
    });
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL HTTPDPutPicsFilterSubdirective(ConfigDocument *doc,
                                                                           const char *keyword,
                                                                           PicsValueList list,
                                                                           const char *ruleName) {
    return NoThrow<int32_t>(0, [&]() -> int32_t {
        Line *header = ClauseRule(doc, keyword, list, ruleName);
        if (!header) return 0;
        const pics::ClauseKind written = pics::WrittenClauseOf(keyword);
        if (written == pics::ClauseKind::kOther) {
            // A keyword the writer does not know only loses its clauses, in
            // every block of the name.
            for (; header; header = NextBlockOfName(header, ruleName))
                RemoveRanges(doc, RemovalRanges(header, keyword));
            return 0;
        }
        if (valuecheck::CheckPicsClause(keyword, list + 1)) return 0;
        Chain clauses;
        AddClauses(clauses, written, keyword, list);
        // Every clause of the keyword goes; the new ones take the place of
        // the last of them.
        const std::vector<ClauseRange> old = RemovalRanges(header, keyword);
        Line *after = old.empty() ? ClauseInsertionLine(doc, header, BlockEnd(header))
                                  : old.back().first->prev;
        Replace(doc, header, after, old, clauses);
        return 0;
    });
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL HTTPDPutFilterSubdirective(ConfigDocument *doc,
                                                                       const char *ruleName,
                                                                       const char *filter) {
    return NoThrow<int32_t>(0, [&]() -> int32_t {
        if (!ruleName || !filter) return 0;
        filter += std::strspn(filter, pics::kWhiteSpace);
        if (!HasLines(doc)) return 0;
        Line *header = FindPicsRule(doc, ruleName);
        if (!header || valuecheck::CheckFilter(filter)) return 0;

        Chain line;
        line.Add(Pad(pics::kFilterIndent, ""), filter, "\n");
        std::vector<ClauseRange> old;
        if (auto clause = FindFilterClause(header)) old.push_back(*clause);
        Line *after = old.empty() ? FilterInsertionLine(doc, header, BlockEnd(header))
                                  : old.front().first->prev;
        return Replace(doc, header, after, old, line) ? 1 : 0;
    });
}

extern "C" CONFKIT_API Line *CONFKIT_CALL HTTPDDeleteFilterSubdirective(ConfigDocument *doc,
                                                                        const char *ruleName) {
    return NoThrow<Line *>(nullptr, [&]() -> Line * {
        if (!ruleName || !HasLines(doc)) return nullptr;
        for (Line *header = FindPicsRule(doc, ruleName); header;
             header = NextBlockOfName(header, ruleName))
            if (auto clause = FindFilterClause(header))
                return RemoveRange(doc, clause->first, clause->last);
        return nullptr;
    });
}
