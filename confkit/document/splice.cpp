// Splicing chains into a document and removing ranges from it, keeping the
// document's first Line right.
#include "internal.h"

namespace confkit {

Line *LastLine(const ConfigDocument *doc) {
    Line *l = doc ? doc->first : nullptr;
    while (l && l->next)
        l = l->next;
    return l;
}

namespace {
Line *ChainTail(Line *chain) {
    while (chain->next)
        chain = chain->next;
    return chain;
}
} // namespace

void InsertBefore(ConfigDocument *doc, Line *at, Line *chain) {
    if (!doc || !chain) return;
    if (at && at->prev) {
        LinesAdd(at->prev, chain);
        return;
    }
    // At the head: either before the first Line or as the whole body.
    Line *head = at ? at : doc->first;
    if (head) {
        Line *tail = ChainTail(chain);
        tail->next = head;
        head->prev = tail;
    }
    doc->first = chain;
}

void InsertAfter(ConfigDocument *doc, Line *at, Line *chain) {
    if (!doc || !chain) return;
    if (!at) at = LastLine(doc);
    if (!at) {
        doc->first = chain;
        return;
    }
    LinesAdd(at, chain);
}

Line *RemoveRange(ConfigDocument *doc, Line *from, Line *to) {
    if (!doc || !from) return nullptr;
    if (!to) to = from;
    Line *before = from->prev;
    Line *after = to->next;
    if (before) before->next = after;
    if (after) after->prev = before;
    if (doc->first == from) doc->first = after;
    from->prev = nullptr;
    to->next = nullptr;
    LinesFree(from);
    return after;
}

} // namespace confkit
