// The lock protocol of the programs that edit a configuration file, so that
// writers take turns and readers never see a half-made change:
//
//   - the configuration FILE is first resolved to the file it names: the
//     real path of its folder and the name of the file its symbolic links
//     finally lead to, so that every path to one file takes one lock; it
//     must be a regular file, or nothing is made beside it;
//   - the lock is flock(2) (LockFileEx on Windows, over the whole file) on
//     FILE.lock beside that file (a save renames a new file over FILE, so
//     FILE itself cannot carry the lock); once the lock is held the path
//     is resolved again, and when it now leads to another file the lock is
//     let go and taken beside that one;
//   - a writer holds an exclusive lock for its whole open, edit and write; a
//     reader holds a shared lock while it reads;
//   - the lock is opened without following a symbolic link and without
//     waiting on a pipe, and must be a regular file: a writer refuses any
//     other, a reader reads without it;
//   - only writers create FILE.lock (mode 0644), and nobody deletes it;
//     readers open it read-only;
//   - a reader that cannot open the lock (no writer made it yet, or it
//     belongs to another user) reads without it: the library's own check at
//     write time still refuses to overwrite a file that changed;
//   - nobody waits for the lock longer than a set time (30 s unless told
//     otherwise), and gives up saying so;
//   - nothing is created beside a configuration that does not exist.
//
// Other tools join the protocol by doing the same.
#ifndef TOOLS_CONFIGFILE_CONFIG_LOCK_H
#define TOOLS_CONFIGFILE_CONFIG_LOCK_H

#include <chrono>
#include <stdexcept>
#include <string>

namespace configlock {

// The configuration is missing or no regular file, or a writer could not
// take the lock. The message names the file and the cause.
class LockError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Another program held the lock for longer than the wait.
class LockBusy : public LockError {
  public:
    using LockError::LockError;
};

enum class Mode { Read, Write };

constexpr std::chrono::seconds kDefaultWait{30};

// The regular file that config names, as the real path of its folder and the
// name of the file its links lead to. Throws LockError naming config when it
// is missing or not a regular file.
std::string CanonicalTarget(const std::string &config);

// The lock file of config: beside its canonical target.
std::string LockPath(const std::string &config);

class ConfigLock {
  public:
    // Checks that config is a regular file (without creating anything) and
    // takes the lock, waiting at most wait while another program holds it
    // against this mode. Throws LockBusy when the wait ran out, LockError
    // when the configuration is missing or not a regular file, or a writer
    // cannot lock.
    ConfigLock(const std::string &config, Mode mode, std::chrono::seconds wait = kDefaultWait);
    ~ConfigLock();
    ConfigLock(const ConfigLock &) = delete;
    ConfigLock &operator=(const ConfigLock &) = delete;

    // The canonical target the lock guards, which a writer saves.
    const std::string &target() const { return target_; }
    // False for a reader that reads without the lock.
    bool held() const { return fd_ >= 0; }

  private:
    void Release();

    std::string target_;
    int fd_ = -1;
};

} // namespace configlock

#endif
