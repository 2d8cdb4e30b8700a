// Replacing a file so that a save that fails leaves it as it was, on every
// system: the steps are the system's (files.h), the order is this file's.
#include "files.h"

#include <atomic>
#include <cerrno>
#include <limits>

namespace confkit::platform {

FileCalls &Calls() {
    static FileCalls calls;
    return calls;
}

Descriptor::~Descriptor() {
    if (fd_ >= 0) Calls().close(fd_);
}

bool Descriptor::Close() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || Calls().close(fd);
}

bool WriteAll(int fd, const std::string &bytes) {
    const char *next = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const long long done = Calls().write(fd, next, left);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return false;
        next += done;
        left -= static_cast<std::size_t>(done);
    }
    return true;
}

namespace {

// Reads from the current position to the end of the file.
bool ReadAll(int fd, std::string &bytes) {
    static constexpr std::size_t kBlock = 64 * 1024;
    std::size_t used = 0;
    for (;;) {
        bytes.resize(used + kBlock);
        const long long done = Calls().read(fd, &bytes[used], kBlock);
        if (done < 0 && errno == EINTR) continue;
        if (done < 0) return false;
        if (done == 0) break;
        used += static_cast<std::size_t>(done);
    }
    bytes.resize(used);
    return true;
}

// A new file beside target under a name of its own; -1 (errno set) when
// the folder takes none.
int CreateTemporary(const std::string &target, bool private_file, std::string &name) {
    static std::atomic<unsigned> counter{0};
    const std::string stem = os::TemporaryStem(target) + "." + std::to_string(os::ProcessId());
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = stem + "." + std::to_string(++counter) + ".tmp";
        const int fd = Calls().create_new(name, private_file);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

// True when the check asks for a file that the target, as now seen, is not
// (a missing target is never the file asked for).
bool TargetChanged(const std::optional<FileStamp> &now, const ReplaceCheck *check) {
    return check && check->expected && now != check->expected;
}

void NoteWritten(int fd, ReplaceCheck *check) {
    if (check) check->written = Calls().stamp_of(fd);
}

// Makes the file at fd hold exactly bytes, on the disk.
bool Overwrite(int fd, const std::string &bytes) {
    const FileCalls &calls = Calls();
    return calls.rewind(fd) && WriteAll(fd, bytes) && calls.set_length(fd, bytes.size()) &&
           calls.sync(fd);
}

// The text goes to the new file fd beside the target, which then takes the
// target's place; on any failure the new file goes and the target stays.
// The new file is given the target's permissions only once it is complete.
bool ReplaceThroughTemporary(Descriptor &fd, const std::string &temporary,
                             const std::string &target, bool replacing, const std::string &text,
                             ReplaceCheck *check) {
    const FileCalls &calls = Calls();
    bool ok = WriteAll(fd.get(), text) && (!replacing || calls.give_mode(fd.get(), target)) &&
              calls.sync(fd.get());
    if (ok) NoteWritten(fd.get(), check);
    ok = fd.Close() && ok;
    // Checked as late as possible, so that a change made meanwhile is seen.
    ok = ok && !TargetChanged(calls.stamp_at(target), check);
    ok = ok && calls.move_over(temporary, target);
    if (!ok) calls.remove(temporary);
    return ok;
}

// Puts the original bytes back after a failure that may have changed some.
void PutBack(const std::string &target, const std::string &original) {
    Descriptor fd(Calls().open_existing(target, false));
    if (fd.ok() && Overwrite(fd.get(), original)) fd.Close();
}

// When the folder takes no new file, the text is written over the target
// itself. Its bytes are read first and the final size reserved, so that
// lack of space fails before anything changes; a failure after that puts
// the original back.
bool RewriteInPlace(const std::string &target, const std::string &text, ReplaceCheck *check) {
    const FileCalls &calls = Calls();
    std::string original;
    {
        Descriptor fd(calls.open_existing(target, true));
        if (!fd.ok() || TargetChanged(calls.stamp_of(fd.get()), check) ||
            !ReadAll(fd.get(), original))
            return false;
        if (!calls.reserve(fd.get(), text.size())) {
            // A reservation that failed part of the way may have made the
            // file longer.
            calls.set_length(fd.get(), original.size());
            return false;
        }
        if (Overwrite(fd.get(), text)) {
            NoteWritten(fd.get(), check);
            if (fd.Close()) return true;
        }
    }
    PutBack(target, original);
    return false;
}

// A device or pipe is written, not replaced; there is nothing to put back.
bool WriteStream(const std::string &target, const std::string &text, ReplaceCheck *check) {
    const FileCalls &calls = Calls();
    Descriptor fd(calls.open_existing(target, false));
    if (!fd.ok() || TargetChanged(calls.stamp_of(fd.get()), check)) return false;
    const bool ok = WriteAll(fd.get(), text) && calls.sync(fd.get());
    if (ok) NoteWritten(fd.get(), check);
    return fd.Close() && ok;
}

} // namespace

Replaced ReplaceFile(const std::string &target, const std::string &bytes, ReplaceCheck *check,
                     InPlace in_place) {
    const Target found = Calls().inspect(target);
    if (found == Target::kRefused) return Replaced::kFailed;
    if (found == Target::kStream)
        return WriteStream(target, bytes, check) ? Replaced::kDone : Replaced::kFailed;
    const bool replacing = found == Target::kFile;
    std::string temporary;
    // Private while it fills: only a file that replaces another has
    // permissions to keep; a new one is made as the system makes files.
    Descriptor fd(CreateTemporary(target, replacing, temporary));
    bool ok = false;
    if (fd.ok())
        ok = ReplaceThroughTemporary(fd, temporary, target, replacing, bytes, check);
    else if (in_place == InPlace::kRefuse)
        return Replaced::kNoNewFile; // errno says why
    else if (replacing && (errno == EACCES || errno == EPERM))
        ok = RewriteInPlace(target, bytes, check);
    return ok ? Replaced::kDone : Replaced::kFailed;
}

std::optional<unsigned long> TemporaryOwner(const std::string &target, const std::string &path) {
    const std::string stem = os::TemporaryStem(target) + ".";
    static const std::string kEnd = ".tmp";
    if (path.size() <= stem.size() + kEnd.size() || path.compare(0, stem.size(), stem) != 0 ||
        path.compare(path.size() - kEnd.size(), kEnd.size(), kEnd) != 0)
        return std::nullopt;
    // What lies between is "PID.N", both decimal.
    const std::string middle = path.substr(stem.size(), path.size() - stem.size() - kEnd.size());
    const std::size_t dot = middle.find('.');
    const auto decimal = [](const std::string &digits) {
        return !digits.empty() && digits.size() < 19 &&
               digits.find_first_not_of("0123456789") == std::string::npos;
    };
    if (dot == std::string::npos || !decimal(middle.substr(0, dot)) ||
        !decimal(middle.substr(dot + 1)))
        return std::nullopt;
    const unsigned long long pid = std::stoull(middle.substr(0, dot));
    if (pid > std::numeric_limits<unsigned long>::max()) return std::nullopt;
    return static_cast<unsigned long>(pid);
}

bool ReplaceTextFile(const char *path, const std::function<void(TextWriter &)> &produce,
                     ReplaceCheck *check) {
    if (!path || !*path) return false;
    try {
        TextWriter text;
        produce(text);
        return text.ok() && ReplaceFile(FinalTarget(path), text.bytes(), check,
                                        InPlace::kRewrite) == Replaced::kDone;
    } catch (...) {
        return false; // memory ran out; nothing was changed
    }
}

} // namespace confkit::platform
