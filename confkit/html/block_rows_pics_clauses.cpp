// Table rows for the clauses of one kind inside every DefinePicsRule block of
// a given name: the URLs of passurl and failurl, the items of applies-to, one
// row per serviceinfo, and the Filter lines printed as they stand, read by
// the clause scanner. The document's lines are only read; values are views
// into them.
#include "html/block_rows.h"

#include "blocks/pics.h"
#include "blocks/pics_clause_scan.h"
#include "internal.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace confkit {
namespace {

void PrintRow(const LineTemplate &t, int32_t &n, std::string_view value) {
    ++n;
    PrintThrough(t, OneValueRow(n, value));
}

// One row of the five attributes; the bureau and the rating file show a
// single space when the clause does not give them.
void PrintServiceInfo(const LineTemplate &t, const ServiceInfo &s, int32_t &n) {
    ++n;
    std::string row = StartBlockRow(n);
    for (std::string_view cell :
         {s.shortName.value_or(""), s.name.value_or(""), s.bureau.value_or(" "),
          s.ratFile.value_or(" "), s.content.value_or("")})
        AppendCell(row, cell);
    row += "</tr>";
    PrintThrough(t, row);
}

// The rows of one clause: a row per URL or applies-to item, one per
// serviceinfo clause that ends inside the block, and the lines of a Filter
// printed whole, counted as one row.
void PrintClause(const LineTemplate &t, pics::ClauseKind kind, const ClauseReading &c, int32_t &n) {
    switch (kind) {
    case pics::ClauseKind::kServiceInfo:
        if (c.ended) PrintServiceInfo(t, c.service, n);
        break;
    case pics::ClauseKind::kFilter:
        ++n;
        for (std::string_view line : c.values)
            PrintThrough(t, line);
        break;
    default:
        for (std::string_view value : c.values)
            PrintRow(t, n, value);
    }
}

void PrintClauseRows(const char *tmpl, const char *ruleName, const char *keyword,
                     ConfigDocument *doc, int32_t &n) {
    if (!ruleName || !keyword || !doc) return;
    LineTemplate t = ParseTemplate(tmpl);
    const pics::ClauseKind kind = pics::ClauseKindOf(keyword);
    // Every block of the name counts, numbered in one sequence. A clause that
    // does not end inside its block is read on after its keyword line.
    for (Line *h = FindPicsRuleFrom(doc->first, ruleName); h;) {
        for (const ClauseReading &c : ReadClauses(h, keyword, AfterUnended::kNextLine))
            PrintClause(t, kind, c, n);
        Line *closing = BlockEnd(h);
        if (!closing) return;
        h = FindPicsRuleFrom(closing->next, ruleName);
    }
}

} // namespace
} // namespace confkit

extern "C" CONFKIT_API int32_t CONFKIT_CALL GenPicsFilterSubTableItems(const char *tmpl,
                                                                       const char *ruleName,
                                                                       const char *keyword,
                                                                       ConfigDocument *doc) {
    int32_t n = 0;
    confkit::NoThrowVoid([&] { confkit::PrintClauseRows(tmpl, ruleName, keyword, doc, n); });
    return n;
}
