// Runs the confctl program with arguments and standard input, and collects
// its exit status, standard output and standard error. How a program is run
// is the system's own: posix/run_program.h or win32/run_program.h, the one
// that CMake puts on the include path.
#ifndef CONFCTL_TESTS_RUN_CONFCTL_H
#define CONFCTL_TESTS_RUN_CONFCTL_H

#include "test_support.h"

#include <string>
#include <vector>

namespace confctltest {

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

struct RunOptions {
    std::string input;
    // When set, files the program writes may not grow beyond this size (and
    // exceeding it fails the write instead of ending the program).
    long fileSizeLimit = -1;
};

} // namespace confctltest

#include "run_program.h"

#endif
