// DefinePicsRule blocks as a whole: finding a rule by its name, and reading,
// writing, copying, rewriting and removing its header, its name clause and its
// extension clause (active days and times).
#include "blocks/pics.h"
#include "common/pics_check.h"
#include "common/pics_grammar.h"
#include "common/text.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace confkit {

bool IsPicsRuleHeader(const char *text) {
    return text && TokenMatch(text, "DefinePicsRule") == 1;
}

Line *FindPicsRuleFrom(Line *from, const char *name) {
    if (!name) return nullptr;
    for (Line *l = from; l; l = l->next) {
        if (!IsPicsRuleHeader(l->text)) continue;
        std::string_view found = PicsRuleName(l->text);
        if (!found.empty() && found == name) return l;
    }
    return nullptr;
}

Line *FindPicsRule(const ConfigDocument *doc, const char *name) {
    return doc ? FindPicsRuleFrom(doc->first, name) : nullptr;
}

std::string QuotableValue(std::string_view value) {
    std::string s(value);
    for (char &c : s)
        if (c == '"') c = '\'';
    return s;
}

std::string Pad(int spaces, std::string_view text) {
    return std::string(static_cast<std::size_t>(spaces), ' ').append(text);
}

void AddQuotedLine(Chain &c, int spaces, std::string_view keyword, std::string_view value) {
    c.Add(Pad(spaces, keyword) + " \"", QuotableValue(value), "\"\n");
}

int LinesBelow(const Line *header, const Line *line, int limit) {
    int n = 0;
    for (const Line *l = header; l && n < limit; l = l->next, ++n)
        if (l == line) return n;
    return limit;
}

namespace {

// Texts that a read record may point to instead of a copy of its own; callers
// never release them.
const char kNoDescription[] = "";
const char kEmptyValue[] = " ";

bool IsRecordConstant(const char *p) {
    return p == kNoDescription || p == kEmptyValue;
}

char *HeapCopy(std::string_view s) {
    char *copy = ascii::HeapCopy(s);
    if (!copy) throw std::bad_alloc();
    return copy;
}

// Stores value (a heap copy or a record constant), releasing what the field
// held: a keyword that occurs twice keeps its last value.
void SetField(char *&field, const char *value) {
    if (field && !IsRecordConstant(field)) std::free(field);
    field = const_cast<char *>(value);
}

struct RecordFreer {
    void operator()(PicsFilterRule *r) const {
        for (char **f : {&r->RuleName, &r->Description, &r->ActiveDays, &r->StartTime, &r->EndTime})
            SetField(*f, nullptr);
        std::free(r);
    }
};
using RecordPtr = std::unique_ptr<PicsFilterRule, RecordFreer>;

// Takes a scratch text apart token by token; each step names its delimiters,
// and the delimiter that ends a token is overwritten with the terminator.
class Cursor {
  public:
    explicit Cursor(char *text) : p_(text) {}
    char *Next(const char *delims) {
        p_ += std::strspn(p_, delims);
        if (*p_ == '\0') return nullptr;
        char *token = p_;
        p_ += std::strcspn(p_, delims);
        if (*p_ != '\0') *p_++ = '\0';
        return token;
    }

  private:
    char *p_;
};

bool IsNameClauseStart(const Line *l) {
    return pics::OpensNameClause(l->text);
}

bool IsExtensionClauseStart(const Line *l) {
    return TokenMatch(l->text, "osmek-quillon-extensions") == 1;
}

// Reads the description out of the name clause that opens at cur. The clause
// is gathered from its first "(" over at most five lines, never past the
// block's closing line; cur is left on the last line gathered.
void ReadNameClause(Line *&cur, const Line *end, PicsFilterRule &rec) {
    std::string scratch = std::strchr(cur->text, '(');
    for (int lines = 1;
         scratch.find(')') == std::string::npos && lines < 5 && cur->next && cur->next != end;
         ++lines) {
        cur = cur->next;
        scratch += cur->text;
    }
    ConvertChars(scratch.data(), "\t\r\n()", ' ');

    Cursor cursor(scratch.data());
    const char *token = cursor.Next(" ");
    if (token && std::strcmp(token, "rulename") == 0) {
        cursor.Next("\""); // the name as written; the record keeps the caller's
        token = cursor.Next(" ");
    }
    const char *description = nullptr;
    if (token && std::strcmp(token, "description") == 0) {
        if (char *quoted = cursor.Next("\"")) description = StripQuotes(quoted);
    }
    SetField(rec.Description, description ? HeapCopy(description) : kNoDescription);
}

// The value of a days or times line: its second token without its quotes;
// a keyword without a value leaves the field as it was.
void ReadTimeValue(const Line *l, char *&field) {
    const char *second = TokenNext(l->text);
    if (!second) return;
    std::unique_ptr<char, decltype(&std::free)> dup(TokenDup(second), &std::free);
    if (!dup) throw std::bad_alloc();
    const char *value = StripQuotes(dup.get());
    // A token holds no space, so " " means nothing stood between the quotes.
    SetField(field, std::strcmp(value, " ") == 0 ? kEmptyValue : HeapCopy(value));
}

void AddQuoted(Chain &c, int spaces, std::string_view keyword, const char *value) {
    AddQuotedLine(c, spaces, keyword, OrEmpty(value));
}

void AddHeader(Chain &c, const char *name) {
    c.Add("DefinePicsRule \"", QuotableValue(OrEmpty(name)), "\" {\n");
}

// The whole block that a put writes.
void AddNewBlock(Chain &c, const PicsFilterRule &r) {
    AddHeader(c, r.RuleName);
    c.Add(Pad(5, "(PicsRule-1.0\n"));
    c.Add(Pad(10, "(\n"));
    c.Add(Pad(10, "name     (\n"));
    AddQuoted(c, pics::kPutIndent.name, "rulename", r.RuleName);
    AddQuoted(c, pics::kPutIndent.name, "description", r.Description);
    c.Add(Pad(19, ")\n"));
    c.Add(Pad(10, "osmek-quillon-extensions (\n"));
    AddQuoted(c, pics::kPutIndent.times, "active-days", r.ActiveDays);
    if (r.StartTime) AddQuoted(c, pics::kPutIndent.times, "start-time", r.StartTime);
    if (r.EndTime) AddQuoted(c, pics::kPutIndent.times, "end-time", r.EndTime);
    c.Add(Pad(32, ")\n"));
    c.Add(Pad(9, ")\n"));
    c.Add(Pad(4, ")\n"));
    c.Add("}\n");
}

// The name clause and the extension clause as a replace rewrites them.
void AddRewrittenNameClause(Chain &c, const PicsFilterRule &r) {
    c.Add(Pad(10, "name      (\n"));
    AddQuoted(c, pics::kReplaceIndent.name, "rulename", r.RuleName);
    AddQuoted(c, pics::kReplaceIndent.name, "description", r.Description);
    c.Add(Pad(20, ")\n"));
}

void AddRewrittenExtensionClause(Chain &c, const PicsFilterRule &r) {
    c.Add(Pad(10, "osmek-quillon-extensions (\n"));
    AddQuoted(c, pics::kReplaceIndent.times, "active-days", r.ActiveDays);
    if (r.StartTime) AddQuoted(c, pics::kReplaceIndent.times, "start-time", r.StartTime);
    if (r.EndTime) AddQuoted(c, pics::kReplaceIndent.times, "end-time", r.EndTime);
    c.Add(Pad(20, ")\n"));
}

// Whether a line of a copied name clause carries the rule's name: the word
// rulename stands on it before any quoted text (a description that mentions
// the word is no such line).
bool CarriesRuleName(const char *text) {
    const char *word = std::strstr(text, "rulename");
    const char *quote = std::strchr(text, '"');
    return word && (!quote || word < quote);
}

// A copy's line in place of a line that carries the rule's name: only the
// quoted name after the word changes, so the clause's parentheses stay as
// they were.
std::string RenamedLine(const char *text, const char *newName) {
    const char *afterWord = std::strstr(text, "rulename") + std::strlen("rulename");
    const char *open = std::strchr(afterWord, '"');
    const char *close = open ? std::strchr(open + 1, '"') : nullptr;
    if (close) return std::string(text, open + 1).append(newName).append(close);
    return std::string(text, afterWord).append(" \"").append(newName).append("\"\n");
}

void AddCopyOf(Chain &c, const Line *src) {
    Line *copy = LinesNew(1);
    if (!copy) throw std::bad_alloc();
    LineCopyData(copy, src);
    c.Append(copy);
}

// Whether line stands above stop (nullptr: the end of the document).
bool Above(const ConfigDocument *doc, const Line *line, const Line *stop) {
    for (const Line *l = doc->first; l && l != stop; l = l->next)
        if (l == line) return true;
    return false;
}

// Places a new block named name before the anchor's header (position 1) or
// after its closing line; without an anchor or a closing line, after the last
// line. A lookup finds the first block of a name, so when a block of that
// name stands above the place, the new block could never be read: nothing is
// placed and the result is false.
bool PlaceBlock(ConfigDocument *doc, Line *anchor, int32_t position, const char *name,
                Chain &block) {
    const bool before = anchor && position == 1;
    Line *end = anchor ? BlockEnd(anchor) : nullptr;
    const Line *stop = before ? anchor : end ? end->next : nullptr;
    if (Above(doc, FindPicsRule(doc, name), stop)) return false;
    if (before)
        InsertBefore(doc, anchor, block.Release());
    else
        InsertAfter(doc, end, block.Release());
    return true;
}

// The last line of a name or extension clause opening at first: the first
// line from it on that holds ")", never the block's closing line. Without one
// the clause runs to the line before the closing line, or is its opening line
// alone when the block has no closing line.
Line *ClauseLastLine(Line *first, const Line *end) {
    for (Line *l = first; l && l != end; l = l->next) {
        if (Holds(l, ")")) return l;
        if (end && l->next == end) return l;
    }
    return first;
}

// Replaces the clause that opens at first by the chain; returns the chain's
// last line.
Line *RewriteClause(ConfigDocument *doc, Line *first, const Line *end, Chain &clause) {
    Line *before = first->prev;
    Line *last = clause.last();
    RemoveRange(doc, first, ClauseLastLine(first, end));
    InsertAfter(doc, before, clause.Release());
    return last;
}

} // namespace

} // namespace confkit

using namespace confkit;

extern "C" CONFKIT_API PicsFilterRule *CONFKIT_CALL HTTPDGetPicsFilterRule(ConfigDocument *doc,
                                                                           const char *name) {
    return NoThrow<PicsFilterRule *>(nullptr, [&]() -> PicsFilterRule * {
        if (!name || !HasLines(doc)) return nullptr;
        Line *header = FindPicsRule(doc, name);
        if (!header) return nullptr;
        RecordPtr rec(static_cast<PicsFilterRule *>(std::calloc(1, sizeof(PicsFilterRule))));
        if (!rec) return nullptr;
        rec->RuleName = HeapCopy(name);

        const Line *end = BlockEnd(header);
        for (Line *cur = header->next; cur && cur != end; cur = cur->next) {
            if (IsNameClauseStart(cur)) ReadNameClause(cur, end, *rec);
            if (TokenMatch(cur->text, "active-days")) ReadTimeValue(cur, rec->ActiveDays);
            if (TokenMatch(cur->text, "start-time")) ReadTimeValue(cur, rec->StartTime);
            if (TokenMatch(cur->text, "end-time")) ReadTimeValue(cur, rec->EndTime);
        }
        return rec.release();
    });
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL HTTPDPutPicsFilterRule(ConfigDocument *doc,
                                                                   const PicsFilterRule *rule,
                                                                   const char *anchor,
                                                                   int32_t position) {
    return NoThrow<int32_t>(0, [&]() -> int32_t {
        if (!rule || !rule->RuleName || !doc || valuecheck::CheckPicsRule(*rule)) return 0;
        Chain block;
        AddNewBlock(block, *rule);
        return PlaceBlock(doc, FindPicsRule(doc, anchor), position, rule->RuleName, block) ? 1 : 0;
    });
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL HTTPDCopyPicsFilterRule(ConfigDocument *doc,
                                                                    const char *source,
                                                                    const char *anchor,
                                                                    const char *newName,
                                                                    int32_t position) {
    return NoThrow<int32_t>(0, [&]() -> int32_t {
        if (!source || !anchor || !HasLines(doc)) return 0;
        // The last block of a name counts, for the source and the anchor alike.
        Line *sourceHeader = nullptr;
        Line *anchorHeader = nullptr;
        for (Line *l = doc->first; l; l = l->next) {
            if (!IsPicsRuleHeader(l->text)) continue;
            std::string_view name = PicsRuleName(l->text);
            if (name.empty()) continue;
            if (name == source) sourceHeader = l;
            if (name == anchor) anchorHeader = l;
        }
        if (!sourceHeader) return 0;
        if (valuecheck::CheckPicsRuleName("new name", newName, valuecheck::kPicsHeaderFixed))
            return 0;

        Chain copy;
        AddHeader(copy, newName);
        const Line *end = BlockEnd(sourceHeader);
        bool inNameClause = false;
        for (const Line *l = sourceHeader->next; l && l != end; l = l->next) {
            inNameClause = inNameClause || IsNameClauseStart(l);
            if (inNameClause && CarriesRuleName(l->text)) {
                const std::string renamed = RenamedLine(l->text, newName);
                std::string_view body(renamed);
                if (!body.empty() && body.back() == '\n') body.remove_suffix(1);
                if (valuecheck::CheckFits("new name", body.size(), 0)) return 0;
                copy.Add(renamed);
            } else {
                AddCopyOf(copy, l);
            }
            inNameClause = inNameClause && !Holds(l, ")");
        }
        copy.Add("}\n");
        PlaceBlock(doc, anchorHeader, position, newName, copy);
        return 0;
    });
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL HTTPDReplacePicsFilterRule(ConfigDocument *doc,
                                                                       const PicsFilterRule *rule,
                                                                       const char *name) {
    return NoThrow<int32_t>(0, [&]() -> int32_t {
        if (!rule || !rule->RuleName || !name || !HasLines(doc)) return 0;
        Line *header = FindPicsRule(doc, name);
        if (!header || valuecheck::CheckPicsRule(*rule, valuecheck::PicsRuleLayout::kReplace))
            return 0;
        // Renamed below a block that already has the new name, the rule
        // could no longer be found.
        if (Above(doc, FindPicsRule(doc, rule->RuleName), header)) return 0;

        Chain newHeader;
        AddHeader(newHeader, rule->RuleName);
        std::memcpy(header->text, newHeader.first()->text, sizeof header->text);

        const Line *end = BlockEnd(header);
        for (Line *cur = header->next; cur && cur != end; cur = cur->next) {
            if (IsNameClauseStart(cur)) {
                Chain clause;
                AddRewrittenNameClause(clause, *rule);
                cur = RewriteClause(doc, cur, end, clause);
            }
            if (IsExtensionClauseStart(cur)) {
                Chain clause;
                AddRewrittenExtensionClause(clause, *rule);
                cur = RewriteClause(doc, cur, end, clause);
            }
        }
        return 1;
    });
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL HTTPDDeletePicsFilterRule(ConfigDocument *doc,
                                                                      const char *name) {
    return NoThrow<int32_t>(0, [&]() -> int32_t {
        if (!name || !HasLines(doc)) return 0;
        Line *header = FindPicsRule(doc, name);
        if (!header || !header->next) return 0;
        // Without a closing line the block runs to the end of the document.
        Line *end = BlockEnd(header);
        RemoveRange(doc, header, end ? end : LastLine(doc));
        return 1;
    });
}
