// Telling the lines outside blocks from the lines inside them.
#include "rule_scope.h"

#include "common/text.h"
#include "internal.h"

#include <cstring>
#include <string_view>

namespace confkit {
namespace {

// The directives whose headers open blocks, as the directive table names them.
constexpr std::string_view kBlockDirectives[] = {"definepicsrule", "ldapinfo", "member", "protect",
                                                 "protection"};

} // namespace

bool OpensBlock(const char *text) {
    if (!std::strchr(text, '{')) return false;
    const std::string_view directive = FirstToken(text);
    for (std::string_view name : kBlockDirectives)
        if (ascii::EqualNoCase(directive, name)) return true;
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
