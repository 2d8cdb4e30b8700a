// Table rows for the directives that open blocks: one row per Protect entry,
// per Member block and per DefinePicsRule block. Rows are read from copies of
// the rules or from the document's lines in place; nothing is ever written
// into the document.
#include "html/block_rows.h"

#include "blocks/pics.h"
#include "common/text.h"
#include "html/rule_lookup.h"
#include "internal.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace confkit {
namespace {

// The words of a Protect line; "#" is an ordinary character here.
constexpr std::string_view kProtectDelims = " {\r\n\t";
// What surrounds a Member name in its header (a quoted name loses its quotes).
constexpr std::string_view kMemberNameDelims = " \r\n\t{\"";
constexpr std::string_view kWordDelims = " \t\r\n";

std::string_view FirstWord(std::string_view text, std::string_view delims) {
    std::vector<std::string_view> words = SplitFields(text, delims);
    return words.empty() ? std::string_view() : words.front();
}

// One Protect entry. After the URL template comes either a setup name,
// optionally followed by "FOR" and an address, or, in a block header, the
// address (possibly after "FOR"), which goes one column further right so
// that addresses line up under one heading.
std::string ProtectRow(int32_t n, std::string_view text) {
    const bool blockHeader = text.find('{') != std::string_view::npos;
    std::vector<std::string_view> words = SplitFields(text, kProtectDelims);
    std::string row = StartBlockRow(n);
    bool addressFollows = false;
    for (std::size_t i = 0; i < words.size() && i < 4; ++i) {
        const std::string_view word = words[i];
        const int place = static_cast<int>(i) + 2; // the directive is place 1
        if (place == 2) {
            AppendCell(row, word);
        } else if (place == 3 && blockHeader) {
            row += "<td></td>";
            if (ascii::EqualNoCase(word, "FOR"))
                addressFollows = true;
            else
                AppendCell(row, word);
        } else if (place == 3) {
            AppendCell(row, word);
        } else if (ascii::EqualNoCase(word, "FOR")) {
            addressFollows = true;
        } else if (addressFollows) {
            AppendCell(row, word);
        }
    }
    row += "</tr>";
    return row;
}

void PrintProtectRows(const char *tmpl, ConfigDocument *doc, int32_t &n) {
    RuleList rules = RulesOf(doc, "Protect");
    if (!rules) return;
    LineTemplate t = ParseTemplate(tmpl);
    for (const Line *r = rules.get(); r; r = r->next) {
        PrintThrough(t, ProtectRow(n + 1, AfterDirective(r)));
        ++n;
    }
}

// The values a Member row shows, each the rest of the line that names it.
struct MemberValues {
    std::string_view rcaAddr, rcaPort, cacheSize, cacheRoot, timeout, bindSpecific, reuseAddr;
};

// Every keyword found anywhere in the line (exact case) takes the line's
// text after its first word; a later line overrides an earlier one.
void ReadMemberLine(const Line *line, MemberValues &v) {
    const std::string_view rest = AfterDirective(line);
    auto take = [&](const char *keyword, std::string_view &value) {
        if (Holds(line, keyword)) value = rest;
    };
    take("RCAAddr", v.rcaAddr);
    take("RCAPort", v.rcaPort);
    take("CacheSize", v.cacheSize);
    take("CacheRoot", v.cacheRoot);
    take("BindSpecific", v.bindSpecific);
    take("ReuseAddr", v.reuseAddr);
    // The time-out is shown as the number alone, without its unit word.
    if (Holds(line, "Timeout")) v.timeout = FirstWord(rest, kWordDelims);
}

std::string MemberRow(int32_t n, std::string_view name, const MemberValues &v) {
    std::string row = StartBlockRow(n);
    AppendCell(row, name);
    AppendCell(row, v.rcaAddr);
    AppendCell(row, v.cacheRoot);
    row += "<td align=center>";
    row += v.cacheSize;
    row += "</td>";
    AppendCell(row, v.rcaPort);
    row += "         "; // the form's own spacing between the two cell groups
    for (std::string_view centred : {v.timeout, v.bindSpecific, v.reuseAddr}) {
        row += "<td align=center>";
        row += centred;
        row += "</td>";
    }
    row += "</tr>";
    return row;
}

// Prints the row of the Member block that starts at header and returns its
// closing line (nullptr when the block runs to the end of the document).
Line *PrintMemberRow(const LineTemplate &t, Line *header, int32_t n) {
    Line *closing = BlockEnd(header);
    MemberValues values;
    for (Line *l = header->next; l && l != closing; l = l->next)
        ReadMemberLine(l, values);
    std::string_view name = FirstWord(AfterDirective(header), kMemberNameDelims);
    PrintThrough(t, MemberRow(n, name, values));
    return closing;
}

void PrintMemberRows(const char *tmpl, ConfigDocument *doc, int32_t &n) {
    if (!doc) return;
    LineTemplate t = ParseTemplate(tmpl);
    for (Line *l = doc->first; l; l = l->next) {
        if (TokenMatch(l->text, "Member") != 1) continue;
        Line *closing = PrintMemberRow(t, l, n + 1);
        ++n;
        if (!closing) break;
        l = closing;
    }
}

void PrintPicsRuleRows(const char *tmpl, ConfigDocument *doc, int32_t &n) {
    RuleList rules = RulesOf(doc, "DefinePicsRule");
    if (!rules) return;
    LineTemplate t = ParseTemplate(tmpl);
    for (const Line *r = rules.get(); r; r = r->next) {
        PrintThrough(t, OneValueRow(n + 1, PicsRuleName(r->text)));
        ++n;
    }
}

} // namespace
} // namespace confkit

using namespace confkit;

extern "C" CONFKIT_API int32_t CONFKIT_CALL GenProtectTableItems(const char *tmpl,
                                                                 ConfigDocument *doc) {
    int32_t n = 0;
    NoThrowVoid([&] { PrintProtectRows(tmpl, doc, n); });
    return n;
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL GenMemberTableItems(const char *tmpl,
                                                                ConfigDocument *doc) {
    int32_t n = 0;
    NoThrowVoid([&] { PrintMemberRows(tmpl, doc, n); });
    return n;
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL GenPicsFilterTableItems(const char *tmpl,
                                                                    ConfigDocument *doc) {
    int32_t n = 0;
    NoThrowVoid([&] { PrintPicsRuleRows(tmpl, doc, n); });
    return n;
}
