#include "migration.h"

#include "allocation.h"
#include "lookup.h"
#include "platform/platform.h"
#include "settings.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

namespace cfgmigrate {
namespace {

constexpr const char *kSettingsFileName = "tarhttp.cfg";
constexpr char kOldSuffix[] = ".old";

struct FreeDeleter {
    void operator()(char *p) const { std::free(p); }
};
using HeapText = std::unique_ptr<char, FreeDeleter>;

// Everything up to the rename. Fills command and the two paths, or returns
// the status that ends the run.
int Prepare(HeapText &path, HeapText &old_path, std::string &command) {
    int path_size = LookupMappedFile(kSettingsFileName, nullptr, 0, nullptr);
    if (path_size == 0) return kStatusNotLocated;
    path.reset(AllocateZeroed(static_cast<std::size_t>(path_size)));
    if (!path) return kStatusNoMemory;
    // The map may have changed since the first call; only the same size fits.
    if (LookupMappedFile(kSettingsFileName, path.get(), path_size, nullptr) != path_size)
        return kStatusNotLocated;

    Settings settings;
    {
        platform::TextFilePtr file = platform::OpenTextFile(path.get());
        // A settings file read only in part is as unreadable as a missing one.
        if (!file || !ReadSettings(*file, settings)) return kStatusCannotOpen;
    }
    if (!SettingsAreSafe(settings)) return kStatusUnsafeValue;
    command = BuildChangeCommand(settings);

    old_path.reset(AllocateZeroed(static_cast<std::size_t>(path_size) + sizeof kOldSuffix - 1));
    if (!old_path) return kStatusNoMemory;
    std::strcpy(old_path.get(), path.get());
    std::strcat(old_path.get(), kOldSuffix);
    return kStatusDone;
}

} // namespace

int RunMigration() {
    HeapText path;
    HeapText old_path;
    std::string command;
    try {
        int status = Prepare(path, old_path, command);
        if (status != kStatusDone) return status;
    } catch (const std::bad_alloc &) {
        return kStatusNoMemory; // nothing has been renamed or run yet
    }
    if (!platform::RenameNoReplace(path.get(), old_path.get())) return kStatusCannotRename;
    int command_status = platform::RunCommand(command.c_str());
    return command_status == 1 ? kStatusDone : command_status;
}

} // namespace cfgmigrate
