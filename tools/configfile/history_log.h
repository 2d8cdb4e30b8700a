// The log of a configuration file's history: one JSON object per line, one
// line per revision, oldest first. Each entry carries the SHA-256 of the
// line before it, so that removing, reordering or altering an entry breaks
// the chain. Lines are hashed as they are stored, so no canonical form of
// the JSON is needed.
#ifndef TOOLS_CONFIGFILE_HISTORY_LOG_H
#define TOOLS_CONFIGFILE_HISTORY_LOG_H

#include <nlohmann/json.hpp>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace history {

struct Entry {
    std::size_t number = 0;
    std::string time; // UTC, "2024-06-01T12:00:00Z"
    std::string who;
    std::string program;
    std::string summary;
    std::string reason; // "" when none was given
    std::size_t added = 0, removed = 0;
    std::string sha256;   // of the file's bytes after the save
    std::string previous; // SHA-256 of the log line before this one
    std::size_t keep = 0; // the number of revisions kept when it was recorded
};

// What the previous line of the first entry is taken to hash to.
extern const std::string kChainStart;

nlohmann::json ToJson(const Entry &entry);
std::string ToLine(const Entry &entry); // ToJson on one line, without the line end
// nullopt when the line is not an entry with every field of the right type.
std::optional<Entry> FromLine(const std::string &line);

// The log's text cut into its lines. A last line without its line end is
// what a write cut short by a crash leaves: it is not part of the log.
struct LogText {
    std::vector<std::string> lines;
    std::size_t committed = 0; // bytes up to the end of the last whole line
    bool torn = false;
};
LogText SplitLog(const std::string &text);

// The current time in UTC, ISO 8601 to the second.
std::string UtcNow();

} // namespace history

#endif
