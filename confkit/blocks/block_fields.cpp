// Subdirective values read from block lines, and the writer of lines with
// several values.
#include "blocks/block_fields.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace confkit::blocks {

void ReleaseField(char *field) {
    if (field == kFlagSet || field == kNoAddress || field == kEmptyQuoted) return;
    std::free(field);
}

void SetField(char *&field, char *value) {
    ReleaseField(field);
    field = value;
}

char *RestOfLine(const char *line) {
    return CopyString(TokenNext(line));
}

char *UnquotedValue(const char *line, LineEndCut cut) {
    char *value = RestOfLine(line);
    if (!value) return nullptr;
    if (cut == LineEndCut::AtCRorLF)
        StripCRLF(value);
    else
        CutAtChar(value, '\n');
    const std::size_t leading = std::strspn(value, "\"");
    if (value[leading] == '\0') {
        // Nothing but quotes: the value is the constant blank.
        std::free(value);
        return const_cast<char *>(kEmptyQuoted);
    }
    const char *kept = StripQuotes(value);
    // Move the kept text to the start of the heap block, so that the field
    // is the block the caller releases.
    std::memmove(value, kept, std::strlen(kept) + 1);
    return value;
}

namespace {

// The longest length every value may keep so that the values together take
// at most room characters: short values stay whole, long ones share the rest.
std::size_t ValueCap(std::vector<std::size_t> lengths, std::size_t room) {
    std::sort(lengths.begin(), lengths.end());
    std::size_t left = lengths.size();
    for (std::size_t length : lengths) {
        if (length * left > room) return room / left;
        room -= length;
        --left;
    }
    return SIZE_MAX;
}

} // namespace

Line *MakeValuesLine(std::initializer_list<Piece> pieces) {
    std::vector<Piece> parts(pieces);
    std::size_t fixed = 0;
    std::vector<std::size_t> lengths;
    for (const Piece &p : parts) {
        if (p.isValue)
            lengths.push_back(p.text.size());
        else
            fixed += p.text.size();
    }
    const bool endsWithNewline = !parts.empty() && !parts.back().isValue &&
                                 !parts.back().text.empty() && parts.back().text.back() == '\n';
    const std::size_t limit = kMaxLineChars + (endsWithNewline ? 1 : 0);
    const std::size_t room = limit > fixed ? limit - fixed : 0;
    const std::size_t cap = ValueCap(lengths, room);
    for (Piece &p : parts) {
        if (p.isValue && p.text.size() > cap) p.text = p.text.substr(0, cap);
    }
    std::string line;
    for (const Piece &p : parts)
        line += p.text;
    Line *made = MakeLine(line);
    if (!made) throw std::bad_alloc();
    return made;
}

} // namespace confkit::blocks
