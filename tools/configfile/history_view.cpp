#include "history_view.h"

#include "preview.h"

#include <filesystem>

namespace history {

namespace {

std::string Label(const History &history) {
    return std::filesystem::path(history.file()).filename().string();
}

std::string Row(const Entry &entry) {
    std::string row = std::to_string(entry.number) + "  " + entry.time + "  " + entry.who + "  " +
                      (entry.program.empty() ? "-" : entry.program) + "  " + entry.summary +
                      "  (+" + std::to_string(entry.added) + " -" + std::to_string(entry.removed) +
                      ")";
    if (!entry.reason.empty()) row += "  reason: " + entry.reason;
    return row + "\n";
}

} // namespace

LineCounts CountLines(const std::string &before, const std::string &after) {
    return CountDiffLines(preview::ReadableDiff("", before, after));
}

LineCounts CountDiffLines(const std::string &diff) {
    LineCounts counts;
    // What comes before the first hunk (notes, the lines that name the file)
    // is no line of the file.
    bool inHunk = false;
    for (std::size_t start = 0; start < diff.size();) {
        inHunk = inHunk || diff.compare(start, 2, "@@") == 0;
        if (inHunk) {
            counts.added += diff[start] == '+';
            counts.removed += diff[start] == '-';
        }
        const std::size_t end = diff.find('\n', start);
        start = end == std::string::npos ? diff.size() : end + 1;
    }
    return counts;
}

std::string RenderList(const History &history, const std::string &bytes) {
    const std::vector<Entry> entries = history.Entries();
    std::string text;
    if (history.ChangedOutside(bytes))
        text += "# changed outside: the file on disk is not revision " +
                std::to_string(entries.back().number) + "\n";
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry)
        text += Row(*entry);
    return text;
}

nlohmann::json ListJson(const History &history, const std::string &bytes) {
    nlohmann::json revisions = nlohmann::json::array();
    const std::vector<Entry> entries = history.Entries();
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry)
        revisions.push_back(ToJson(*entry));
    return {{"changed_outside", history.ChangedOutside(bytes)}, {"revisions", revisions}};
}

std::string RenderShow(const History &history, std::size_t n) {
    const std::string after = history.Revision(n);
    return preview::ReadableDiff(Label(history), n == 0 ? "" : history.Revision(n - 1), after);
}

std::string RenderDiff(const History &history, std::size_t n, std::optional<std::size_t> m,
                       const std::string &bytes) {
    return preview::ReadableDiff(Label(history), history.Revision(n),
                                 m ? history.Revision(*m) : bytes);
}

} // namespace history
