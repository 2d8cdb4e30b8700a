// Whether a line handed in as a rule of a directive can be one: what confctl
// and the administration page both refuse, with the same message, before
// the line goes into a document.
#ifndef TOOLS_CONFIGFILE_RULE_CHECK_H
#define TOOLS_CONFIGFILE_RULE_CHECK_H

#include "confkit.hpp"

#include <cstdint>
#include <optional>
#include <string>

namespace rulecheck {

// Why line (without its line end) is no rule of the directive id: it is a
// rule of another, or it is the directive's word alone, a line of one word
// that a save leaves out of the file. Nothing when it is a rule.
inline std::optional<std::string> Refusal(const std::string &line, int32_t id) {
    if (!HTTPDRuleMatch(line.c_str(), id))
        return "'" + line + "' is not a rule of the directive " + confkit::RuleName(id);
    if (!TokenNext(line.c_str()))
        return "'" + line + "' has no value (a line of one word is not written to the file)";
    return std::nullopt;
}

} // namespace rulecheck

#endif
