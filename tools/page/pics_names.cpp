#include "pics_names.h"

#include "common/pics_rule_name.h"

#include <algorithm>

namespace page {

std::vector<std::string> PicsRuleNames(const confkit::Document &doc) {
    const int32_t id = confkit::RuleId("DefinePicsRule");
    std::vector<std::string> names;
    for (const Line &line : doc.Lines()) {
        if (!HTTPDRuleMatch(line.text, id)) continue;
        std::string name(confkit::PicsRuleName(line.text));
        if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    }
    return names;
}

} // namespace page
