#include "system_calls.h"

namespace syscalls {

// POSIX streams translate nothing.
void UseBinaryStdio() {}

} // namespace syscalls
