#include "leftovers.h"

#include "platform/files.h"

#include <cerrno>
#include <climits>
#include <memory>

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

namespace leftovers {

namespace {

// A process of another user answers EPERM: it runs all the same.
bool Runs(unsigned long pid) {
    if (pid == 0 || pid > static_cast<unsigned long>(INT_MAX)) return true; // not ours to judge
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

} // namespace

void Remove(const std::string &target) {
    // The new files are named from this stem, in the same folder.
    const std::string stem = confkit::platform::os::TemporaryStem(target);
    const std::string prefix = stem.substr(0, stem.find_last_of('/') + 1); // the folder and '/'
    std::unique_ptr<DIR, int (*)(DIR *)> entries(::opendir(prefix.c_str()), ::closedir);
    if (!entries) return;
    const unsigned long self = confkit::platform::os::ProcessId();
    while (const dirent *entry = ::readdir(entries.get())) {
        const std::string path = prefix + entry->d_name;
        const std::optional<unsigned long> owner = confkit::platform::TemporaryOwner(target, path);
        if (owner && *owner != self && !Runs(*owner)) ::unlink(path.c_str());
    }
}

} // namespace leftovers
