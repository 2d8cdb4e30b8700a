// The normalised rule key and the index of a list by it.
#include "rule_index.h"

#include "internal.h"

#include "common/text.h"

namespace confkit {
void RuleKeyInto(const char *text, std::string &out) {
    out.clear();
    if (!text) return;
    const char *pos = text;
    while (ascii::IsTokenSpace(*pos))
        ++pos;
    // Each position is the start of a token; TokenNext gives the next one
    // and stops at the end of the text or at a comment.
    while (pos && !ascii::IsTokenEnd(*pos)) {
        if (!out.empty()) out += ' ';
        for (const char *c = pos; !ascii::IsTokenEnd(*c); ++c)
            out += ascii::Lower(*c);
        pos = TokenNext(pos);
    }
}

std::string RuleKey(const char *text) {
    std::string key;
    RuleKeyInto(text, key);
    return key;
}

RuleIndex::RuleIndex(Line *list, Mode mode) noexcept {
    if (mode == Linear) return;
    try {
        Build(list);
        hashed_ = true;
    } catch (...) {
        firstFree_.clear();
    }
}

void RuleIndex::Build(Line *list) {
    key_.reserve(CONFKIT_LINE_SIZE);
    std::vector<std::size_t> keyEnd; // keys are stored end to end in keyText_
    for (Line *line = list; line; line = line->next) {
        RuleKeyInto(line->text, key_);
        if (key_.empty()) continue;
        keyText_ += key_;
        keyEnd.push_back(keyText_.size());
        lines_.push_back(line);
    }
    next_.assign(lines_.size(), kNone);
    firstFree_.reserve(lines_.size());
    // From the list's end backwards, so that each key ends up at its first
    // line and every line points on to the next line of its key.
    for (std::size_t i = lines_.size(); i-- > 0;) {
        std::size_t begin = i == 0 ? 0 : keyEnd[i - 1];
        std::string_view key(keyText_.data() + begin, keyEnd[i] - begin);
        auto [group, added] = firstFree_.try_emplace(key, i);
        if (!added) {
            next_[i] = group->second;
            group->second = i;
        }
    }
}

Line *RuleIndex::Take(const char *text, Line *head) {
    if (!hashed_) return RuleFound(text, head);
    RuleKeyInto(text, key_);
    if (key_.empty()) return nullptr;
    auto group = firstFree_.find(key_);
    if (group == firstFree_.end() || group->second == kNone) return nullptr;
    std::size_t taken = group->second;
    group->second = next_[taken];
    return lines_[taken];
}

} // namespace confkit
