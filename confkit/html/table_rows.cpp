// The general table row generators: one row per rule, the row number in the
// first cell and the rule's words in the cells after it, up to a column limit.
#include "html/output.h"

#include "common/text.h"
#include "html/rule_lookup.h"
#include "internal.h"

#include <cstdint>
#include <string>
#include <vector>

namespace confkit {
namespace {

// Words of a row are separated by runs of space, CR, LF, tab and "{".
constexpr std::string_view kCellDelims = " \r\n\t{";
constexpr std::string_view kNewCell = "</td><td>";

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The text a row shows: the whole rule, or what follows its directive name.
std::string_view RowText(const Line *rule, int32_t skipName) {
    return skipName == 1 ? AfterDirective(rule) : TextOf(rule);
}

// A certificate label is written in quotes and may hold spaces: the first
// character of the text closes the first word (and is itself dropped). A
// closed label is a word even when empty, so that the cells after it keep
// their columns.
std::vector<std::string_view> QuotedFirstWords(std::string_view text) {
    std::vector<std::string_view> words;
    if (text.empty()) return words;
    std::string_view rest = text.substr(1);
    std::size_t close = rest.find(text[0]);
    std::string_view label = rest.substr(0, close);
    if (!label.empty() || close != std::string_view::npos) words.push_back(label);
    if (close != std::string_view::npos) {
        for (std::string_view w : SplitFields(rest.substr(close + 1), kCellDelims))
            words.push_back(w);
    }
    return words;
}

// Fills the cells of a row from its words. The first `limit` words get cells
// of their own, later ones share the last cell; a word starting with "#"
// ends the row. With failShift, the third word moves one column right.
void AppendCells(std::string &row, const std::vector<std::string_view> &words, int64_t column,
                 int32_t limit, bool failShift) {
    for (std::string_view word : words) {
        if (!word.empty() && word.front() == '#') break;
        ++column;
        if (failShift && column == 3 && column <= limit) {
            row += kNewCell; // column 3 stays empty
            row += kNewCell;
            column = 4;
        } else {
            row += column <= limit ? kNewCell : std::string_view(" ");
        }
        row += word;
    }
}

std::string StartRow(int32_t n) {
    std::string row = "<tr><td>";
    AppendNumber(row, n);
    return row;
}

void FinishRow(const LineTemplate &tmpl, std::string &row) {
    row += "</td></tr>";
    PrintThrough(tmpl, row);
}

void PrintTableItems(const char *tmpl, const char *directive, int32_t limit, int32_t skipName,
                     ConfigDocument *doc, int32_t &n) {
    RuleList rules = RulesOf(doc, directive);
    if (!rules) return;
    LineTemplate t = ParseTemplate(tmpl);
    bool quotedFirst = ascii::EqualNoCase(directive, "sslservercert");
    bool timeFirst = ascii::EqualNoCase(directive, "cacheclean") ||
                     ascii::EqualNoCase(directive, "cachemaxexpiry");
    for (const Line *r = rules.get(); r; r = r->next) {
        std::string_view text = RowText(r, skipName);
        std::string row = StartRow(n + 1);
        int64_t column = 0;
        // A time given without a URL template leaves the template cell empty.
        if (timeFirst && !text.empty() && IsDigit(text.front())) {
            row += kNewCell;
            column = 1;
        }
        AppendCells(row, quotedFirst ? QuotedFirstWords(text) : SplitFields(text, kCellDelims),
                    column, limit, false);
        FinishRow(t, row);
        ++n;
    }
}

void PrintMultiTableItems(const char *tmpl, const char *names, int32_t limit, int32_t skipName,
                          ConfigDocument *doc, int32_t &n) {
    RuleList rules = MultiRulesOf(doc, RuleIdsOfNameList(names, ' '));
    if (!rules) return;
    LineTemplate t = ParseTemplate(tmpl);
    for (const Line *r = rules.get(); r; r = r->next) {
        std::vector<std::string_view> words = SplitFields(RowText(r, skipName), kCellDelims);
        bool failRow = !words.empty() && ascii::EqualNoCase(words.front(), "FAIL");
        std::string row = StartRow(n + 1);
        AppendCells(row, words, 0, limit, failRow);
        FinishRow(t, row);
        ++n;
    }
}

} // namespace
} // namespace confkit

using namespace confkit;

extern "C" CONFKIT_API int32_t CONFKIT_CALL GenTableItems(const char *tmpl, const char *directive,
                                                          int32_t columns, int32_t skipName,
                                                          ConfigDocument *doc) {
    int32_t n = 0;
    NoThrowVoid([&] {
        if (directive) PrintTableItems(tmpl, directive, columns, skipName, doc, n);
    });
    return n;
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL GenMultiTableItems(const char *tmpl, const char *names,
                                                               int32_t columns, int32_t skipName,
                                                               ConfigDocument *doc) {
    int32_t n = 0;
    NoThrowVoid([&] { PrintMultiTableItems(tmpl, names, columns, skipName, doc, n); });
    return n;
}
