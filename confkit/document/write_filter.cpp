// The write filter: which lines of a document reach the file.
#include "write_filter.h"

#include <cstring>
#include <new>
#include <string>
#include <string_view>

namespace confkit {

namespace {
constexpr std::string_view kWriteDelims = " \t\n"; // CR is no delimiter here
constexpr std::string_view kMarkStarts = "#}{)(\"@";
} // namespace

LineClass LineClassify(const char *text) {
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

FileLine FileLineAt(const Line *first) {
    const Line *last = first;
    while (last->next && !std::strchr(last->text, '\n'))
        last = last->next;
    return {first, last};
}

LineClass LineClassify(const FileLine &line) {
    if (line.first == line.last) return LineClassify(line.first->text);
    try {
        std::string whole;
        for (const Line *piece = line.first; piece != line.last->next; piece = piece->next)
            whole += piece->text;
        return LineClassify(whole.c_str());
    } catch (const std::bad_alloc &) {
        return kUnjudged;
    }
}

} // namespace confkit
