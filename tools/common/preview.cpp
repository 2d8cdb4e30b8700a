#include "preview.h"

#include "system_calls.h"
#include "writeback.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>

namespace preview {

namespace {

[[noreturn]] void Fail(const std::string &what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

// A folder only this process can use, removed with what is in it.
class PrivateFolder {
  public:
    PrivateFolder() : path_(syscalls::MakePrivateFolder("confkit-preview-")) {}
    ~PrivateFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    PrivateFolder(const PrivateFolder &) = delete;
    PrivateFolder &operator=(const PrivateFolder &) = delete;
    const std::string &path() const { return path_; }

  private:
    std::string path_;
};

// Lines that the save leaves out and that the edit itself removes are the
// edit's change, not a loss: a text that the edited document holds n times
// fewer than the file does clears n findings of lines with that text.
std::vector<writeback::Finding> LossBesidesTheEdit(const std::string &before,
                                                   std::vector<writeback::Finding> findings,
                                                   const ConfigDocument &edited) {
    const std::vector<writeback::PhysicalLine> lines =
        writeback::SplitLines(before.substr(0, before.find('\x1a')));
    std::map<std::string, long> removed;
    for (const writeback::PhysicalLine &line : lines)
        ++removed[line.content];
    for (const Line *line = edited.first; line; line = line->next) {
        std::string text = line->text;
        if (!text.empty() && text.back() == '\n') text.pop_back();
        --removed[text];
    }
    std::vector<writeback::Finding> loss;
    for (writeback::Finding &finding : findings) {
        const bool ownLine =
            finding.bytes == 0 && finding.line >= 1 && finding.line <= lines.size();
        if (ownLine && removed[lines[finding.line - 1].content]-- > 0) continue;
        loss.push_back(std::move(finding));
    }
    return loss;
}

std::string Plural(std::size_t n, const std::string &one, const std::string &many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// "line 4", "lines 3 and 9 (2 lines)", "lines 1, 2, ... and 5 more (15 lines)".
std::string NameLines(const std::vector<std::size_t> &numbers) {
    constexpr std::size_t kNamed = 10;
    if (numbers.size() == 1) return "line " + std::to_string(numbers.front());
    const std::size_t named = std::min(numbers.size(), kNamed);
    std::string text = "lines ";
    for (std::size_t i = 0; i < named; ++i)
        text += (i == 0                                      ? ""
                 : i + 1 == named && named == numbers.size() ? " and "
                                                             : ", ") +
                std::to_string(numbers[i]);
    if (numbers.size() > named) text += " and " + std::to_string(numbers.size() - named) + " more";
    return text + " (" + Plural(numbers.size(), "line", "lines") + ")";
}

} // namespace

std::string ReadFileBytes(const std::string &path) {
    std::unique_ptr<std::FILE, int (*)(std::FILE *)> file(std::fopen(path.c_str(), "rb"),
                                                          std::fclose);
    if (!file) Fail(path);
    std::string bytes;
    char buffer[8192];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        bytes.append(buffer, n);
    if (std::ferror(file.get())) Fail(path);
    return bytes;
}

std::string SavedBytes(const ConfigDocument &doc) {
    PrivateFolder folder;
    std::string path = folder.path() + "/saved.conf";
    // A document of the same Lines under another path: the library did not
    // open it, so it writes it without comparing with any file.
    ConfigDocument copy{path.data(), doc.first};
    errno = 0;
    if (HTTPDConfigWrite(&copy) != 0) Fail("cannot write a preview in " + folder.path());
    return ReadFileBytes(path);
}

Change Compute(const std::string &label, const std::string &before, const std::string &unedited,
               const ConfigDocument &edited) {
    Change change;
    change.unedited = unedited;
    change.after = SavedBytes(edited);
    writeback::Losses losses = writeback::Compare(before, unedited);
    change.loss = LossBesidesTheEdit(before, std::move(losses.findings), edited);
    change.incidental = std::move(losses.notes);
    change.diff = UnifiedDiff(label, before, change.after);
    change.readable = ReadableDiff(label, before, change.after);
    return change;
}

std::vector<std::string> LossNotes(const Change &change) {
    std::vector<std::string> notes;
    for (const writeback::Finding &finding : change.loss)
        notes.push_back("line " + std::to_string(finding.line) + ": " + finding.message);
    return notes;
}

std::string LossSummary(const Change &change) {
    std::vector<std::size_t> lines;
    std::string hidden;
    for (const writeback::Finding &finding : change.loss) {
        if (finding.bytes == 0)
            lines.push_back(finding.line);
        else
            hidden = "the " + Plural(finding.bytes, "byte", "bytes") +
                     " after the Ctrl-Z byte on line " + std::to_string(finding.line);
    }
    if (lines.empty()) return hidden;
    return NameLines(lines) + (hidden.empty() ? "" : ", and " + hidden);
}

std::string Render(const Change &change, bool exact) {
    std::string text;
    for (const std::string &note : LossNotes(change))
        text += "# lost: " + note + "\n";
    for (const std::string &note : change.incidental)
        text += "# " + note + "\n";
    return text + (exact ? change.diff : change.readable);
}

} // namespace preview
