// The lock protocol of the programs that edit a configuration file, so that
// writers take turns and readers never see a half-made change:
//
//   - the lock is flock(2) on the file FILE.lock beside the configuration
//     FILE (a save renames a new file over FILE, so FILE itself cannot carry
//     the lock);
//   - a writer holds an exclusive lock for its whole open, edit and write; a
//     reader holds a shared lock while it reads;
//   - only writers create FILE.lock (mode 0644), and nobody deletes it;
//     readers open it read-only;
//   - a reader that cannot open the lock (no writer made it yet, or it
//     belongs to another user) reads without it: the library's own check at
//     write time still refuses to overwrite a file that changed;
//   - nothing is created beside a configuration that does not exist.
//
// Other tools join the protocol by doing the same.
#ifndef TOOLS_COMMON_CONFIG_LOCK_H
#define TOOLS_COMMON_CONFIG_LOCK_H

#include <stdexcept>
#include <string>

namespace configlock {

// The configuration is missing, or a writer could not take the lock. The
// message names the file and the cause.
class LockError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

enum class Mode { Read, Write };

std::string LockPath(const std::string &config);

class ConfigLock {
  public:
    // Checks that config exists (without creating it) and takes the lock;
    // blocks while another program holds it against this mode. Throws
    // LockError when the configuration is missing or a writer cannot lock.
    ConfigLock(const std::string &config, Mode mode);
    ~ConfigLock();
    ConfigLock(const ConfigLock &) = delete;
    ConfigLock &operator=(const ConfigLock &) = delete;

    // False for a reader that reads without the lock.
    bool held() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

} // namespace configlock

#endif
