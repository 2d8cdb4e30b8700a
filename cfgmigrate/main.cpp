// cfgmigrate: carries the proxy server's settings out of tarhttp.cfg into the
// server. Takes no arguments, prints nothing; the exit status tells the outcome.
#include "migration.h"

int main() {
    return cfgmigrate::RunMigration();
}
