#include "process_user.h"

#include <cstdlib>

#include <pwd.h>
#include <unistd.h>

namespace processuser {

std::string Name() {
    const uid_t uid = getuid();
    const passwd *entry = getpwuid(uid);
    std::string name = entry ? entry->pw_name : "uid " + std::to_string(uid);
    const char *sudoUser = std::getenv("SUDO_USER");
    if (uid == 0 && sudoUser && *sudoUser) name += std::string(" (sudo: ") + sudoUser + ")";
    return name;
}

} // namespace processuser
