// The lines that single-line rules are: every line outside blocks. A block
// header counts among them (it is a rule of its directive), and an edit that
// removes a header or places rules after it treats it as its whole block.
#ifndef CONFKIT_DOCUMENT_RULE_SCOPE_H
#define CONFKIT_DOCUMENT_RULE_SCOPE_H

#include "confkit.h"

namespace confkit {

// A line that opens a block: its first token (as TokenDup takes it) is
// Protection, Protect, LDAPInfo, Member or DefinePicsRule, ignoring case,
// and it holds "{".
bool OpensBlock(const char *text);

// The walk over the lines outside blocks, from the top of a document:
//   for (Line *line = doc->first; line; line = walk.PieceEnd(line)->next)
// Inside a block no header is recognised. A header that itself holds "}"
// encloses nothing, and so does one without a closing line, so an unclosed
// block never hides the rest of the document.
class TopLevelWalk {
  public:
    // The last Line of what line stands for: the closing line of the block
    // that line opens, or line itself. line must be outside blocks.
    Line *PieceEnd(Line *line);

  private:
    // False once a search for a closing line ran off the end: no Line below
    // the current one holds "}", so later headers need no search. The
    // edits remove lines during the walk and add them only after it.
    bool closingLinesLeft_ = true;
};

} // namespace confkit

#endif
