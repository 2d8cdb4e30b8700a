// The new files that saves leave beside a configuration when their process
// ends before the save does (killed, or the machine stopped).
#ifndef TOOLS_CONFIGFILE_LEFTOVERS_H
#define TOOLS_CONFIGFILE_LEFTOVERS_H

#include <string>

namespace leftovers {

// Removes the new files of saves of target whose process no longer runs.
// Call it under the exclusive lock of target. Files it cannot remove stay:
// they cost room, not correctness.
void Remove(const std::string &target);

} // namespace leftovers

#endif
