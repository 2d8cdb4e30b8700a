// The configuration file as the library sees it: a text file of the
// product's own system, where CR LF on disk is "\n" in memory and a byte
// 0x1A (Ctrl-Z) marks the end of the text; a CR not followed by LF is an
// ordinary character both ways. This layer alone knows that contract (its
// reading half is common/text_mode.h): it opens files as plain bytes on every
// system and translates them itself, so that the text reads and writes the
// same everywhere and a file can be put back byte for byte.
#ifndef CONFKIT_PLATFORM_TEXT_FILE_H
#define CONFKIT_PLATFORM_TEXT_FILE_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace confkit::platform {

// Opens a configuration file for reading as the product's system does: as it
// is ("r"), or else made empty when missing ("a+"). A folder is no text file
// and does not open. Null when neither open works.
std::FILE *OpenForReading(const char *path);

// Reads a stream in large blocks and hands out its text decoded by the
// system's text mode (common/text_mode.h). The stream is not owned; the
// reader reads ahead of what it has handed out.
class TextReader {
  public:
    explicit TextReader(std::FILE *stream);
    ~TextReader();
    TextReader(const TextReader &) = delete;
    TextReader &operator=(const TextReader &) = delete;

    // Copies up to cap translated bytes into out and returns how many; 0
    // only at the end of the text (end of file, a read error or a Ctrl-Z).
    std::size_t Read(char *out, std::size_t cap);

  private:
    struct Decoder;
    std::unique_ptr<Decoder> decoder_;
};

// Collects the bytes of a file's text, turning each "\n" into CR LF. When
// memory runs out nothing more is collected and ok() stays false.
class TextWriter {
  public:
    TextWriter() = default;
    TextWriter(const TextWriter &) = delete;
    TextWriter &operator=(const TextWriter &) = delete;

    void Write(const char *text, std::size_t n);
    bool ok() const { return ok_; }
    const std::string &bytes() const { return bytes_; }

  private:
    std::string bytes_;
    bool ok_ = true;
};

// What tells whether a file is still the one that was seen: which file it is
// (device and inode, or volume and file index), and for a regular file its
// size and the time of its last change. Other files compare by identity.
struct FileStamp {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    std::uint64_t size = 0;
    std::int64_t modified = 0; // in the system's finest unit
    bool operator==(const FileStamp &o) const {
        return volume == o.volume && file == o.file && size == o.size && modified == o.modified;
    }
    bool operator!=(const FileStamp &o) const { return !(*this == o); }
};

// The stamp of the file an open stream reads; none when the system gives
// none (a pipe, for one).
std::optional<FileStamp> StampOf(std::FILE *stream);

// How a replacement is checked against the file it replaces. With expected
// set, the target must still be that file when the new text takes its
// place, or nothing is changed and the replacement fails; written receives
// the stamp of the file as written (none when the system gives none).
struct ReplaceCheck {
    std::optional<FileStamp> expected;
    std::optional<FileStamp> written;
};

// Replaces the file at path with the text that produce writes, so that a
// failure at any point leaves the file as it was, and returns true when the
// whole text reached the file.
//
// The text goes to a new private file beside the target (for a symbolic
// link, beside the file it names), is flushed to disk, gets the target's
// permissions (and, where the process may set them, its owner and group) and
// is then moved over the target. A target that exists but may not be written
// fails. When the folder takes no new file, the target is rewritten in place:
// its bytes are read first and the final size is reserved, so that lack of
// space fails before anything changes, and a failure after the first byte
// changed writes the original back. Devices and pipes are only written.
bool ReplaceTextFile(const char *path, const std::function<void(TextWriter &)> &produce,
                     ReplaceCheck *check = nullptr);

} // namespace confkit::platform

#endif
