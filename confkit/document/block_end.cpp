// The block-end rule, one rule for every kind of block: a block ends at the
// first Line after its header whose text holds "}" anywhere. Braces do not
// nest and quotes are not honoured.
#include "internal.h"

#include <cstring>

namespace confkit {

Line *BlockEnd(Line *header) {
    if (!header) return nullptr;
    for (Line *l = header->next; l; l = l->next)
        if (std::strchr(l->text, '}')) return l;
    return nullptr;
}

} // namespace confkit
