#include "preview.h"

#include "system_calls.h"
#include "text_input.h"
#include "writeback.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <unordered_map>

namespace preview {

namespace {

[[noreturn]] void Fail(const std::string &what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

std::string ReadStream(std::FILE *file, const std::string &name) {
    std::optional<std::string> bytes = textinput::ReadAll(file);
    if (!bytes) Fail(name);
    return std::move(*bytes);
}

// A file of this process's own for the library's writer, whose name is
// gone once it is read or given up.
class PrivateFile {
  public:
    PrivateFile() : path_(syscalls::MakePrivateFile("confkit-preview-")) {}
    ~PrivateFile() {
        if (!path_.empty()) std::remove(path_.c_str());
    }
    PrivateFile(const PrivateFile &) = delete;
    PrivateFile &operator=(const PrivateFile &) = delete;
    std::string &path() { return path_; }

    // What the file holds; its name goes first.
    std::string Take() {
        const std::string path = std::move(path_);
        path_.clear();
        std::unique_ptr<std::FILE, int (*)(std::FILE *)> file(syscalls::OpenRemoved(path),
                                                              std::fclose);
        if (!file) Fail(path);
        return ReadStream(file.get(), path);
    }

  private:
    std::string path_;
};

// Lines that the save leaves out and that the edit itself removes are the
// edit's change, not a loss: a text that the edited document holds n times
// fewer than the file does clears n findings of lines with that text. Only
// the texts of the findings' own lines are counted.
std::vector<writeback::Finding> LossBesidesTheEdit(const std::string &before,
                                                   std::vector<writeback::Finding> findings,
                                                   const ConfigDocument &edited) {
    if (findings.empty()) return findings;
    const std::vector<textinput::Line> lines =
        textinput::SplitLines(std::string_view(before).substr(0, before.find('\x1a')));
    const auto ownLine = [&](const writeback::Finding &finding) {
        return finding.bytes == 0 && finding.line >= 1 && finding.line <= lines.size();
    };
    std::unordered_map<std::string_view, long> removed;
    for (const writeback::Finding &finding : findings)
        if (ownLine(finding)) removed.emplace(lines[finding.line - 1].content, 0);
    const auto count = [&](std::string_view text, long n) {
        auto found = removed.find(text);
        if (found != removed.end()) found->second += n;
    };
    for (const textinput::Line &line : lines)
        count(line.content, 1);
    for (const Line *line = edited.first; line; line = line->next) {
        std::string_view text = line->text;
        if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
        count(text, -1);
    }
    std::vector<writeback::Finding> loss;
    for (writeback::Finding &finding : findings) {
        if (ownLine(finding) && removed[lines[finding.line - 1].content]-- > 0) continue;
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
    return ReadStream(file.get(), path);
}

std::string SavedBytes(Line *first) {
    PrivateFile file;
    // A document of the same Lines under another path: the library did not
    // open it, so it writes it without comparing with any file.
    ConfigDocument copy{file.path().data(), first};
    errno = 0;
    if (HTTPDConfigWrite(&copy) != 0) Fail("cannot write a preview in " + file.path());
    return file.Take();
}

std::string SavedBytes(const ConfigDocument &doc) {
    return SavedBytes(doc.first);
}

Change Compute(const std::string &label, const std::string &before, std::string unedited,
               std::string after, const ConfigDocument &edited) {
    Change change;
    change.unedited = std::move(unedited);
    change.after = std::move(after);
    writeback::Losses losses = writeback::Compare(before, change.unedited);
    change.loss = LossBesidesTheEdit(before, std::move(losses.findings), edited);
    change.incidental = std::move(losses.notes);
    change.diff = UnifiedDiff(label, before, change.after);
    change.readable = ReadableDiff(label, before, change.after);
    return change;
}

Change Compute(const std::string &label, const std::string &before, const std::string &unedited,
               const ConfigDocument &edited) {
    return Compute(label, before, unedited, SavedBytes(edited), edited);
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
