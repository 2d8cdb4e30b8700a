// The program's whole run: locate tarhttp.cfg, read its settings, move it
// aside to <path>.old and run the server's change command with them.
#ifndef CFGMIGRATE_MIGRATION_H
#define CFGMIGRATE_MIGRATION_H

namespace cfgmigrate {

enum ExitStatus : int {
    kStatusDone = 0,
    kStatusNotLocated = 1,
    kStatusNoMemory = 2,
    kStatusCannotOpen = 3,
    kStatusCannotRename = 4,
    kStatusUnsafeValue = 5,
};

// The program's exit status: one of the above, or the change command's own
// status (-1 when it could not be started or did not end normally).
int RunMigration();

} // namespace cfgmigrate

#endif
