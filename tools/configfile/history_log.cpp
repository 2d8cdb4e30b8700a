#include "history_log.h"

#include "system_calls.h"

#include <ctime>

namespace history {

const std::string kChainStart(64, '0');

nlohmann::json ToJson(const Entry &entry) {
    nlohmann::json json = {{"number", entry.number},     {"time", entry.time},
                           {"who", entry.who},           {"program", entry.program},
                           {"summary", entry.summary},   {"added", entry.added},
                           {"removed", entry.removed},   {"sha256", entry.sha256},
                           {"previous", entry.previous}, {"keep", entry.keep}};
    if (!entry.reason.empty()) json["reason"] = entry.reason;
    return json;
}

std::string ToLine(const Entry &entry) {
    // Invalid UTF-8 in a text is replaced, never a reason to refuse a save.
    return ToJson(entry).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::optional<Entry> FromLine(const std::string &line) {
    const nlohmann::json json = nlohmann::json::parse(line, nullptr, false);
    if (!json.is_object()) return std::nullopt;
    try {
        Entry entry;
        entry.number = json.at("number").get<std::size_t>();
        entry.time = json.at("time").get<std::string>();
        entry.who = json.at("who").get<std::string>();
        entry.program = json.at("program").get<std::string>();
        entry.summary = json.at("summary").get<std::string>();
        entry.reason = json.value("reason", std::string());
        entry.added = json.at("added").get<std::size_t>();
        entry.removed = json.at("removed").get<std::size_t>();
        entry.sha256 = json.at("sha256").get<std::string>();
        entry.previous = json.at("previous").get<std::string>();
        entry.keep = json.at("keep").get<std::size_t>();
        return entry;
    } catch (const nlohmann::json::exception &) {
        return std::nullopt;
    }
}

LogText SplitLog(const std::string &text) {
    LogText log;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        log.lines.push_back(text.substr(start, end - start));
    log.committed = start;
    log.torn = start < text.size();
    return log;
}

std::string UtcNow() {
    const std::time_t now = std::time(nullptr);
    const std::tm utc = syscalls::UtcTime(now);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

} // namespace history
