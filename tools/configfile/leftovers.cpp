#include "leftovers.h"

#include "common/platform/files.h"
#include "system_calls.h"

#include <filesystem>
#include <memory>

#include <dirent.h>
#include <unistd.h>

namespace leftovers {

void Remove(const std::string &target) {
    // The new files are named from this stem, in the same folder.
    const std::string stem = confkit::platform::os::TemporaryStem(target);
    // The folder and its separator ('/', or '\\' on Windows).
    const std::string prefix = std::filesystem::path(stem).remove_filename().string();
    std::unique_ptr<DIR, int (*)(DIR *)> entries(::opendir(prefix.c_str()), ::closedir);
    if (!entries) return;
    const unsigned long self = confkit::platform::os::ProcessId();
    while (const dirent *entry = ::readdir(entries.get())) {
        const std::string path = prefix + entry->d_name;
        const std::optional<unsigned long> owner = confkit::platform::TemporaryOwner(target, path);
        if (owner && *owner != self && !syscalls::ProcessRuns(*owner)) ::unlink(path.c_str());
    }
}

} // namespace leftovers
