// Name lookup, removal and placement shared by the Protection, Protect,
// LDAPInfo and Member operations.
#include "blocks/entry_scan.h"

#include <cstring>

namespace confkit::blocks {

bool OfKind(const char *text, EntryKind kind) {
    switch (kind) {
    case EntryKind::Protection:
        return TokenMatch(text, "Protect") || TokenMatch(text, "Protection");
    case EntryKind::LDAPInfo:
        return TokenMatch(text, "LDAPInfo");
    case EntryKind::Member:
        return TokenMatch(text, "Member");
    }
    return false;
}

bool IsEntry(const Line *line, EntryKind kind, const char *name) {
    return OfKind(line->text, kind) && TokenMatch(TokenNext(line->text), name);
}

Line *FindEntry(const ConfigDocument *doc, EntryKind kind, const char *name) {
    if (!doc || !name) return nullptr;
    for (Line *line = doc->first; line; line = line->next) {
        if (IsEntry(line, kind, name)) return line;
    }
    return nullptr;
}

Line *ClosingLine(Line *line) {
    if (std::strchr(line->text, '}')) return line;
    return BlockEnd(line);
}

Removal RemoveEntry(ConfigDocument *doc, EntryKind kind, const char *name) {
    Removal result;
    Line *first = FindEntry(doc, kind, name);
    if (!first) return result;
    Line *last = first;
    if (std::strchr(first->text, '{')) {
        last = ClosingLine(first);
        // A block without a closing line runs to the end of the document.
        if (!last) last = LastLine(doc);
    }
    result.removed = true;
    result.before = first->prev;
    result.after = RemoveRange(doc, first, last);
    return result;
}

Place PlaceOf(const Removal &removal) {
    // The removed lines began the document: the new text becomes its head.
    return removal.before ? Place::AfterLine(removal.before) : Place::AtHead();
}

void PutChain(ConfigDocument *doc, const Place &place, Line *chain) {
    switch (place.kind) {
    case Place::After:
        InsertAfter(doc, place.anchor, chain);
        break;
    case Place::Head:
        InsertBefore(doc, nullptr, chain);
        break;
    case Place::End:
        InsertAfter(doc, nullptr, chain);
        break;
    }
}

} // namespace confkit::blocks
