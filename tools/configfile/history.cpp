#include "history.h"

#include "history_files.h"
#include "history_view.h"
#include "sha256.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace history {

namespace fs = std::filesystem;

namespace {

// The file a path finally names, following symbolic links one by one so
// that a relative link is read from its own folder.
std::string FinalTarget(const std::string &path) {
    fs::path at(path);
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(at, error))) break;
        const fs::path target = fs::read_symlink(at, error);
        if (error) break;
        at = target.is_absolute() ? target : at.parent_path() / target;
    }
    return at.string();
}

std::optional<std::size_t> NumberOf(const std::string &name) {
    if (name.empty() || name.size() > 18 ||
        !std::all_of(name.begin(), name.end(), [](unsigned char c) { return std::isdigit(c); }))
        return std::nullopt;
    return static_cast<std::size_t>(std::stoull(name));
}

std::vector<Entry> ParseEntries(const LogText &log, const std::string &path) {
    std::vector<Entry> entries;
    for (std::size_t i = 0; i < log.lines.size(); ++i) {
        std::optional<Entry> entry = FromLine(log.lines[i]);
        if (!entry)
            throw Error(path + ": line " + std::to_string(i + 1) +
                        " is not a revision entry; 'confctl history verify' tells more");
        entries.push_back(std::move(*entry));
    }
    return entries;
}

Entry Made(std::size_t number, const std::string &bytes, std::size_t keep) {
    Entry entry;
    entry.number = number;
    entry.time = UtcNow();
    entry.sha256 = sha256::Hex(bytes);
    entry.keep = keep;
    return entry;
}

Entry Outside(std::size_t number, const std::string &bytes, std::size_t keep,
              const std::string &summary, LineCounts counts) {
    Entry entry = Made(number, bytes, keep);
    entry.who = kOutside;
    entry.summary = summary;
    entry.added = counts.added;
    entry.removed = counts.removed;
    return entry;
}

} // namespace

// Each entry is chained to the line before it.
std::string History::Chain(std::vector<Pending> &pending, std::string previous) {
    std::string text;
    for (Pending &p : pending) {
        p.entry.previous = previous;
        const std::string line = ToLine(p.entry);
        previous = sha256::Hex(line);
        text += line + "\n";
    }
    return text;
}

History::History(const std::string &config)
    : file_(FinalTarget(config)), folder_(file_ + ".history") {}

std::string History::CopyPath(std::size_t n) const {
    return folder_ + "/" + std::to_string(n);
}
std::string History::LogPath() const {
    return folder_ + "/log";
}
std::string History::KeepPath() const {
    return folder_ + "/keep";
}

std::vector<std::size_t> History::CopyNumbers() const {
    std::vector<std::size_t> numbers;
    for (const std::string &name : files::Names(folder_))
        if (std::optional<std::size_t> n = NumberOf(name)) numbers.push_back(*n);
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

std::vector<Entry> History::Entries() const {
    try {
        return ParseEntries(SplitLog(files::ReadIfPresent(LogPath()).value_or("")), LogPath());
    } catch (const Error &) {
        throw;
    } catch (const std::exception &e) {
        throw Error(e.what());
    }
}

std::size_t History::Keep() const {
    const std::optional<std::string> text = files::ReadIfPresent(KeepPath());
    if (!text) return kDefaultKeep;
    std::string digits = *text;
    while (!digits.empty() && std::isspace(static_cast<unsigned char>(digits.back())))
        digits.pop_back();
    const std::optional<std::size_t> keep = NumberOf(digits);
    if (!keep) throw Error(KeepPath() + ": not a number of revisions");
    return *keep;
}

std::string History::Revision(std::size_t n) const {
    if (n >= Entries().size()) throw Error("no revision " + std::to_string(n));
    std::optional<std::string> bytes = files::ReadIfPresent(CopyPath(n));
    if (!bytes) throw Error("revision " + std::to_string(n) + " was pruned: its copy is gone");
    return *bytes;
}

std::string History::Head() const {
    const LogText log = SplitLog(files::ReadIfPresent(LogPath()).value_or(""));
    return log.lines.empty() ? "" : sha256::Hex(log.lines.back());
}

bool History::ChangedOutside(const std::string &bytes) const {
    const std::vector<Entry> entries = Entries();
    return !entries.empty() && entries.back().sha256 != sha256::Hex(bytes);
}

void History::SetKeep(std::size_t keep) {
    try {
        const files::Owner owner = files::OwnerOf(file_);
        files::MakeFolder(folder_, owner);
        files::WriteWhole(KeepPath(), std::to_string(keep) + "\n", owner);
        files::SyncFolder(folder_);
    } catch (const std::runtime_error &e) {
        throw Error(std::string("cannot store the number of revisions to keep: ") + e.what());
    }
}

// What a crash leaves: a last line cut short, and copies and temporary
// files without an entry.
void History::Repair() const {
    const std::optional<std::string> text = files::ReadIfPresent(LogPath());
    const LogText log = SplitLog(text.value_or(""));
    if (log.torn) files::CutTo(LogPath(), static_cast<off_t>(log.committed), false);
    const std::size_t entries = log.lines.size();
    for (const std::string &name : files::Names(folder_)) {
        const std::optional<std::size_t> n = NumberOf(name);
        if (files::IsTemporaryName(name) || (n && *n >= entries))
            files::RemoveQuietly(folder_ + "/" + name);
    }
}

// Copies go oldest first; keep + 1 stay, so that the oldest revision kept
// still shows its diff. Entries stay. A copy that cannot go now goes at a
// later save.
void History::Prune(std::size_t head, std::size_t keep) const {
    for (std::size_t n : CopyNumbers())
        if (n + keep + 1 <= head) files::RemoveQuietly(CopyPath(n));
}

// The state of the history that a save starts from, read under the lock
// once the remains of a crash are gone.
struct History::Start {
    files::Owner owner;
    bool made = false;       // this save made the folder
    bool logExisted = false; // the log was there before this save
    off_t logSize = 0;
    std::vector<Entry> entries;
    std::string head = kChainStart; // SHA-256 of the last line
    std::size_t keep = 0;
};

History::Start History::Begin() const {
    Start start;
    start.owner = files::OwnerOf(file_);
    start.made = files::MakeFolder(folder_, start.owner);
    try {
        Repair();
        const std::optional<std::string> text = files::ReadIfPresent(LogPath());
        const LogText log = SplitLog(text.value_or(""));
        start.logExisted = text.has_value();
        start.logSize = static_cast<off_t>(log.committed);
        start.entries = ParseEntries(log, LogPath());
        if (!log.lines.empty()) start.head = sha256::Hex(log.lines.back());
        start.keep = Keep();
    } catch (...) {
        if (start.made) files::RemoveQuietly(folder_);
        throw;
    }
    return start;
}

// The revisions the save records: the bytes before it first when they are
// not the last revision's, then the save.
std::vector<History::Pending> History::Plan(const Start &start, const std::string &before,
                                            const std::string &after, const Save &save) const {
    std::vector<Pending> pending;
    if (start.entries.empty()) {
        pending.push_back(
            {Outside(0, before, start.keep, "before the first recorded save", {}), &before});
    } else if (start.entries.back().sha256 != sha256::Hex(before)) {
        const Entry &last = start.entries.back();
        const std::optional<std::string> recorded = files::ReadIfPresent(CopyPath(last.number));
        pending.push_back({Outside(last.number + 1, before, start.keep, "changed outside",
                                   recorded ? CountLines(*recorded, before) : LineCounts{}),
                           &before});
    }
    // Revision 0 is always one of those before a first save.
    const std::size_t number =
        (pending.empty() ? start.entries.back().number : pending.back().entry.number) + 1;
    Entry entry = Made(number, after, start.keep);
    entry.who = save.who;
    entry.program = save.program;
    entry.summary = save.summary;
    entry.reason = save.reason;
    entry.added = save.added;
    entry.removed = save.removed;
    pending.push_back({entry, &after});
    return pending;
}

void History::Undo(const Start &start, const std::vector<Pending> &pending,
                   std::size_t copies) const {
    if (start.made) return files::RemoveQuietly(folder_);
    for (std::size_t i = 0; i < copies; ++i)
        files::RemoveQuietly(CopyPath(pending[i].entry.number));
}

std::optional<std::size_t>
History::Record(const std::string &before, const std::string &after, const Save &save,
                const std::function<void()> &write,
                const std::function<void(const std::string &)> &putBack) {
    if (before == after) {
        write();
        return std::nullopt;
    }
    static const std::string kRefused = "cannot record the save in the history, nothing saved: ";
    Start start;
    std::vector<Pending> pending;
    std::string text;
    try {
        start = Begin();
        pending = Plan(start, before, after, save);
        text = Chain(pending, start.head);
    } catch (const std::runtime_error &e) {
        throw Error(kRefused + e.what());
    }
    // 1. The copies.
    std::size_t copies = 0;
    try {
        for (; copies < pending.size(); ++copies)
            files::WriteWhole(CopyPath(pending[copies].entry.number), *pending[copies].bytes,
                              start.owner);
    } catch (const std::runtime_error &e) {
        Undo(start, pending, copies);
        throw Error(kRefused + e.what());
    }
    // 2. The file.
    try {
        write();
    } catch (...) {
        Undo(start, pending, copies);
        throw;
    }
    // 3. The entries: the commit point.
    try {
        files::Append(LogPath(), text, start.owner);
    } catch (const std::runtime_error &e) {
        throw Error(std::string("cannot record the save in the history: ") + e.what() +
                    PutBack(start, pending, before, putBack));
    }
    Prune(pending.back().entry.number, start.keep);
    return pending.back().entry.number;
}

// After the entries could not be appended: the log loses what of them was
// written, the file its new bytes, the folder the new copies.
std::string History::PutBack(const Start &start, const std::vector<Pending> &pending,
                             const std::string &before,
                             const std::function<void(const std::string &)> &putBack) const {
    std::string outcome = "; the file was put back as it was";
    try {
        files::CutTo(LogPath(), start.logSize, !start.logExisted);
        putBack(before);
    } catch (const std::exception &e) {
        outcome = std::string("; and the file could not be put back as it was: ") + e.what();
    }
    Undo(start, pending, pending.size());
    return outcome;
}

} // namespace history
