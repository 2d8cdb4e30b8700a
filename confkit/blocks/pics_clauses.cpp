// The clauses inside a DefinePicsRule block that are edited through a keyword
// and a list of values (serviceinfo, applies-to, passurl, failurl), and the
// block's Filter clause. No reading or removal goes past the block's closing
// line, and none removes it.
#include "blocks/pics.h"
#include "common/text.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>

namespace confkit {

namespace {

constexpr const char *kWhiteSpace = " \t\n\v\f\r";

// Whether the line after l still belongs to the block's body.
bool NextInBlock(const Line *l, const Line *end) {
    return l->next && l->next != end;
}

// The k-th line below the header, when it lies before the closing line.
Line *BodyLine(Line *header, const Line *end, int k) {
    Line *l = header;
    for (int i = 0; i < k; ++i) {
        l = l->next;
        if (!l || l == end) return nullptr;
    }
    return l;
}

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

void AddQuotedPairs(std::string_view text, std::vector<std::string> &out) {
    for (std::size_t open = text.find('"'); open != std::string_view::npos;) {
        std::size_t close = text.find('"', open + 1);
        if (close == std::string_view::npos) return;
        out.emplace_back(text.substr(open + 1, close - open - 1));
        open = text.find('"', close + 1);
    }
}

// A passurl or failurl clause: every quoted text up to the first line that
// holds ")". Returns the clause's last line.
Line *ReadUrlClause(Line *keywordLine, const Line *end, std::vector<std::string> &out) {
    for (Line *l = keywordLine;; l = l->next) {
        AddQuotedPairs(l->text, out);
        if (Holds(l, ")") || !NextInBlock(l, end)) return l;
    }
}

// An applies-to clause: either one line holding the keyword and both
// parentheses, whose value is what stands between them, or an opening line
// and one value per line up to a line that starts with ")".
Line *ReadAppliesToClause(Line *keywordLine, const Line *end, std::vector<std::string> &out) {
    for (Line *l = keywordLine;; l = l->next) {
        std::string_view text = l->text;
        if (Holds(l, "applies-to")) {
            std::size_t open = text.find('(');
            std::size_t close = text.rfind(')');
            if (open != std::string_view::npos && close != std::string_view::npos) {
                out.emplace_back(close > open ? text.substr(open + 1, close - open - 1) : "");
                return l;
            }
        } else {
            std::size_t first = text.find_first_not_of(kWhiteSpace);
            if (first != std::string_view::npos && text[first] == ')') return l;
            std::size_t last = text.find_last_not_of(kWhiteSpace);
            out.emplace_back(
                first == std::string_view::npos ? "" : text.substr(first, last + 1 - first));
        }
        if (!NextInBlock(l, end)) return l;
    }
}

std::optional<std::string_view> FirstQuoted(std::string_view text) {
    std::size_t open = text.find('"');
    if (open == std::string_view::npos) return std::nullopt;
    std::size_t close = text.find('"', open + 1);
    if (close == std::string_view::npos) return std::nullopt;
    return text.substr(open + 1, close - open - 1);
}

// A serviceinfo clause packed as "shortname name bureau ratfile content".
// Attributes are found by the words on their lines, in any order; "OPT1" and
// "OPT2" stand for a missing bureau and ratfile. A clause that the block
// ends before its ")" gives nothing.
Line *ReadServiceInfoClause(Line *keywordLine, const Line *end, std::vector<std::string> &out) {
    std::string shortName, name, bureau = "OPT1", ratfile = "OPT2", content = "YES";
    for (Line *l = keywordLine;; l = l->next) {
        if (auto value = FirstQuoted(l->text)) {
            // " name " with its spaces, so that a shortname line does not count.
            if (Holds(l, " name ")) name = *value;
            if (Holds(l, "shortname")) shortName = *value;
            if (Holds(l, "bureau")) bureau = *value;
            if (Holds(l, "ratfile")) ratfile = *value;
            if (Holds(l, "available-with-content")) content = *value;
        }
        if (Holds(l, ")")) {
            std::size_t total = shortName.size() + name.size() + bureau.size() + ratfile.size() +
                                content.size() + 5;
            if (total <= 1024)
                out.push_back(shortName + ' ' + name + ' ' + bureau + ' ' + ratfile + ' ' +
                              content);
            else
                out.push_back(shortName + ' ' + name + " OPT1 OPT2 " + content);
            return l;
        }
        if (!NextInBlock(l, end)) return l;
    }
}

bool IsUrlKeyword(const char *keyword) {
    return ascii::EqualNoCase(keyword, "passurl") || ascii::EqualNoCase(keyword, "failurl");
}

// Every value of the keyword's clauses in the block, in file order; only the
// first applies-to clause is read.
std::vector<std::string> ReadClauseValues(Line *header, const char *keyword) {
    std::vector<std::string> values;
    const Line *end = BlockEnd(header);
    bool appliesToRead = false;
    for (Line *cur = BodyLine(header, end, 2); cur && cur != end; cur = cur->next) {
        if (!TokenMatch(cur->text, keyword)) continue;
        if (IsUrlKeyword(keyword)) {
            cur = ReadUrlClause(cur, end, values);
        } else if (ascii::EqualNoCase(keyword, "applies-to")) {
            if (!appliesToRead) cur = ReadAppliesToClause(cur, end, values);
            appliesToRead = true;
        } else if (ascii::EqualNoCase(keyword, "serviceinfo")) {
            cur = ReadServiceInfoClause(cur, end, values);
        }
    }
    return values;
}

// Hands the values over as new texts in slots 1, 2, ... and ends the list
// with a null slot. When memory runs out, nothing is handed over.
int32_t StoreValues(PicsValueList list, const std::vector<std::string> &values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        auto *copy = static_cast<char *>(std::malloc(values[i].size() + 1));
        if (!copy) {
            for (std::size_t j = 1; j <= i; ++j)
                std::free(list[j]);
            list[1] = nullptr;
            return 0;
        }
        std::memcpy(copy, values[i].c_str(), values[i].size() + 1);
        list[i + 1] = copy;
    }
    list[values.size() + 1] = nullptr;
    return static_cast<int32_t>(values.size());
}

// ---- Removal ----

bool StartsWithCloseParen(const Line *l) {
    const char *token = l->text + std::strspn(l->text, " \t\r\n");
    return token[0] == ')' && std::strcspn(token, " \t\r\n") == 1;
}

// The last line of a clause as a put removes it: the keyword line itself when
// it holds ")", else the first later line whose first token is ")". Without
// one the clause runs to the line before the closing line; in a block without
// a closing line the document's last line stays.
Line *RemovalLastLine(Line *keywordLine, const Line *end) {
    if (Holds(keywordLine, ")")) return keywordLine;
    Line *l = keywordLine;
    while (NextInBlock(l, end)) {
        l = l->next;
        if (StartsWithCloseParen(l)) return l;
    }
    if (!end && l != keywordLine) l = l->prev;
    return l;
}

// Removes every clause of the keyword from the block and returns the line
// after which the new clauses go: the line before the last removed clause,
// or the insertion line of a keyword the block lacks.
Line *RemoveClauses(ConfigDocument *doc, Line *header, const Line *end, const char *keyword) {
    Line *insertion = ClauseInsertionLine(doc, header, end);
    Line *cur = BodyLine(header, end, 2);
    while (cur && cur != end) {
        if (TokenMatch(cur->text, keyword)) {
            insertion = cur->prev;
            cur = RemoveRange(doc, cur, RemovalLastLine(cur, end));
        } else {
            cur = cur->next;
        }
    }
    return insertion;
}

// ---- Writing ----

// The five parts of a packed serviceinfo entry, split at its first four
// spaces; parts an entry lacks are empty.
std::vector<std::string_view> UnpackServiceInfo(std::string_view entry) {
    std::vector<std::string_view> parts;
    for (int i = 0; i < 4; ++i) {
        std::size_t space = entry.find(' ');
        parts.push_back(entry.substr(0, space));
        entry = space == std::string_view::npos ? std::string_view() : entry.substr(space + 1);
    }
    parts.push_back(entry);
    return parts;
}

void AddServiceInfoClause(Chain &c, std::string_view entry) {
    std::vector<std::string_view> part = UnpackServiceInfo(entry);
    c.Add(Pad(10, "serviceinfo (\n"));
    AddQuotedLine(c, 22, "shortname", part[0]);
    AddQuotedLine(c, 22, "name", part[1]);
    if (part[2] != "OPT1") AddQuotedLine(c, 22, "bureau", part[2]);
    if (part[3] != "OPT2") AddQuotedLine(c, 22, "ratfile", part[3]);
    AddQuotedLine(c, 22, "available-with-content", part[4]);
    c.Add(Pad(22, ")\n"));
}

// A passurl or failurl clause, with the keyword as the caller spelled it.
void AddUrlClause(Chain &c, const char *keyword, const char *const *values) {
    std::string word = OneLineText(keyword);
    if (!values[1]) {
        c.Add(Pad(10, word) + " ( \"", QuotableValue(values[0]), "\" )\n");
        return;
    }
    c.Add(Pad(10, ""), word, " (\n");
    for (; *values; ++values)
        c.Add(Pad(13, "\""), QuotableValue(*values), "\"\n");
    c.Add(Pad(13, ")\n"));
}

void AddAppliesToClause(Chain &c, const char *const *values) {
    c.Add(Pad(10, "applies-to (\n"));
    for (; *values; ++values)
        c.Add(Pad(21, ""), OneLineText(*values), "\n");
    c.Add(Pad(21, ")\n"));
}

enum class ClauseWriter { None, ServiceInfo, Urls, AppliesTo };

// serviceinfo is written only when the keyword is spelled in lower case.
ClauseWriter WriterFor(const char *keyword) {
    if (std::strcmp(keyword, "serviceinfo") == 0) return ClauseWriter::ServiceInfo;
    if (IsUrlKeyword(keyword)) return ClauseWriter::Urls;
    if (ascii::EqualNoCase(keyword, "applies-to")) return ClauseWriter::AppliesTo;
    return ClauseWriter::None;
}

// The clauses that the list's values (from slot 1) make; none for an empty
// list.
void AddClauses(Chain &c, ClauseWriter writer, const char *keyword, PicsValueList list) {
    const char *const *values = list + 1;
    if (!*values) return;
    switch (writer) {
    case ClauseWriter::ServiceInfo:
        for (; *values; ++values)
            AddServiceInfoClause(c, *values);
        break;
    case ClauseWriter::Urls:
        AddUrlClause(c, keyword, values);
        break;
    case ClauseWriter::AppliesTo:
        AddAppliesToClause(c, values);
        break;
    case ClauseWriter::None:
        break;
    }
}

// ---- Filter ----

Line *FindFilterLine(Line *header, const Line *end) {
    for (Line *l = header->next; l && l != end; l = l->next)
        if (TokenMatch(l->text, "Filter")) return l;
    return nullptr;
}

long CountOf(const Line *l, char c) {
    long n = 0;
    for (const char *p = l->text; *p; ++p)
        n += *p == c;
    return n;
}

// The Filter clause runs from its line until its parentheses balance again.
// A line that closes more than was opened also ends it, so that a stray ")"
// cannot take the rest of the block with it.
Line *FilterLastLine(Line *filterLine, const Line *end) {
    long depth = 0;
    for (Line *l = filterLine;; l = l->next) {
        depth += CountOf(l, '(') - CountOf(l, ')');
        if (depth <= 0 || !NextInBlock(l, end)) return l;
    }
}

// The next block after header's that carries the same name.
Line *NextBlockOfName(Line *header, const char *name) {
    Line *end = BlockEnd(header);
    return end ? FindPicsRuleFrom(end->next, name) : nullptr;
}

} // namespace

} // namespace confkit

using namespace confkit;

extern "C" CONFKIT_API int32_t CONFKIT_CALL HTTPDGetPicsFilterSubdirective(ConfigDocument *doc,
                                                                           const char *keyword,
                                                                           PicsValueList list,
                                                                           const char *ruleName) {
    return NoThrow<int32_t>(0, [&]() -> int32_t {
        if (!ruleName || !keyword || !list || !HasLines(doc)) return 0;
        Line *header = FindPicsRule(doc, ruleName);
        if (!header) return 0;
        return StoreValues(list, ReadClauseValues(header, keyword));
    });
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL HTTPDPutPicsFilterSubdirective(ConfigDocument *doc,
                                                                           const char *keyword,
                                                                           PicsValueList list,
                                                                           const char *ruleName) {
    return NoThrow<int32_t>(0, [&]() -> int32_t {
        if (!ruleName || !keyword || !list || !HasLines(doc)) return 0;
        Line *header = FindPicsRule(doc, ruleName);
        if (!header) return 0;
        ClauseWriter writer = WriterFor(keyword);
        if (writer == ClauseWriter::None) {
            // A keyword the writer does not know only loses its clauses, in
            // every block of the name.
            for (; header; header = NextBlockOfName(header, ruleName))
                RemoveClauses(doc, header, BlockEnd(header), keyword);
            return 0;
        }
        Chain clauses;
        AddClauses(clauses, writer, keyword, list);
        Line *insertion = RemoveClauses(doc, header, BlockEnd(header), keyword);
        if (!clauses.empty()) InsertAfter(doc, insertion, clauses.Release());
        return 0;
    });
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL HTTPDPutFilterSubdirective(ConfigDocument *doc,
                                                                       const char *ruleName,
                                                                       const char *filter) {
    return NoThrow<int32_t>(0, [&]() -> int32_t {
        if (!ruleName || !filter) return 0;
        filter += std::strspn(filter, kWhiteSpace);
        if (!HasLines(doc)) return 0;
        Line *header = FindPicsRule(doc, ruleName);
        if (!header) return 0;

        Chain line;
        line.Add(Pad(11, ""), OneLineText(filter), "\n");
        const Line *end = BlockEnd(header);
        Line *insertion;
        if (Line *old = FindFilterLine(header, end)) {
            insertion = old->prev;
            RemoveRange(doc, old, FilterLastLine(old, end));
        } else {
            insertion = FilterInsertionLine(doc, header, end);
        }
        InsertAfter(doc, insertion, line.Release());
        return 1;
    });
}

extern "C" CONFKIT_API Line *CONFKIT_CALL HTTPDDeleteFilterSubdirective(ConfigDocument *doc,
                                                                        const char *ruleName) {
    return NoThrow<Line *>(nullptr, [&]() -> Line * {
        if (!ruleName || !HasLines(doc)) return nullptr;
        for (Line *header = FindPicsRule(doc, ruleName); header;
             header = NextBlockOfName(header, ruleName)) {
            const Line *end = BlockEnd(header);
            if (Line *filter = FindFilterLine(header, end))
                return RemoveRange(doc, filter, FilterLastLine(filter, end));
        }
        return nullptr;
    });
}
