#include "record_json.h"

#include "common/text.h"

#include <cstring>

namespace confctl {

std::string DumpJson(const Json &value) {
    // The file's texts are 8-bit; bytes that are not UTF-8 show as U+FFFD.
    return value.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

Json ParseJson(const std::string &text, const std::string &what) {
    try {
        return Json::parse(text);
    } catch (const Json::parse_error &e) {
        throw Failure(what + ": not valid JSON: " + e.what());
    }
}

namespace {
bool EndsWithWord(const std::string &value, const std::string &word) {
    if (value.size() <= word.size()) return false;
    std::size_t at = value.size() - word.size();
    if (!ascii::EqualNoCase(std::string_view(value).substr(at), word)) return false;
    return value[at - 1] == ' ' || value[at - 1] == '\t';
}
} // namespace

std::string ValueToWrite(const std::string &field, std::string value, const char *unit) {
    if (value.size() >= 2 && value.compare(value.size() - 2, 2, "\r\n") == 0)
        value.resize(value.size() - 2);
    else if (!value.empty() && value.back() == '\n')
        value.pop_back();
    if (value.find('\0') != std::string::npos)
        throw Failure("the field '" + field + "' holds a NUL byte");
    if (unit && EndsWithWord(value, unit)) {
        value.resize(value.size() - std::strlen(unit));
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
            value.pop_back();
    }
    return value;
}

} // namespace confctl
