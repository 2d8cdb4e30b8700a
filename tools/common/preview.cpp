#include "preview.h"

#include "writeback.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include <unistd.h>

namespace preview {

namespace {

[[noreturn]] void Fail(const std::string &what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

// A folder only this process can use, removed with what is in it.
class PrivateFolder {
  public:
    PrivateFolder() {
        const char *base = std::getenv("TMPDIR");
        std::string pattern =
            std::string(base && *base ? base : "/tmp") + "/confkit-preview-XXXXXX";
        if (!mkdtemp(pattern.data())) Fail("cannot make a temporary folder in " + pattern);
        path_ = pattern;
    }
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
    for (const writeback::Finding &finding : losses.findings)
        change.incidental.push_back("line " + std::to_string(finding.line) + ": " +
                                    finding.message);
    change.incidental.insert(change.incidental.end(), losses.notes.begin(), losses.notes.end());
    change.lost = losses.findings.size();
    change.diff = UnifiedDiff(label, before, change.after);
    return change;
}

std::string Render(const Change &change) {
    std::string text;
    for (const std::string &note : change.incidental)
        text += "# " + note + "\n";
    return text + change.diff;
}

} // namespace preview
