// The library's private field split: fields of a text at runs of delimiter
// characters, and field n of a rule.
#include "internal.h"

namespace confkit {

std::vector<std::string_view> SplitFields(std::string_view text, std::string_view delims) {
    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    while (pos < text.size()) {
        pos = text.find_first_not_of(delims, pos);
        if (pos == std::string_view::npos) break;
        std::size_t end = text.find_first_of(delims, pos);
        if (end == std::string_view::npos) end = text.size();
        fields.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return fields;
}

std::string_view FieldOf(std::string_view text, int n) {
    static constexpr std::string_view kDelims = " \r\n\t";
    if (n < 1) n = 1;
    std::size_t pos = 0;
    for (int i = 1;; ++i) {
        pos = text.find_first_not_of(kDelims, pos);
        if (pos == std::string_view::npos) return {};
        std::size_t end = text.find_first_of(kDelims, pos);
        if (end == std::string_view::npos) end = text.size();
        if (i == n) return text.substr(pos, end - pos);
        pos = end;
    }
}

} // namespace confkit
