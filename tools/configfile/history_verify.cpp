// The check of a history: the chain of its entries and the copies of its
// revisions. What a crash leaves (a last line cut short, a copy without an
// entry) and what pruning removes are not counted against it.
#include "history.h"

#include "history_files.h"
#include "sha256.h"

#include <algorithm>

namespace history {

namespace {

std::string RevisionName(std::size_t n) {
    return "revision " + std::to_string(n);
}

// Checks each line against its place in the log and the line before it.
// Returns the entries that could be read, by line.
std::vector<std::optional<Entry>> CheckChain(const LogText &log, Verification &result) {
    std::vector<std::optional<Entry>> entries;
    std::string previous = kChainStart;
    for (std::size_t i = 0; i < log.lines.size(); ++i) {
        std::optional<Entry> entry = FromLine(log.lines[i]);
        const std::string line = "log line " + std::to_string(i + 1);
        if (!entry) {
            result.problems.push_back(line + " is not a revision entry: it was altered");
        } else if (entry->number != i) {
            result.problems.push_back(line + " holds " + RevisionName(entry->number) + " where " +
                                      RevisionName(i) + " belongs: an entry was removed or moved");
        } else if (entry->previous != previous) {
            result.problems.push_back(RevisionName(i) +
                                      " does not follow the entry before it: an entry was "
                                      "removed, moved or altered");
        }
        previous = sha256::Hex(log.lines[i]);
        entries.push_back(std::move(entry));
    }
    if (!log.lines.empty()) result.head = previous;
    return entries;
}

// The newest revision whose copy some save may have pruned: the save of
// revision s prunes the copies up to s - keep - 1, with the keep in force
// when it was recorded.
std::optional<std::size_t> PrunedUpTo(const std::vector<std::optional<Entry>> &entries) {
    std::optional<std::size_t> upTo;
    for (const std::optional<Entry> &entry : entries)
        if (entry && entry->number >= entry->keep + 1)
            upTo = std::max(upTo.value_or(0), entry->number - entry->keep - 1);
    return upTo;
}

} // namespace

Verification History::Verify() const {
    Verification result;
    const std::vector<std::optional<Entry>> entries =
        CheckChain(SplitLog(files::ReadIfPresent(LogPath()).value_or("")), result);
    const std::optional<std::size_t> pruned = PrunedUpTo(entries);
    for (const std::optional<Entry> &entry : entries) {
        if (!entry) continue;
        const std::optional<std::string> copy = files::ReadIfPresent(CopyPath(entry->number));
        if (!copy && !(pruned && entry->number <= *pruned))
            result.problems.push_back(RevisionName(entry->number) + ": its copy is missing");
        if (copy && sha256::Hex(*copy) != entry->sha256)
            result.problems.push_back(RevisionName(entry->number) + ": its copy was altered");
    }
    return result;
}

} // namespace history
