// The filter that decides which Lines of a document are written to the file.
#ifndef CONFKIT_DOCUMENT_WRITE_FILTER_H
#define CONFKIT_DOCUMENT_WRITE_FILTER_H

namespace confkit {

// The classes a line text falls into; only kLeftOut is left out of the file.
// Tokens are split at space, tab and "\n" only (CR is part of a token).
enum LineClass : int {
    kLeftOut = 0, // a single bare word
    kWords = 1,   // two or more tokens
    kMarked = 2,  // the first token starts with one of # } { ) ( " @, or holds "=",
                  // "@" or "PicsRule-1.0"
    kBlank = 3,   // no token at all
};

LineClass LineClassify(const char *text);

} // namespace confkit

#endif
