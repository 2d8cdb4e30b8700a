// Running the command line through the system shell, as the command
// interpreter of the product's own system would run it.
#include "platform/platform.h"

#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace cfgmigrate::platform {

int RunCommand(const char *command_line) {
    if (!command_line) return -1;
    char shell[] = "/bin/sh";
    char dash_c[] = "-c";
    char *argv[] = {shell, dash_c, const_cast<char *>(command_line), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, shell, nullptr, nullptr, argv, environ) != 0) return -1;
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace cfgmigrate::platform
