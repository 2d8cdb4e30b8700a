// Table rows for the clauses of one kind inside every DefinePicsRule block of
// a given name: the URLs of passurl and failurl, the items of applies-to, one
// row per serviceinfo, and the Filter lines printed as they stand. The
// document's lines are only read; values are views into them.
#include "html/block_rows.h"

#include "blocks/pics.h"
#include "internal.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace confkit {
namespace {

constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";
constexpr std::size_t npos = std::string_view::npos;

enum class ClauseKind { kUrls, kAppliesTo, kServiceInfo, kFilter, kOther };

ClauseKind KindOf(const char *keyword) {
    // Only "Filter" spelled this way selects the Filter lines.
    if (std::strcmp(keyword, "Filter") == 0) return ClauseKind::kFilter;
    if (ascii::EqualNoCase(keyword, "passurl") || ascii::EqualNoCase(keyword, "failurl"))
        return ClauseKind::kUrls;
    if (ascii::EqualNoCase(keyword, "applies-to")) return ClauseKind::kAppliesTo;
    if (ascii::EqualNoCase(keyword, "serviceinfo")) return ClauseKind::kServiceInfo;
    return ClauseKind::kOther;
}

// The clause readers below start at the keyword line and read no further
// than the line before the block's closing line. Each returns the clause's
// last line, or nullptr when the clause does not end inside the block.

void PrintRow(const LineTemplate &t, int32_t &n, std::string_view value) {
    ++n;
    PrintThrough(t, OneValueRow(n, value));
}

// Each pair of double quotes on the line gives a row; an unpaired last quote
// gives none.
void PrintQuotedTexts(const LineTemplate &t, std::string_view text, int32_t &n) {
    for (std::size_t open = text.find('"'); open != npos; open = text.find('"', open + 1)) {
        std::size_t close = text.find('"', open + 1);
        if (close == npos) return;
        PrintRow(t, n, text.substr(open + 1, close - open - 1));
        open = close;
    }
}

Line *PrintUrls(const LineTemplate &t, Line *keywordLine, const Line *closing, int32_t &n) {
    for (Line *l = keywordLine; l && l != closing; l = l->next) {
        PrintQuotedTexts(t, TextOf(l), n);
        if (Holds(l, ")")) return l;
    }
    return nullptr;
}

std::string_view Trimmed(std::string_view text) {
    std::size_t start = text.find_first_not_of(kWhiteSpace);
    if (start == npos) return {};
    return text.substr(start, text.find_last_not_of(kWhiteSpace) - start + 1);
}

// A list written on its keyword line shows what is between the parentheses;
// a list over several lines shows one row per item line.
Line *PrintAppliesTo(const LineTemplate &t, Line *keywordLine, const Line *closing, int32_t &n) {
    for (Line *l = keywordLine; l && l != closing; l = l->next) {
        std::string_view text = TextOf(l);
        if (text.find("applies-to") != npos) {
            std::size_t open = text.find('(');
            std::size_t close = text.rfind(')');
            if (open == npos || close == npos) continue; // a list opens here
            PrintRow(t, n, close > open ? text.substr(open + 1, close - open - 1) : "");
            return l;
        }
        std::string_view item = Trimmed(text);
        if (!item.empty() && item.front() == ')') return l;
        PrintRow(t, n, item);
    }
    return nullptr;
}

// The attributes of one rating service. The bureau and the rating file show
// a single space when the clause does not give them.
struct ServiceInfo {
    std::string_view shortName, name, bureau = " ", ratFile = " ", availableWithContent;
};

// The text between the first two double quotes of a line holding word.
void TakeAttribute(std::string_view text, std::string_view word, std::string_view &value) {
    if (text.find(word) == npos) return;
    std::size_t open = text.find('"');
    if (open == npos) return;
    std::size_t close = text.find('"', open + 1);
    if (close == npos) return;
    value = text.substr(open + 1, close - open - 1);
}

Line *PrintServiceInfo(const LineTemplate &t, Line *keywordLine, const Line *closing, int32_t &n) {
    ServiceInfo s;
    for (Line *l = keywordLine; l && l != closing; l = l->next) {
        std::string_view text = TextOf(l);
        TakeAttribute(text, " name ", s.name); // spaces keep "shortname" out
        TakeAttribute(text, "shortname", s.shortName);
        TakeAttribute(text, "bureau", s.bureau);
        TakeAttribute(text, "ratfile", s.ratFile);
        TakeAttribute(text, "available-with-content", s.availableWithContent);
        if (text.find(')') == npos) continue;
        ++n;
        std::string row = StartBlockRow(n);
        for (std::string_view cell :
             {s.shortName, s.name, s.bureau, s.ratFile, s.availableWithContent})
            AppendCell(row, cell);
        row += "</tr>";
        PrintThrough(t, row);
        return l;
    }
    return nullptr;
}

// A Filter runs over as many lines as its parentheses take to balance; its
// lines are printed whole and it counts as one row.
Line *PrintFilter(const LineTemplate &t, Line *keywordLine, const Line *closing, int32_t &n) {
    ++n;
    long depth = 0;
    for (Line *l = keywordLine; l && l != closing; l = l->next) {
        std::string_view text = TextOf(l);
        PrintThrough(t, text);
        depth += std::count(text.begin(), text.end(), '(');
        depth -= std::count(text.begin(), text.end(), ')');
        if (depth == 0) return l;
    }
    return nullptr;
}

Line *PrintClause(ClauseKind kind, const LineTemplate &t, Line *keywordLine, const Line *closing,
                  int32_t &n) {
    switch (kind) {
    case ClauseKind::kUrls:
        return PrintUrls(t, keywordLine, closing, n);
    case ClauseKind::kAppliesTo:
        return PrintAppliesTo(t, keywordLine, closing, n);
    case ClauseKind::kServiceInfo:
        return PrintServiceInfo(t, keywordLine, closing, n);
    case ClauseKind::kFilter:
        return PrintFilter(t, keywordLine, closing, n);
    case ClauseKind::kOther:
        break;
    }
    return nullptr;
}

// Prints the clauses of one block and returns its closing line (nullptr when
// the block runs to the end of the document). The body starts after the
// "(PicsRule-1.0" line that follows the header.
Line *PrintBlockClauses(const LineTemplate &t, Line *header, const char *keyword, int32_t &n) {
    Line *closing = BlockEnd(header);
    if (!header->next || header->next == closing) return closing;
    const ClauseKind kind = KindOf(keyword);
    for (Line *l = header->next->next; l && l != closing;) {
        Line *end = nullptr;
        if (TokenMatch(l->text, keyword) == 1) end = PrintClause(kind, t, l, closing, n);
        // A clause that did not end goes on after its keyword line.
        l = (end ? end : l)->next;
    }
    return closing;
}

void PrintClauseRows(const char *tmpl, const char *ruleName, const char *keyword,
                     ConfigDocument *doc, int32_t &n) {
    if (!ruleName || !keyword || !doc) return;
    LineTemplate t = ParseTemplate(tmpl);
    // Every block of the name counts, numbered in one sequence.
    for (Line *h = FindPicsRuleFrom(doc->first, ruleName); h;) {
        Line *closing = PrintBlockClauses(t, h, keyword, n);
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
