// The write filter: which lines of a document reach the file.
#include "write_filter.h"

#include <cstring>
#include <new>
#include <string>

namespace confkit {

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
