#include "system_calls.h"

#include <cstdio>

#include <fcntl.h>
#include <io.h>

namespace syscalls {

// The C runtime opens them in text mode, which turns CR LF into LF on input
// and ends it at a Ctrl-Z byte, and turns LF into CR LF on output.
void UseBinaryStdio() {
    ::_setmode(::_fileno(stdin), _O_BINARY);
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
}

} // namespace syscalls
