// The rule name a DefinePicsRule header gives its block, as the library's
// lookups find a rule by it and as the programs list the rules of a file.
// Header-only, built on the public header alone.
#ifndef COMMON_PICS_RULE_NAME_H
#define COMMON_PICS_RULE_NAME_H

#include "confkit.h"

#include <cstring>
#include <string_view>

namespace confkit {

// The rule name of a header: after the directive word, skip CR, LF, tab, "{"
// and double quotes; the name runs up to the next of those characters or the
// end of the text. A space does not end it, so 'DefinePicsRule Kids {' names
// "Kids " with its trailing space. Empty when the header names nothing. The
// view points into the header's text.
inline std::string_view PicsRuleName(const char *header) {
    constexpr const char *kNameStops = "\r\n\t{\"";
    const char *p = PointToNextField(header);
    if (!p) return {};
    p += std::strspn(p, kNameStops);
    return std::string_view(p, std::strcspn(p, kNameStops));
}

} // namespace confkit

#endif
