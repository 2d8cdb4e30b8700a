// Telling the lines outside blocks from the lines inside them.
#include "rule_scope.h"

#include "common/text.h"
#include "internal.h"

#include <cstring>
#include <string_view>

namespace confkit {
namespace {

// Rule IDs of the directives whose headers open blocks: definepicsrule,
// ldapinfo, member, protect, protection.
constexpr int32_t kBlockDirectives[] = {59, 125, 143, 167, 168};

} // namespace

bool OpensBlock(const char *text) {
    if (!std::strchr(text, '{')) return false;
    const std::string_view directive = FirstToken(text);
    for (int32_t id : kBlockDirectives)
        if (ascii::EqualNoCase(directive, HTTPDIDToRule(id))) return true;
    return false;
}

Line *TopLevelWalk::PieceEnd(Line *line) {
    if (!closingLinesLeft_ || !OpensBlock(line->text) || std::strchr(line->text, '}')) return line;
    Line *closing = BlockEnd(line);
    if (closing) return closing;
    closingLinesLeft_ = false;
    return line;
}

} // namespace confkit
