// Finding, removing and placing the named entries of a document: Protection
// and Protect entries, LDAPInfo and Member blocks. Private to confkit/blocks.
#ifndef CONFKIT_BLOCKS_ENTRY_SCAN_H
#define CONFKIT_BLOCKS_ENTRY_SCAN_H

#include "blocks/block_fields.h"
#include "internal.h"

namespace confkit::blocks {

// Modes of the Protect, LDAPInfo and Member puts; any other value means
// "before".
constexpr int32_t kModeAfter = 2;
constexpr int32_t kModeReplace = 3;

// The kinds of named entry. Each is found among the lines of its own
// directives only, so that a Pass rule or another kind's block of the same
// name is never taken for it.
enum class EntryKind {
    Protection, // Protect and Protection lines
    LDAPInfo,
    Member,
};

// True when the first token of text is a directive of kind (ignoring case).
bool OfKind(const char *text, EntryKind kind);

// True when line is a line of kind whose second token is name (ignoring
// case). Comment lines have no second token and never qualify.
bool IsEntry(const Line *line, EntryKind kind, const char *name);

// The first Line of kind named name, or nullptr.
Line *FindEntry(const ConfigDocument *doc, EntryKind kind, const char *name);

// The Line that closes the entry beginning at line: line itself when it holds
// "}", else the block end. nullptr when no closing Line exists.
Line *ClosingLine(Line *line);

// The result of removing a named entry.
struct Removal {
    bool removed = false;
    Line *before = nullptr; // the Line that preceded the removed ones
    Line *after = nullptr;  // the Line that followed them
};

// Removes the entry that FindEntry finds: a block (its header holds "{")
// through its closing Line, or the document's end when none follows;
// otherwise one Line.
Removal RemoveEntry(ConfigDocument *doc, EntryKind kind, const char *name);

// Where new text goes in a document.
struct Place {
    enum Kind { After, Head, End } kind = End;
    Line *anchor = nullptr; // for After

    static Place AfterLine(Line *line) { return {After, line}; }
    // Before line: after its predecessor, or as the head when it has none.
    static Place BeforeLine(Line *line) {
        return line->prev ? Place{After, line->prev} : Place{Head, nullptr};
    }
    static Place AtHead() { return {Head, nullptr}; }
    static Place AtEnd() { return {End, nullptr}; }
};

// The place a removed entry leaves behind: its own.
Place PlaceOf(const Removal &removal);

// Splices a free-standing chain into the document at place. A document
// without Lines receives the chain as its whole body.
void PutChain(ConfigDocument *doc, const Place &place, Line *chain);

// The put of a record: 0 when check refuses it (it would not read back);
// otherwise its lines are made before choose() picks their place (which may
// remove the entry they replace), so that running out of memory also leaves
// the document as it was and answers 0; then 1. A null document is left
// alone and answers 1.
template <class R, class Check, class Choose>
int32_t PutRecord(ConfigDocument *doc, const R &record, Check check, Choose choose) {
    return NoThrow<int32_t>(0, [&]() -> int32_t {
        if (check(record)) return 0;
        if (!doc) return 1;
        Chain chain;
        AddLines(chain, layout::Lines(record));
        const Place place = choose();
        PutChain(doc, place, chain.Release());
        return 1;
    });
}

} // namespace confkit::blocks

#endif
