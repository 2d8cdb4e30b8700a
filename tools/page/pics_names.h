// The names of the PICS filter rules of a document.
#ifndef CONFKIT_PAGE_PICS_NAMES_H
#define CONFKIT_PAGE_PICS_NAMES_H

#include "confkit.hpp"

#include <string>
#include <vector>

namespace page {

// The rule names of the document's DefinePicsRule headers, in file order,
// each once.
std::vector<std::string> PicsRuleNames(const confkit::Document &doc);

} // namespace page

#endif
