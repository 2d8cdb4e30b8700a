// Table rows of directives whose layout is fixed: user request methods,
// zarnds services and loads, cache URL rules, socks rules and server API
// steps.
#include "html/output.h"

#include "common/text.h"
#include "html/rule_lookup.h"
#include "internal.h"

#include <cstdint>
#include <string>
#include <vector>

namespace confkit {
namespace {

// Words at runs of space, CR, LF and tab, with or without "{".
constexpr std::string_view kWordDelims = " \r\n\t";
constexpr std::string_view kCellDelims = " \r\n\t{";

std::string_view WordAt(const std::vector<std::string_view> &words, std::size_t i) {
    return i < words.size() ? words[i] : std::string_view();
}

// Builds "<tr><td>n</td><td>a</td>...</tr>" from cells after the number.
std::string SimpleRow(int32_t n, std::initializer_list<std::string_view> cells) {
    std::string row = "<tr><td>";
    AppendNumber(row, n);
    row += "</td>";
    for (std::string_view c : cells) {
        row += "<td>";
        row += c;
        row += "</td>";
    }
    row += "</tr>";
    return row;
}

// Prints one row per rule, numbered in print order; returns through n.
template <class RowOf>
void PrintRows(const char *tmpl, const RuleList &rules, int32_t &n, RowOf rowOf) {
    if (!rules) return;
    LineTemplate t = ParseTemplate(tmpl);
    for (const Line *r = rules.get(); r; r = r->next) {
        PrintThrough(t, rowOf(r, n + 1));
        ++n;
    }
}

std::string MethodRow(const Line *rule, int32_t n) {
    std::vector<std::string_view> words = SplitFields(AfterDirective(rule), kCellDelims);
    // A method without a program shows two empty cells after it.
    if (words.size() < 2) return SimpleRow(n, {WordAt(words, 0), "", ""});
    return SimpleRow(n, {words[0], words[1]});
}

std::string FirstValueRow(const Line *rule, int32_t n) {
    return SimpleRow(n, {FieldOf(AfterDirective(rule), 1)});
}

std::string CacheURLRow(const Line *rule, int32_t n) {
    bool load = ascii::EqualNoCase(FieldOf(TextOf(rule), 1), "LoadURL");
    return SimpleRow(n, {AfterDirective(rule), load ? "Cache" : "Ignore"});
}

// A socks rule: [@=user] action address [the rest of the line].
std::string SocksRow(const Line *rule, int32_t n) {
    std::string_view text = TextOf(rule);
    std::size_t p = 0;
    while (p < text.size() && ascii::IsTokenSpace(text[p]))
        ++p;
    while (p < text.size() && !ascii::IsTokenSpace(text[p]))
        ++p; // the directive name
    std::vector<std::string_view> words = SplitFields(text.substr(p), kWordDelims);
    std::size_t next = 0;
    std::string_view user = " ";
    std::string_view t1 = WordAt(words, next++);
    if (t1.substr(0, 2) == "@=") {
        user = t1.substr(2);
        t1 = WordAt(words, next++);
    }
    std::string_view t2 = WordAt(words, next);
    std::string_view t3;
    if (next < words.size()) {
        // The rest of the line after the one character that ended t2.
        std::size_t end = static_cast<std::size_t>(t2.data() + t2.size() - text.data());
        if (end < text.size()) {
            t3 = text.substr(end + 1);
            t3 = t3.substr(0, t3.find_first_of("\r\n"));
        }
    }
    return SimpleRow(n, {t1, t2, t3, user});
}

const char *const kMarkedSteps[] = {"ServerInit", "PostExit",   "PreExit",  "Transmogrifier",
                                    "DataFilter", "ServerTerm", "Midnight", "PICSDBLookup"};

bool IsMarkedStep(std::string_view word) {
    for (const char *step : kMarkedSteps)
        if (word == step) return true;
    return false;
}

// An API step: every word in a cell; the steps that run in the server's
// life cycle get an empty cell after each word cell.
std::string APIRow(const Line *rule, int32_t n) {
    std::vector<std::string_view> words = SplitFields(TextOf(rule), kCellDelims);
    std::string row = "<tr><td>";
    AppendNumber(row, n);
    row += "</td>";
    std::string first(WordAt(words, 0));
    std::size_t next = 1;
    bool marked = IsMarkedStep(first);
    if (first == "GC" || first == "Proxy") { // "GC Advisor", "Proxy Advisor"
        first += WordAt(words, next++);
        marked = true;
    }
    auto cell = [&](std::string_view word) {
        row += "<td>";
        row += word;
        row += "</td>";
        if (marked) row += "<td></td>";
    };
    if (!words.empty()) cell(first);
    for (std::size_t i = next; i < words.size(); ++i)
        cell(words[i]);
    row += "</tr>";
    return row;
}

} // namespace
} // namespace confkit

using namespace confkit;

namespace {

// Runs a row generator export: the rows printed so far are its result, also
// when memory runs out part way.
template <class Body> int32_t CountRows(Body body) {
    int32_t n = 0;
    NoThrowVoid([&] { body(n); });
    return n;
}

} // namespace

extern "C" CONFKIT_API int32_t CONFKIT_CALL GenMethTableItems(const char *tmpl,
                                                              ConfigDocument *doc) {
    return CountRows([&](int32_t &n) {
        if (!doc) return;
        RuleList rules(HTTPDGetUserMethodRules(doc, RuleIdOf("enable")));
        PrintRows(tmpl, rules, n, MethodRow);
    });
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL GenZarndsTableItems(const char *tmpl,
                                                                ConfigDocument *doc) {
    return CountRows([&](int32_t &n) {
        if (!doc) return;
        RuleList rules(HTTPDGetZarnRules(doc, RuleIdOf("service"), "zarndsGet"));
        PrintRows(tmpl, rules, n, FirstValueRow);
    });
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL GenZarndsConfTableItems(const char *tmpl,
                                                                    ConfigDocument *doc) {
    return CountRows([&](int32_t &n) { PrintRows(tmpl, RulesOf(doc, "load"), n, FirstValueRow); });
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL GenCacheURLTableItems(const char *tmpl,
                                                                  ConfigDocument *doc) {
    return CountRows([&](int32_t &n) {
        RuleList rules = MultiRulesOf(doc, {RuleIdOf("loadurl"), RuleIdOf("ignoreurl")});
        PrintRows(tmpl, rules, n, CacheURLRow);
    });
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL GenSocksTableItems(const char *tmpl,
                                                               ConfigDocument *doc) {
    return CountRows([&](int32_t &n) { PrintRows(tmpl, RulesOf(doc, "sockd"), n, SocksRow); });
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL GenAPITableItems(const char *tmpl, const char *names,
                                                             ConfigDocument *doc) {
    return CountRows([&](int32_t &n) {
        RuleList rules = MultiRulesOf(doc, RuleIdsOfNameList(names, '&'));
        PrintRows(tmpl, rules, n, APIRow);
    });
}
