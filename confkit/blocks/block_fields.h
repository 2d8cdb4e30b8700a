// Reading subdirective values out of block lines, and writing the lines of a
// block. Private to confkit/blocks.
#ifndef CONFKIT_BLOCKS_BLOCK_FIELDS_H
#define CONFKIT_BLOCKS_BLOCK_FIELDS_H

#include "common/block_layout.h"
#include "confkit_records.hpp"
#include "internal.h"

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

// Reads the body of the block whose header is header, the header line
// included, up to the block end (or the document's end): a line whose first
// token is the keyword of one of R's body fields sets that field to
// read(form, line text). A keyword given twice keeps its last value.
template <class R, class Read> void ReadBody(R &record, Line *header, Read read) {
    Line *end = BlockEnd(header);
    for (Line *line = header; line && line != end; line = line->next) {
        for (const Field<R> &f : RecordFields<R>::List()) {
            if (f.form == FieldForm::Header || !TokenMatch(line->text, f.name)) continue;
            SetField(record.*f.member, read(f.form, line->text));
            break;
        }
    }
}

// Appends the written lines to chain, one Line for each line of the file they
// make. The record checks have made sure that every one fits. Throws
// std::bad_alloc when no memory.
void AddLines(Chain &chain, const layout::WrittenLines &lines);

} // namespace confkit::blocks

#endif
