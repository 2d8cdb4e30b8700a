#include "history_files.h"

#include "system_calls.h"

#include "common/platform/files.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace history::files {

namespace {

std::function<bool(Op)> &Hook() {
    static std::function<bool(Op)> hook;
    return hook;
}

// True (errno EIO) when the test seam makes op fail.
bool Injected(Op op) {
    if (!Hook() || !Hook()(op)) return false;
    errno = EIO;
    return true;
}

[[noreturn]] void Fail(const std::string &what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

using confkit::platform::Descriptor;
using confkit::platform::WriteAll;

void SyncParent(const std::string &path) {
    const std::string parent = std::filesystem::path(path).parent_path().string();
    syscalls::SyncFolder(parent.empty() ? "." : parent);
}

constexpr char kTemporaryStart[] = ".tmp-";

std::string TemporaryName(const std::string &name) {
    static std::atomic<unsigned> counter{0};
    const std::filesystem::path path(name);
    return (path.parent_path() /
            (kTemporaryStart + std::to_string(::getpid()) + "-" + std::to_string(++counter)))
        .string();
}

} // namespace

void SetFaultHook(std::function<bool(Op)> hook) {
    Hook() = std::move(hook);
}

Owner OwnerOf(const std::string &path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) Fail(path);
    return {static_cast<unsigned long>(st.st_uid), static_cast<unsigned long>(st.st_gid),
            static_cast<unsigned>(st.st_mode & 07777)};
}

bool MakeFolder(const std::string &folder, const Owner &owner) {
    if (Injected(Op::MakeFolder)) Fail("cannot make " + folder);
    if (!syscalls::MakeFolder(folder, owner)) {
        struct stat st {};
        if (errno == EEXIST && ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            return false;
        Fail("cannot make " + folder);
    }
    SyncParent(folder);
    return true;
}

void WriteWhole(const std::string &name, const std::string &bytes, const Owner &owner) {
    const std::string temporary = TemporaryName(name);
    Descriptor fd(
        Injected(Op::CreateCopy) ? -1 : syscalls::Open(temporary, O_WRONLY | O_CREAT | O_EXCL));
    if (fd.get() < 0) Fail("cannot make a file in the history: " + temporary);
    auto failed = [&](const char *what) {
        const int error = errno;
        fd.Close();
        ::unlink(temporary.c_str());
        errno = error;
        Fail(std::string("cannot ") + what + " " + temporary);
    };
    syscalls::Give(fd.get(), owner, false);
    if (Injected(Op::WriteCopy) || !WriteAll(fd.get(), bytes)) failed("write");
    if (Injected(Op::SyncCopy) || !syscalls::Sync(fd.get())) failed("sync");
    if (!fd.Close()) failed("close");
    if (Injected(Op::RenameCopy) || !syscalls::Rename(temporary, name)) {
        const int error = errno;
        ::unlink(temporary.c_str());
        errno = error;
        Fail("cannot rename " + temporary + " to " + name);
    }
}

void Append(const std::string &log, const std::string &text, const Owner &owner) {
    const bool existed = ::access(log.c_str(), F_OK) == 0;
    Descriptor fd(Injected(Op::OpenLog) ? -1 : syscalls::Open(log, O_WRONLY | O_APPEND | O_CREAT));
    if (fd.get() < 0) Fail("cannot open " + log);
    if (!existed) syscalls::Give(fd.get(), owner, false);
    if (Injected(Op::AppendLog) || !WriteAll(fd.get(), text)) Fail("cannot write " + log);
    if (Injected(Op::SyncLog) || !syscalls::Sync(fd.get())) Fail("cannot sync " + log);
    if (!fd.Close()) Fail("cannot close " + log);
    SyncFolder(std::filesystem::path(log).parent_path().string());
}

void SyncFolder(const std::string &folder) {
    if (Injected(Op::SyncFolder) || !syscalls::SyncFolder(folder)) Fail("cannot sync " + folder);
}

std::optional<std::string> ReadIfPresent(const std::string &path) {
    Descriptor fd(syscalls::Open(path, O_RDONLY));
    if (fd.get() < 0) {
        if (errno == ENOENT) return std::nullopt;
        Fail(path);
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) Fail(path);
        if (n == 0) return bytes;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

off_t SizeOf(const std::string &path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_size : 0;
}

void CutTo(const std::string &path, off_t size, bool removeEmpty) {
    if (size == 0 && removeEmpty) {
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) Fail("cannot remove " + path);
        return;
    }
    if (::truncate(path.c_str(), size) != 0) Fail("cannot cut " + path);
}

std::vector<std::string> Names(const std::string &folder) {
    std::vector<std::string> names;
    std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir) {
        if (errno == ENOENT) return names;
        Fail(folder);
    }
    while (const dirent *entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    return names;
}

void RemoveQuietly(const std::string &path) {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

bool IsTemporaryName(const std::string &name) {
    return name.rfind(kTemporaryStart, 0) == 0;
}

} // namespace history::files
