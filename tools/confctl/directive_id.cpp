// Directives named on the command line: by name in any case, or by rule ID.
#include "command.h"

#include <cstdlib>

namespace confctl {

int32_t DirectiveId(const std::string &nameOrNumber) {
    if (!nameOrNumber.empty() &&
        nameOrNumber.find_first_not_of("0123456789") == std::string::npos &&
        nameOrNumber.size() <= 4) {
        int32_t id = static_cast<int32_t>(std::strtol(nameOrNumber.c_str(), nullptr, 10));
        if (HTTPDIDToRule(id)) return id;
    }
    int32_t id = confkit::RuleId(nameOrNumber);
    if (id < 0) throw Failure("unknown directive '" + nameOrNumber + "'");
    return id;
}

} // namespace confctl
