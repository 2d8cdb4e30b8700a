// Reading subdirective values out of block lines and writing lines that carry
// several values. Private to confkit/blocks.
#ifndef CONFKIT_BLOCKS_BLOCK_FIELDS_H
#define CONFKIT_BLOCKS_BLOCK_FIELDS_H

#include "internal.h"

#include <initializer_list>
#include <string_view>

namespace confkit::blocks {

// Constant texts of the library that some record fields point to. Callers
// never release them, so neither does the library.
inline constexpr char kFlagSet[] = "1";     // SSL_ClientAuth when present
inline constexpr char kNoAddress[] = "";    // Address of a one-line entry without one
inline constexpr char kEmptyQuoted[] = " "; // a quoted value with nothing between its quotes

// Releases a record field unless it is one of the constants above.
void ReleaseField(char *field);
// Replaces a record field (a later keyword line wins over an earlier one).
void SetField(char *&field, char *value);
inline void SetField(char *&field, const char *constant) {
    SetField(field, const_cast<char *>(constant));
}

// The rest of a subdirective line from its second token on, line end and
// comment included; nullptr when the line has no second token.
char *RestOfLine(const char *line);

// How a quoted value loses its line end before its quotes are stripped.
enum class LineEndCut { AtCRorLF, AtLF };
// The value from the second token on, cut at its line end, with every leading
// and trailing double quote removed; kEmptyQuoted when only quotes remained,
// nullptr when the line has no second token. Quotes before trailing blanks stay.
char *UnquotedValue(const char *line, LineEndCut cut);

// A piece of a written line: fixed text, or a value that may be cut.
struct Piece {
    std::string_view text;
    bool isValue;
};
inline Piece Text(std::string_view s) {
    return {s, false};
}
inline Piece Value(const char *s) {
    return {s ? std::string_view(s) : std::string_view(), true};
}

// A new Line holding the pieces in order. When the result would be longer
// than a Line read from a file (1023 characters before a final "\n"), the
// longest values are cut to a common length, so that short values stay whole
// and the fixed text (keywords, quotes, the "\n") keeps its place. Throws
// std::bad_alloc when no memory.
Line *MakeValuesLine(std::initializer_list<Piece> pieces);

} // namespace confkit::blocks

#endif
