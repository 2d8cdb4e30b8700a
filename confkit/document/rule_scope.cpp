// Telling the lines outside blocks from the lines inside them.
#include "rule_scope.h"

#include "internal.h"

#include <cstring>

namespace confkit {
namespace {

// Rule IDs of the directives whose headers open blocks: definepicsrule,
// ldapinfo, member, protect, protection.
constexpr int32_t kBlockDirectives[] = {59, 125, 143, 167, 168};

} // namespace

bool OpensBlock(const char *text) {
    if (!std::strchr(text, '{')) return false;
    // HTTPDRuleMatch takes the directive word as TokenDup takes a first token.
    for (int32_t id : kBlockDirectives)
        if (HTTPDRuleMatch(text, id) == 1) return true;
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
