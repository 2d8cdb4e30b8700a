// Internal operations that every part of the library shares: the private
// field split, the block-end rule, the line writer and document splicing.
#include "internal.h"

#include <cstring>
#include <new>

namespace confkit {

std::vector<std::string_view> SplitFields(std::string_view text, std::string_view delims) {
    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    while (pos < text.size()) {
        pos = text.find_first_not_of(delims, pos);
        if (pos == std::string_view::npos) break;
        std::size_t end = text.find_first_of(delims, pos);
        if (end == std::string_view::npos) end = text.size();
        fields.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return fields;
}

std::string_view FieldOf(std::string_view text, int n) {
    static constexpr std::string_view kDelims = " \r\n\t";
    if (n < 1) n = 1;
    std::size_t pos = 0;
    for (int i = 1;; ++i) {
        pos = text.find_first_not_of(kDelims, pos);
        if (pos == std::string_view::npos) return {};
        std::size_t end = text.find_first_of(kDelims, pos);
        if (end == std::string_view::npos) end = text.size();
        if (i == n) return text.substr(pos, end - pos);
        pos = end;
    }
}

Line *BlockEnd(Line *header) {
    if (!header) return nullptr;
    for (Line *l = header->next; l; l = l->next)
        if (std::strchr(l->text, '}')) return l;
    return nullptr;
}

Line *MakeLine(std::string_view head, std::string_view value, std::string_view tail) {
    Line *line = LinesNew(1);
    if (!line) return nullptr;
    // A final "\n" stays outside the 1023 characters a line of the file holds,
    // and survives the cut wherever it stands (or the written line would run
    // on into the next one).
    std::string_view *lastPart = !tail.empty()    ? &tail
                                 : !value.empty() ? &value
                                 : !head.empty()  ? &head
                                                  : nullptr;
    const bool endsLine = lastPart && lastPart->back() == '\n';
    if (endsLine) lastPart->remove_suffix(1);
    const std::size_t room = kMaxLineChars;
    if (head.size() > room) head = head.substr(0, room);
    if (head.size() + tail.size() > room) tail = tail.substr(tail.size() - (room - head.size()));
    const std::size_t valueRoom = room - head.size() - tail.size();
    if (value.size() > valueRoom) value = value.substr(0, valueRoom);
    char *out = line->text;
    for (std::string_view part : {head, value, tail}) {
        if (!part.empty()) std::memcpy(out, part.data(), part.size());
        out += part.size();
    }
    if (endsLine) *out++ = '\n';
    *out = '\0';
    return line;
}

void Chain::Add(std::string_view head, std::string_view value, std::string_view tail) {
    Line *line = MakeLine(head, value, tail);
    if (!line) throw std::bad_alloc();
    Append(line);
}

// A value that carries a line end (as values read with their "\n" do) makes
// the written text hold more than one line of the file. Each of them gets a
// Line of its own, as reading the written file back would give them; the
// bytes written are the same either way.
void Chain::SplitLastAtNewlines() {
    for (;;) {
        char *text = last_->text;
        char *newline = std::strchr(text, '\n');
        if (!newline || newline[1] == '\0') return;
        Line *rest = LinesNew(1);
        if (!rest) throw std::bad_alloc();
        std::strcpy(rest->text, newline + 1);
        newline[1] = '\0';
        Append(rest);
    }
}

void Chain::Append(Line *line) {
    if (!line) return;
    if (!first_) {
        first_ = last_ = line;
    } else {
        last_->next = line;
        line->prev = last_;
        last_ = line;
    }
    SplitLastAtNewlines();
}

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
