// The clause scanner of DefinePicsRule bodies, for the clause exports and the
// clause table rows alike: where each clause of a keyword starts and ends,
// and what it holds, read as the keyword's kind (pics::ClauseKindOf)
// selects. Reading and a put's removal keep the different extents that the
// file's readers and writers give them; a Filter clause has one extent for
// everyone.
#ifndef CONFKIT_BLOCKS_PICS_CLAUSE_SCAN_H
#define CONFKIT_BLOCKS_PICS_CLAUSE_SCAN_H

#include "common/pics_grammar.h"
#include "internal.h"

#include <optional>
#include <string_view>
#include <vector>

namespace confkit {

// The attributes of one serviceinfo clause; those it does not give are empty.
struct ServiceInfo {
    std::optional<std::string_view> shortName, name, bureau, ratFile, content;
};

// One clause as it is read. Texts are views into the document's lines.
struct ClauseReading {
    Line *first = nullptr; // the keyword line
    Line *last = nullptr;  // its end line or, when the block ends first, the
                           // line before the closing line
    bool ended = false;    // whether last is its end line
    // The URLs of passurl and failurl, the items of applies-to, the lines of
    // a Filter clause.
    std::vector<std::string_view> values;
    ServiceInfo service; // serviceinfo only
};

// Where reading goes on after a clause that did not end inside the block:
// after its keyword line (the table rows), or nowhere, the clause having
// taken the rest of the body (the get).
enum class AfterUnended { kNextLine, kStop };

// The clauses of keyword in the block that header opens, in file order. The
// body read starts two lines below the header (the line right below it is the
// version line) and ends before the closing line.
std::vector<ClauseReading> ReadClauses(Line *header, const char *keyword, AfterUnended after);

// The lines of a clause, first to last.
struct ClauseRange {
    Line *first;
    Line *last;
};

// The clauses of keyword as a put removes them, in file order: every one
// from the line right below the header on, each from its keyword line through
// that line itself when it holds ")", else through the first later line whose
// first token is ")". A clause never takes the closing line, nor, in a block
// without one, the document's last line.
std::vector<ClauseRange> RemovalRanges(Line *header, const char *keyword);

// The block's first Filter clause, searched from the line right below the
// header: it runs from its line to the first line where the count of "("
// minus ")" drops to 0 or below.
std::optional<ClauseRange> FindFilterClause(Line *header);

} // namespace confkit

#endif
