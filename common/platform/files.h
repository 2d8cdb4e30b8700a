// The few calls of the system that replacing a file is built on, defined
// once per system (posix/files.cpp, win32/files.cpp). The replacement itself
// (replace_file.cpp) is written once over them and reaches them through a
// table, so that a test can put its own calls in their place and make any
// step of a save fail.
//
// Files are descriptors of the C runtime, opened as plain bytes. Calls that
// fail set errno; only running out of memory throws, before anything has
// changed.
#ifndef CONFKIT_PLATFORM_FILES_H
#define CONFKIT_PLATFORM_FILES_H

#include "text_file.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace confkit::platform {

// What a replacement finds at its target.
enum class Target {
    kMissing, // nothing: the replacement makes the file
    kFile,    // a file on disk that the process may write: it is replaced
    kStream,  // a device or pipe that the process may write: it is only written
    kRefused, // it may not be written, or cannot be told
};

namespace os {

// What is at target; the path names a file, not a link.
Target Inspect(const std::string &target);
// The start of the names of new files beside target (in its folder).
std::string TemporaryStem(const std::string &target);
unsigned long ProcessId();
// Makes the file name, which must not exist yet, and opens it for writing.
// Private (for its owner alone) when private_file is set, else made as any
// new file is. -1 on failure: EEXIST when the name is taken, EACCES or
// EPERM when the folder takes no new file.
int CreateNew(const std::string &name, bool private_file);
// Opens an existing file for writing, and for reading too when asked;
// never makes one.
int OpenExisting(const std::string &target, bool read_too);
// As read() and write(): the count of bytes moved, or -1.
long long Read(int fd, char *bytes, std::size_t n);
long long Write(int fd, const char *bytes, std::size_t n);
// Moves to the start of the file.
bool Rewind(int fd);
// Makes sure the file has room on disk for size bytes; may make it that long.
bool Reserve(int fd, std::uint64_t size);
// Cuts or extends the file to size bytes.
bool SetLength(int fd, std::uint64_t size);
// Puts what was written on the disk; a device or pipe has nothing to put.
bool Sync(int fd);
bool Close(int fd);
// Gives the file open at fd the permissions (and, where the process may set
// them, the owner and group) of the file at target.
bool GiveMode(int fd, const std::string &target);
// Moves from over to in one step, replacing what is there, and puts the
// move on the disk.
bool MoveOver(const std::string &from, const std::string &to);
bool Remove(const std::string &path);
std::optional<FileStamp> StampOfDescriptor(int fd);
std::optional<FileStamp> StampAt(const std::string &path);

} // namespace os

// The steps of a save, as the replacement reaches them: the system's own
// unless a test has put others in their place.
struct FileCalls {
    decltype(&os::Inspect) inspect = &os::Inspect;
    decltype(&os::CreateNew) create_new = &os::CreateNew;
    decltype(&os::OpenExisting) open_existing = &os::OpenExisting;
    decltype(&os::Read) read = &os::Read;
    decltype(&os::Write) write = &os::Write;
    decltype(&os::Rewind) rewind = &os::Rewind;
    decltype(&os::Reserve) reserve = &os::Reserve;
    decltype(&os::SetLength) set_length = &os::SetLength;
    decltype(&os::Sync) sync = &os::Sync;
    decltype(&os::Close) close = &os::Close;
    decltype(&os::GiveMode) give_mode = &os::GiveMode;
    decltype(&os::MoveOver) move_over = &os::MoveOver;
    decltype(&os::Remove) remove = &os::Remove;
    decltype(&os::StampOfDescriptor) stamp_of = &os::StampOfDescriptor;
    decltype(&os::StampAt) stamp_at = &os::StampAt;
};

FileCalls &Calls();

// Closes a descriptor on every path out of a scope unless closed before.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    ~Descriptor();
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }
    // Closes now and reports whether the close succeeded.
    bool Close();

  private:
    int fd_;
};

// Writes bytes in full, going on after short writes and interrupted calls.
bool WriteAll(int fd, const std::string &bytes);

// What a replacement does when the folder of its target takes no new file.
enum class InPlace {
    kRewrite, // rewrites the target in place (see ReplaceTextFile)
    kRefuse,  // changes nothing: a rewrite in place cannot survive a crash
};

enum class Replaced {
    kDone,
    kFailed,    // nothing changed, or what changed was put back
    kNoNewFile, // no new file could be made beside the target (errno says why)
};

// Replaces the file target (a path that names no link) with exactly bytes,
// as ReplaceTextFile does with its text. Programs that hold their own copy
// of this layer call it to save bytes they made.
Replaced ReplaceFile(const std::string &target, const std::string &bytes, ReplaceCheck *check,
                     InPlace in_place);

// The process that made path as the new file of a replacement of target
// (named TemporaryStem(target) + ".PID.N.tmp"); none when path is no such
// file's name.
std::optional<unsigned long> TemporaryOwner(const std::string &target, const std::string &path);

// The file a path finally names after following symbolic links (the path
// itself where it is none or the system resolves none); the last link's
// target may be missing.
std::string FinalTarget(const std::string &path);

} // namespace confkit::platform

#endif
