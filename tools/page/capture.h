// What the library's generators print, caught in a scratch file: they print to the
// process's standard output, and the page needs their text to escape it
// before it goes anywhere.
#ifndef CONFKIT_PAGE_CAPTURE_H
#define CONFKIT_PAGE_CAPTURE_H

#include <functional>
#include <string>

namespace page {

// Runs print with file descriptor 1 going to a scratch file and
// returns what it wrote there; standard output is back in place afterwards,
// also when print throws.
std::string CaptureStdout(const std::function<void()> &print);

} // namespace page

#endif
