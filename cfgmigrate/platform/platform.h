// What cfgmigrate asks of the operating system: the registry (read only),
// text-mode files, renaming a file without replacing its target, and running
// a command line through the command interpreter. Paths are given in the
// product's own form (backslash separators); each implementation reads them
// the way its system does. None of these operations throws.
#ifndef CFGMIGRATE_PLATFORM_H
#define CFGMIGRATE_PLATFORM_H

#include <cstdint>
#include <memory>
#include <string>

namespace cfgmigrate::platform {

// Registry results, numbered as the system's own error codes.
using RegistryResult = long;
constexpr RegistryResult kRegistrySuccess = 0;
constexpr RegistryResult kRegistryNotFound = 2;
constexpr RegistryResult kRegistryInvalidHandle = 6;
constexpr RegistryResult kRegistryNoMemory = 14;
constexpr RegistryResult kRegistryMoreData = 234;
constexpr RegistryResult kRegistryNotAString = 1630;

struct RegistryKeyHandle;
using RegistryKey = RegistryKeyHandle *;

// The predefined local-machine root; it needs no closing.
RegistryKey LocalMachineKey();

// Opens subkey (a backslash-separated path, compared ignoring case) under
// parent for reading. A missing key fails with kRegistryNotFound.
RegistryResult RegistryOpenKey(RegistryKey parent, const char *subkey, RegistryKey *opened);

// Reads the string value name (null or "" for the key's default value).
// *size is the room in data on entry and the value's size, terminator
// included, on return. With data null only the size is reported; a data
// area that is too small fails with kRegistryMoreData.
RegistryResult RegistryQueryString(RegistryKey key, const char *name, char *data,
                                   std::uint32_t *size);

RegistryResult RegistryCloseKey(RegistryKey key);

// A text file opened for reading in text mode: CR LF is read as "\n" and a
// byte 0x1A ends the file.
class TextFile;
struct TextFileCloser {
    void operator()(TextFile *file) const;
};
using TextFilePtr = std::unique_ptr<TextFile, TextFileCloser>;

// Null when the file cannot be opened for reading, or is not a file (see
// os::OpenBytes).
TextFilePtr OpenTextFile(const char *path);

enum class ReadStatus { kLine, kEnd, kError };

// Reads the next whole line, without its "\n", into line. kEnd once the
// file is exhausted; kError on a hard read error.
ReadStatus ReadTextLine(TextFile &file, std::string &line);

// Renames from to to as one step; fails, changing nothing, when to exists.
bool RenameNoReplace(const char *from, const char *to);

// Runs command_line through the command interpreter and waits for it:
// its exit status, or -1 when it could not be started or did not exit.
int RunCommand(const char *command_line);

} // namespace cfgmigrate::platform

#endif
