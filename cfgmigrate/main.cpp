// cfgmigrate: carries the proxy server's settings out of tarhttp.cfg into the
// server. Takes no arguments, prints nothing; the exit status tells the outcome.
// The one exception, --version, prints the version and exits with 0.
#include "migration.h"

#include <cstdio>
#include <cstring>

int main(int argc, char **argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("cfgmigrate " CONFKIT_VERSION);
        return 0;
    }
    return cfgmigrate::RunMigration();
}
