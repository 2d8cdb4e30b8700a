// Opening, writing and closing the configuration file.
#include "common/platform/text_file.h"
#include "internal.h"
#include "opened_files.h"
#include "write_filter.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

namespace confkit {

namespace {

// Builds the body of a document from the text of its file: every "\n" ends
// a Line, and so does the 1023rd character of a Line without one.
class BodyBuilder {
  public:
    explicit BodyBuilder(Line *first) : current_(first) {}

    // False when a Line could not be had.
    bool Append(const char *bytes, std::size_t n) {
        while (n > 0) {
            const std::size_t room = kMaxLineChars - pos_;
            const std::size_t span = n < room ? n : room;
            const void *nl = std::memchr(bytes, '\n', span);
            const std::size_t take =
                nl ? static_cast<std::size_t>(static_cast<const char *>(nl) - bytes) + 1 : span;
            std::memcpy(current_->text + pos_, bytes, take);
            pos_ += take;
            bytes += take;
            n -= take;
            if ((nl || pos_ == kMaxLineChars) && !StartNewLine()) return false;
        }
        return true;
    }

  private:
    // The text area is zero-filled, so the text ends at pos_ already.
    bool StartNewLine() {
        Line *next = LinesNew(1);
        if (!next) return false;
        LinesAdd(current_, next);
        current_ = next;
        pos_ = 0;
        return true;
    }

    Line *current_;
    std::size_t pos_ = 0;
};

bool ReadBody(std::FILE *file, Line *first) {
    // Both blocks live on the heap: callers' threads may have small stacks.
    auto reader = std::make_unique<platform::TextReader>(file);
    static constexpr std::size_t kChunk = 64 * 1024;
    auto chunk = std::make_unique<char[]>(kChunk);
    BodyBuilder body(first);
    while (std::size_t n = reader->Read(chunk.get(), kChunk))
        if (!body.Append(chunk.get(), n)) return false;
    return true;
}

void ReleaseDocument(ConfigDocument *doc) {
    ForgetFile(doc);
    LinesFree(doc->first);
    std::free(doc->path);
    std::free(doc);
}

ConfigDocument *OpenDocument(const char *path) {
    std::FILE *file = platform::OpenForReading(path);
    if (!file) return nullptr;
    auto *doc = static_cast<ConfigDocument *>(std::calloc(1, sizeof(ConfigDocument)));
    bool ok = doc != nullptr;
    if (ok) {
        doc->path = CopyString(path);
        doc->first = LinesNew(1);
        ok = doc->path && doc->first;
    }
    // Taken before reading, so that a change made while reading shows too.
    const std::optional<platform::FileStamp> stamp = platform::StampOf(file);
    try {
        ok = ok && (!stamp || RememberFile(doc, *stamp)) && ReadBody(file, doc->first);
    } catch (...) {
        ok = false;
    }
    std::fclose(file);
    if (!ok && doc) {
        ReleaseDocument(doc);
        return nullptr;
    }
    return doc;
}

void WriteBody(const ConfigDocument *doc, platform::TextWriter &out) {
    for (const Line *l = doc->first; l && out.ok();) {
        const FileLine line = FileLineAt(l);
        const bool written = LineClassify(line) != kLeftOut;
        for (; l != line.last->next && out.ok(); l = l->next)
            if (written) out.Write(l->text, std::strlen(l->text));
    }
}

} // namespace

} // namespace confkit

extern "C" CONFKIT_API ConfigDocument *CONFKIT_CALL HTTPDConfigOpen(const char *path) {
    if (!path || !*path) return nullptr;
    return confkit::NoThrow<ConfigDocument *>(nullptr, [&] { return confkit::OpenDocument(path); });
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL HTTPDConfigWrite(ConfigDocument *doc) {
    if (!doc || !doc->path || !*doc->path) return -1;
    return confkit::NoThrow<int32_t>(-1, [&] {
        // A document the library opened is written only over the file it was
        // read from, as it was then: never over another program's change.
        confkit::platform::ReplaceCheck check;
        check.expected = confkit::ExpectedFile(doc);
        const bool written = confkit::platform::ReplaceTextFile(
            doc->path, [&](confkit::platform::TextWriter &out) { confkit::WriteBody(doc, out); },
            &check);
        if (!written) return -1;
        if (confkit::IsOpenedDocument(doc)) {
            // What was written is the file the next write is checked against.
            if (check.written)
                confkit::RememberFile(doc, *check.written);
            else
                confkit::ForgetFile(doc);
        }
        return 0;
    });
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL HTTPDConfigClose(ConfigDocument *doc, int32_t write) {
    const int32_t result = write ? HTTPDConfigWrite(doc) : 0;
    if (!doc) return -1;
    confkit::ReleaseDocument(doc);
    return result;
}
