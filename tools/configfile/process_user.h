// Who runs this program, as the history records it.
#ifndef TOOLS_CONFIGFILE_PROCESS_USER_H
#define TOOLS_CONFIGFILE_PROCESS_USER_H

#include <string>

namespace processuser {

// The name of the process's user ("uid N" when it has none); for root run
// through sudo, also the user who ran sudo: "root (sudo: alice)".
std::string Name();

} // namespace processuser

#endif
