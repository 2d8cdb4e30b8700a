// Running a generator with its standard output captured.
#ifndef CONFKIT_HTML_TEST_SUPPORT_H
#define CONFKIT_HTML_TEST_SUPPORT_H

#include "test_support.h"

#include <cstdint>
#include <string>

namespace htmltest {

// What a generator printed and what it returned.
struct Printed {
    std::string out;
    int32_t result = -99;
};

template <class F> Printed Capture(F &&generator) {
    Printed p;
    p.out = testsupport::CaptureStdout([&] { p.result = generator(); });
    return p;
}

// A document built in memory from text, closed without writing.
inline testsupport::DocPtr Doc(std::string_view text) {
    return testsupport::DocPtr(testsupport::MakeDoc(text));
}

} // namespace htmltest

#endif
