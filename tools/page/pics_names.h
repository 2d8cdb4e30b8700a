// The names of the PICS filter rules of a document.
#ifndef CONFKIT_PAGE_PICS_NAMES_H
#define CONFKIT_PAGE_PICS_NAMES_H

#include "confkit.hpp"

#include <string>
#include <vector>

namespace page {

// The rule name that a DefinePicsRule header gives its block: the text after
// the directive word, from the first character that is none of CR, LF, tab,
// "{" and the double quote up to the next one of them. Spaces belong to the
// name. Empty when the header names nothing.
std::string PicsRuleName(const char *header);

// The rule names of the document's DefinePicsRule headers, in file order,
// each once.
std::vector<std::string> PicsRuleNames(const confkit::Document &doc);

} // namespace page

#endif
