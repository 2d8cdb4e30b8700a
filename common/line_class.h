// Which lines of a document a save writes to the file: the class of a line
// text, of which only a single bare word is left out. Header-only, so that
// the library's writer and the checks that the library and the programs
// compile in (which refuse a value whose line a save would leave out) apply
// the same rule.
#ifndef COMMON_LINE_CLASS_H
#define COMMON_LINE_CLASS_H

#include <cstddef>
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

} // namespace confkit

#endif
