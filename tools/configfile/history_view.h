// What people read of a configuration's history: the list of revisions and
// the diffs between them, as confctl prints them.
#ifndef TOOLS_CONFIGFILE_HISTORY_VIEW_H
#define TOOLS_CONFIGFILE_HISTORY_VIEW_H

#include "history.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <optional>
#include <string>

namespace history {

struct LineCounts {
    std::size_t added = 0, removed = 0;
};
// The lines that the readable diff from before to after adds and removes.
LineCounts CountLines(const std::string &before, const std::string &after);
// The lines that the hunks of a unified diff add and remove; what comes
// before the first hunk is not counted.
LineCounts CountDiffLines(const std::string &diff);

// Newest first, one line per revision; a note that the file was changed
// outside comes first when bytes (the file on disk) are not the last
// revision's.
std::string RenderList(const History &history, const std::string &bytes);
// {"changed_outside": ..., "revisions": [entries, newest first]}
nlohmann::json ListJson(const History &history, const std::string &bytes);

// Diffs as a person reads them (preview::ReadableDiff).
// The diff of revision n against the one before it (revision 0 against
// nothing). Throws Error when a copy was pruned.
std::string RenderShow(const History &history, std::size_t n);
// The diff from revision n to revision m, or to bytes (the file on disk)
// when m is nullopt.
std::string RenderDiff(const History &history, std::size_t n, std::optional<std::size_t> m,
                       const std::string &bytes);

} // namespace history

#endif
