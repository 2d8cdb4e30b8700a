// The platform's text-file conventions, which the host C library of this
// system does not provide: CR LF on disk is "\n" in memory, and a byte 0x1A
// (Ctrl-Z) marks the end of a text file. A CR not followed by LF is an
// ordinary character both ways.
#ifndef CONFKIT_PLATFORM_TEXT_FILE_H
#define CONFKIT_PLATFORM_TEXT_FILE_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>

namespace confkit::platform {

// Reads a stream in large blocks and hands out its text translated exactly
// as reading it one byte at a time in text mode would. The stream is not
// owned; the reader reads ahead of what it has handed out.
class TextReader {
  public:
    // raw_ is filled by each read before any of it is used.
    // cppcheck-suppress uninitMemberVar
    explicit TextReader(std::FILE *stream) : stream_(stream) {}
    TextReader(const TextReader &) = delete;
    TextReader &operator=(const TextReader &) = delete;

    // Copies up to cap translated bytes into out and returns how many; 0
    // only at the end of the text (end of file, a read error or a Ctrl-Z).
    std::size_t Read(char *out, std::size_t cap);

  private:
    bool Refill();

    static constexpr std::size_t kBlock = 64 * 1024;
    std::FILE *stream_;
    char raw_[kBlock];
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    bool ended_ = false;
};

// Collects text, turning each "\n" into CR LF, and passes it on in large
// blocks to a file descriptor. Every write is checked; after the first
// failure nothing more is written and ok() stays false.
class TextWriter {
  public:
    // buffer_ is written before any of it is passed on.
    // cppcheck-suppress uninitMemberVar
    explicit TextWriter(int fd) : fd_(fd) {}
    TextWriter(const TextWriter &) = delete;
    TextWriter &operator=(const TextWriter &) = delete;

    void Write(const char *text, std::size_t n);
    // Writes out what is still collected; false when any write failed.
    bool Flush();
    bool ok() const { return ok_; }

  private:
    void Emit(const char *bytes, std::size_t n);

    static constexpr std::size_t kBlock = 64 * 1024;
    int fd_;
    bool ok_ = true;
    std::size_t used_ = 0;
    char buffer_[kBlock];
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

// Writes bytes to fd in full, going on after short writes and interrupted
// calls. False on any failure.
bool WriteAll(int fd, const char *bytes, std::size_t n);

// Replaces the file at path with the text that produce writes, so that a
// failure at any point leaves the file as it was: the text goes to a new
// file beside the target (for a symbolic link, beside the file it names),
// is flushed to disk and then renamed over the target, which keeps its
// permission bits and, where the process may set them, its owner and group.
// A target that exists but may not be written fails. When no new file can be
// made in the folder, the target is rewritten in place, still checking every
// write and the close. Returns true when the whole text reached the file.
bool ReplaceTextFile(const char *path, const std::function<void(TextWriter &)> &produce,
                     ReplaceCheck *check = nullptr);

// The file a path finally names after following symbolic links (the path
// itself when it is none); the last link's target may be missing.
std::string FinalTarget(const std::string &path);

} // namespace confkit::platform

#endif
