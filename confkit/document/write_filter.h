// The filter that decides which lines of a document are written to the file:
// a line of the file, whole or in pieces, judged by the classifier of a line
// text (common/line_class.h).
#ifndef CONFKIT_DOCUMENT_WRITE_FILTER_H
#define CONFKIT_DOCUMENT_WRITE_FILTER_H

#include "common/line_class.h"
#include "confkit.h"

namespace confkit {

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
