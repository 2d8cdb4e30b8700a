// The clause scanner: one reading of every clause kind, one removal extent,
// one Filter extent. Nothing reads or removes past a block's closing line.
#include "blocks/pics_clause_scan.h"

#include "blocks/pics.h"
#include "common/pics_grammar.h"

#include <algorithm>
#include <cstring>

namespace confkit {

namespace {

constexpr std::string_view kWhiteSpace = pics::kWhiteSpace;
constexpr std::size_t npos = std::string_view::npos;

// Whether the line after l still belongs to the block's body.
bool NextInBlock(const Line *l, const Line *closing) {
    return l->next && l->next != closing;
}

// Each pair of double quotes gives the text between them; an unpaired last
// quote gives nothing.
void AddQuotedPairs(std::string_view text, std::vector<std::string_view> &out) {
    for (std::size_t open = text.find('"'); open != npos;) {
        const std::size_t close = text.find('"', open + 1);
        if (close == npos) return;
        out.push_back(text.substr(open + 1, close - open - 1));
        open = text.find('"', close + 1);
    }
}

std::optional<std::string_view> FirstQuoted(std::string_view text) {
    const std::size_t open = text.find('"');
    if (open == npos) return std::nullopt;
    const std::size_t close = text.find('"', open + 1);
    if (close == npos) return std::nullopt;
    return text.substr(open + 1, close - open - 1);
}

// Reads the clause line by line; step takes each line and says whether it
// ends the clause.
template <class Step> void ReadLines(ClauseReading &c, const Line *closing, Step step) {
    for (Line *l = c.first;; l = l->next) {
        c.last = l;
        if (step(l)) {
            c.ended = true;
            return;
        }
        if (!NextInBlock(l, closing)) return;
    }
}

// passurl, failurl: quoted texts up to the first line that holds ")".
void ReadUrls(ClauseReading &c, const Line *closing) {
    ReadLines(c, closing, [&](const Line *l) {
        AddQuotedPairs(TextOf(l), c.values);
        return Holds(l, ")");
    });
}

// applies-to: a keyword line with both parentheses is the whole clause and
// gives what stands between them; a keyword line without them opens a list of
// one item per line, trimmed, up to a line that starts with ")".
void ReadAppliesTo(ClauseReading &c, const Line *closing) {
    ReadLines(c, closing, [&](const Line *l) {
        const std::string_view text = TextOf(l);
        if (text.find("applies-to") != npos) {
            const std::size_t open = text.find('(');
            const std::size_t close = text.rfind(')');
            if (open == npos || close == npos) return false; // a list opens here
            c.values.push_back(close > open ? text.substr(open + 1, close - open - 1) : "");
            return true;
        }
        const std::size_t first = text.find_first_not_of(kWhiteSpace);
        if (first == npos) {
            c.values.emplace_back();
            return false;
        }
        if (text[first] == ')') return true;
        c.values.push_back(text.substr(first, text.find_last_not_of(kWhiteSpace) + 1 - first));
        return false;
    });
}

// serviceinfo: each attribute is the first quoted text of the line that holds
// its word, in any order; the clause ends at the first line that holds ")".
void ReadServiceInfo(ClauseReading &c, const Line *closing) {
    std::optional<std::string_view> *attribute[] = {&c.service.shortName, &c.service.name,
                                                    &c.service.bureau, &c.service.ratFile,
                                                    &c.service.content};
    ReadLines(c, closing, [&](const Line *l) {
        if (auto value = FirstQuoted(TextOf(l)))
            for (std::size_t i = 0; i < pics::kServiceAttributes.size(); ++i)
                if (Holds(l, pics::kServiceAttributes[i].readAs)) *attribute[i] = value;
        return Holds(l, ")");
    });
}

// Filter: its lines until the count of "(" minus ")" drops to 0 or below, so
// that a stray ")" ends it instead of letting it run on.
void ReadFilter(ClauseReading &c, const Line *closing) {
    long depth = 0;
    ReadLines(c, closing, [&](const Line *l) {
        const std::string_view text = TextOf(l);
        c.values.push_back(text);
        depth += std::count(text.begin(), text.end(), '(');
        depth -= std::count(text.begin(), text.end(), ')');
        return depth <= 0;
    });
}

ClauseReading ReadClause(pics::ClauseKind kind, Line *keywordLine, const Line *closing) {
    ClauseReading c;
    c.first = keywordLine;
    switch (kind) {
    case pics::ClauseKind::kUrls:
        ReadUrls(c, closing);
        break;
    case pics::ClauseKind::kAppliesTo:
        ReadAppliesTo(c, closing);
        break;
    case pics::ClauseKind::kServiceInfo:
        ReadServiceInfo(c, closing);
        break;
    case pics::ClauseKind::kFilter:
        ReadFilter(c, closing);
        break;
    case pics::ClauseKind::kOther:
        c.last = keywordLine;
        break;
    }
    return c;
}

bool FirstTokenIsCloseParen(const Line *l) {
    const char *token = l->text + std::strspn(l->text, " \t\r\n");
    return token[0] == ')' && std::strcspn(token, " \t\r\n") == 1;
}

Line *RemovalLastLine(Line *keywordLine, const Line *closing) {
    if (Holds(keywordLine, ")")) return keywordLine;
    Line *l = keywordLine;
    while (NextInBlock(l, closing)) {
        l = l->next;
        if (FirstTokenIsCloseParen(l)) return l;
    }
    if (!closing && l != keywordLine) l = l->prev;
    return l;
}

} // namespace

std::vector<ClauseReading> ReadClauses(Line *header, const char *keyword, AfterUnended after) {
    std::vector<ClauseReading> clauses;
    const pics::ClauseKind kind = pics::ClauseKindOf(keyword);
    if (kind == pics::ClauseKind::kOther) return clauses;
    const Line *closing = BlockEnd(header);
    if (!header->next || header->next == closing) return clauses;
    for (Line *l = header->next->next; l && l != closing;) {
        if (TokenMatch(l->text, keyword) != 1) {
            l = l->next;
            continue;
        }
        clauses.push_back(ReadClause(kind, l, closing));
        const ClauseReading &c = clauses.back();
        if (!c.ended && after == AfterUnended::kStop) break;
        l = (c.ended ? c.last : c.first)->next;
    }
    return clauses;
}

std::vector<ClauseRange> RemovalRanges(Line *header, const char *keyword) {
    std::vector<ClauseRange> ranges;
    const Line *closing = BlockEnd(header);
    for (Line *l = header->next; l && l != closing;) {
        if (TokenMatch(l->text, keyword) != 1) {
            l = l->next;
            continue;
        }
        ranges.push_back({l, RemovalLastLine(l, closing)});
        l = ranges.back().last->next;
    }
    return ranges;
}

std::optional<ClauseRange> FindFilterClause(Line *header) {
    const Line *closing = BlockEnd(header);
    for (Line *l = header->next; l && l != closing; l = l->next)
        if (TokenMatch(l->text, "Filter") == 1) {
            const ClauseReading c = ReadClause(pics::ClauseKind::kFilter, l, closing);
            return ClauseRange{c.first, c.last};
        }
    return std::nullopt;
}

} // namespace confkit
