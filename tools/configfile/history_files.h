// The file operations the history of a configuration file is kept with.
// Each operation that recording a revision takes goes through
// a fault seam, so that a test can make any step fail in turn.
#ifndef TOOLS_CONFIGFILE_HISTORY_FILES_H
#define TOOLS_CONFIGFILE_HISTORY_FILES_H

#include "system_calls.h"

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace history::files {

// The steps that recording takes, in their order.
enum class Op {
    MakeFolder,
    CreateCopy,
    WriteCopy,
    SyncCopy,
    RenameCopy,
    OpenLog,
    AppendLog,
    SyncLog,
    SyncFolder,
};
inline constexpr int kOpCount = static_cast<int>(Op::SyncFolder) + 1;

// Test seam: while set, an operation for which the hook returns true fails
// as if the system had said EIO. An empty hook restores the real calls.
void SetFaultHook(std::function<bool(Op)> hook);

// Who owns the configuration file and its permission bits: what the files
// of its history are given, no wider (on Windows, nothing: see
// system_calls.h).
using Owner = syscalls::Owner;
Owner OwnerOf(const std::string &path); // throws std::runtime_error

// All failures below throw std::runtime_error naming the file and the cause.

// Makes the folder when it is missing; true when this call made it.
bool MakeFolder(const std::string &folder, const Owner &owner);
// Writes bytes as the file name in its folder: a private temporary file,
// synced, given the owner's mode and then renamed over name.
void WriteWhole(const std::string &name, const std::string &bytes, const Owner &owner);
// Appends text in one go (O_APPEND), syncs it and then the folder. The log
// is made when missing.
void Append(const std::string &log, const std::string &text, const Owner &owner);
// Puts the folder's entries on the disk.
void SyncFolder(const std::string &folder);

// The whole file; nullopt when it does not exist.
std::optional<std::string> ReadIfPresent(const std::string &path);
// Size of the file, 0 when missing.
off_t SizeOf(const std::string &path);
// Cuts the file to size bytes (removes it when size is 0 and removeEmpty).
void CutTo(const std::string &path, off_t size, bool removeEmpty);
// The names in a folder (none when it is missing).
std::vector<std::string> Names(const std::string &folder);
// Removes a file, or a folder with what is in it; a missing one is no error.
void RemoveQuietly(const std::string &path);

// Names of temporary files that WriteWhole makes and leaves when it is cut
// short.
bool IsTemporaryName(const std::string &name);

} // namespace history::files

#endif
