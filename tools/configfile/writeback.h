// What a save of a configuration file changes besides any edit: the library
// writes every Line back through its write filter, so lines of one bare word
// are left out, LF-only line ends come back as CR LF, and so on. The file's
// bytes are compared with what the library writes for them, line by line,
// and each difference is named from the original line. confctl check reports
// these, and the preview of an edit lists them as incidental changes.
#ifndef TOOLS_CONFIGFILE_WRITEBACK_H
#define TOOLS_CONFIGFILE_WRITEBACK_H

#include "text_input.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace writeback {

// A line of the file that the save loses or changes, and why; or the text
// after a Ctrl-Z byte, which the library does not read (bytes > 0, line the
// line the byte stands on).
struct Finding {
    std::size_t line;
    std::string message;
    std::size_t bytes = 0;
};

struct Losses {
    std::vector<Finding> findings;  // in line order
    std::vector<std::string> notes; // changes that lose nothing (line ends, a final Ctrl-Z)
};

// original: the file's bytes; written: what the library writes for them.
Losses Compare(const std::string &original, const std::string &written);

// A short, printable rendering of a text for messages.
std::string Show(std::string_view text);

} // namespace writeback

#endif
