#include "system_calls.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace syscalls {

// Where the group cannot be given, the group bits go: they would let another
// group read what only the file's group may. The owner keeps the right to
// read and write what it made, and a folder can be entered where it can be
// read.
void Give(int fd, const Owner &owner, bool folder) {
    const uid_t uid = static_cast<uid_t>(owner.uid);
    const gid_t gid = static_cast<gid_t>(owner.gid);
    const bool group =
        ::fchown(fd, uid, gid) == 0 || ::fchown(fd, static_cast<uid_t>(-1), gid) == 0;
    mode_t mode = (static_cast<mode_t>(owner.mode) & 0666) | S_IRUSR | S_IWUSR;
    if (!group) mode &= ~static_cast<mode_t>(S_IRWXG);
    if (folder) mode |= (mode & 0444) >> 2;
    ::fchmod(fd, mode);
}

int Open(const std::string &path, int flags, int mode) {
    return ::open(path.c_str(), flags | O_CLOEXEC, mode);
}

bool Sync(int fd) {
    return ::fsync(fd) == 0;
}

bool SyncFolder(const std::string &folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

bool MakeFolder(const std::string &folder, const Owner &owner) {
    if (::mkdir(folder.c_str(), 0700) != 0) return false;
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        ::rmdir(folder.c_str());
        errno = error;
        return false;
    }
    Give(fd, owner, true);
    ::close(fd);
    return true;
}

bool Rename(const std::string &from, const std::string &to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

} // namespace syscalls
