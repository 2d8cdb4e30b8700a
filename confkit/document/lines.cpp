// The Line list: a doubly linked list of fixed-size, zero-filled heap nodes.
#include "internal.h"

#include "common/text.h"

#include <cstdlib>
#include <cstring>

namespace {

Line *NewBlankLine() {
    return static_cast<Line *>(std::calloc(1, sizeof(Line)));
}

// Copies text into a Line's text area, cut to what the area holds.
void CopyTextCut(Line *line, const char *text) {
    std::size_t n = strnlen(text, CONFKIT_LINE_SIZE - 1);
    std::memcpy(line->text, text, n);
    line->text[n] = '\0';
}

Line *Tail(Line *line) {
    while (line->next)
        line = line->next;
    return line;
}

} // namespace

extern "C" CONFKIT_API Line *CONFKIT_CALL LinesNew(int32_t count) {
    if (count < 1) return nullptr;
    Line *first = NewBlankLine();
    if (!first) return nullptr;
    Line *tail = first;
    for (int32_t i = 1; i < count; ++i) {
        Line *line = NewBlankLine();
        if (!line) continue; // a shorter chain, as when memory runs out
        tail->next = line;
        line->prev = tail;
        tail = line;
    }
    return first;
}

extern "C" CONFKIT_API void CONFKIT_CALL LinesFree(Line *first) {
    if (!first) return;
    if (first->prev) first->prev->next = nullptr;
    while (first) {
        Line *next = first->next;
        std::free(first);
        first = next;
    }
}

extern "C" CONFKIT_API Line *CONFKIT_CALL LinesAdd(Line *at, Line *chain) {
    if (!at) return nullptr;
    Line *after = at->next;
    if (!chain) return after; // nothing to insert; the list stays whole
    Line *tail = Tail(chain);
    tail->next = after;
    if (after) after->prev = tail;
    at->next = chain;
    chain->prev = at;
    return after;
}

extern "C" CONFKIT_API void CONFKIT_CALL LineRemove(Line *line) {
    if (!line) return;
    if (line->prev) line->prev->next = line->next;
    if (line->next) line->next->prev = line->prev;
    line->next = nullptr;
    line->prev = nullptr;
}

extern "C" CONFKIT_API void CONFKIT_CALL LineCopyData(Line *dst, const Line *src) {
    if (!dst || !src) return;
    std::memcpy(dst->text, src->text, sizeof dst->text);
    dst->next = nullptr;
    dst->prev = nullptr;
}

extern "C" CONFKIT_API Line *CONFKIT_CALL LinesAddStr(const char *find, ConfigDocument *doc,
                                                      const char *text, int32_t mode) {
    if (!doc || !text) return nullptr;
    Line *match = nullptr;
    Line *last = nullptr;
    for (Line *l = doc->first; l; l = l->next) {
        last = l;
        if (find && ascii::EqualNoCase(l->text, find)) {
            match = l;
            break;
        }
    }
    Line *line = LinesNew(1);
    if (!line) return nullptr;
    CopyTextCut(line, text);
    if (!match) {
        if (last)
            LinesAdd(last, line);
        else
            doc->first = line; // a document without lines takes it as its first
        return line;
    }
    if (mode == CONFKIT_ADD_AFTER) {
        LinesAdd(match, line);
    } else if (mode == CONFKIT_ADD_BEFORE) {
        if (match->prev) {
            LinesAdd(match->prev, line);
        } else {
            line->next = match;
            match->prev = line;
            doc->first = line;
        }
    }
    return line;
}
