// The line writer: new Lines from fixed text and values, and chains of them,
// one Line for each line of the file a text holds.
#include "internal.h"

#include <cstring>
#include <new>

namespace confkit {

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

} // namespace confkit
