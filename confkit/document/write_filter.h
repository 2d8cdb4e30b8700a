// The filter that decides which lines of a document are written to the file.
// The classifier of a line text is header-only, so that the checks the
// programs compile in (which refuse a value whose line a save would leave
// out) apply the same rule.
#ifndef CONFKIT_DOCUMENT_WRITE_FILTER_H
#define CONFKIT_DOCUMENT_WRITE_FILTER_H

#include "confkit.h"

#include <string_view>

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

inline LineClass LineClassify(const char *text) {
    constexpr std::string_view kWriteDelims = " \t\n"; // CR is no delimiter here
    constexpr std::string_view kMarkStarts = "#}{)(\"@";
    const std::string_view t(text ? text : "");
    const std::size_t start = t.find_first_not_of(kWriteDelims);
    if (start == std::string_view::npos) return kBlank;
    std::size_t end = t.find_first_of(kWriteDelims, start);
    if (end == std::string_view::npos) end = t.size();
    const std::string_view first = t.substr(start, end - start);
    if (kMarkStarts.find(first.front()) != std::string_view::npos ||
        first.find('=') != std::string_view::npos || first.find('@') != std::string_view::npos ||
        first.find("PicsRule-1.0") != std::string_view::npos)
        return kMarked;
    return t.find_first_not_of(kWriteDelims, end) != std::string_view::npos ? kWords : kLeftOut;
}

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
