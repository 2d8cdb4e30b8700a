// The filter that decides which Lines of a document are written to the file.
#ifndef CONFKIT_DOCUMENT_WRITE_FILTER_H
#define CONFKIT_DOCUMENT_WRITE_FILTER_H

namespace confkit {

// Sorts a line text into a class; only class 0 (a single bare word) is left
// out of the file. 3: no token at all; 2: the first token starts with one of
// # } { ) ( " @ or holds "=", "@" or "PicsRule-1.0"; 1: two or more tokens.
// Tokens are split at space, tab and "\n" only.
int LineClassify(const char *text);

} // namespace confkit

#endif
