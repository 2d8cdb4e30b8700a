#include "pics_names.h"

#include <algorithm>
#include <cstring>

namespace page {

std::string PicsRuleName(const char *header) {
    static const char kEnds[] = "\r\n\t{\"";
    const char *at = PointToNextField(header);
    if (!at) return "";
    at += std::strspn(at, kEnds);
    return std::string(at, std::strcspn(at, kEnds));
}

std::vector<std::string> PicsRuleNames(const confkit::Document &doc) {
    const int32_t id = confkit::RuleId("DefinePicsRule");
    std::vector<std::string> names;
    for (const Line &line : doc.Lines()) {
        if (!HTTPDRuleMatch(line.text, id)) continue;
        std::string name = PicsRuleName(line.text);
        if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    }
    return names;
}

} // namespace page
