// The filter that decides which lines of a document are written to the file.
#ifndef CONFKIT_DOCUMENT_WRITE_FILTER_H
#define CONFKIT_DOCUMENT_WRITE_FILTER_H

#include "confkit.h"

namespace confkit {

// The classes a line text falls into; only kLeftOut is left out of the file.
// Tokens are split at space, tab and "\n" only (CR is part of a token).
enum LineClass : int {
    kUnjudged = -1, // no memory to judge a long line by; written
    kLeftOut = 0,   // a single bare word
    kWords = 1,     // two or more tokens
    kMarked = 2,    // the first token starts with one of # } { ) ( " @, or holds "=",
                    // "@" or "PicsRule-1.0"
    kBlank = 3,     // no token at all
};

LineClass LineClassify(const char *text);

// One line of the file as the document holds it: a single Line, or the
// pieces of a long line (consecutive Lines of which all but the last hold no
// "\n"). The writer puts nothing between them, so they make one line.
struct FileLine {
    const Line *first;
    const Line *last;
};

// The line of the file that begins at first.
FileLine FileLineAt(const Line *first);

// A line of the file is judged as a whole: its pieces are classified as the
// one text they make, so they are written or left out together, and a long
// line is never cut nor glued onto the next one.
LineClass LineClassify(const FileLine &line);

} // namespace confkit

#endif
