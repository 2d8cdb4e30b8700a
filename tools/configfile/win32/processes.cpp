#include "system_calls.h"

#include <windows.h>

namespace syscalls {

// A process that cannot be opened for want of rights runs all the same;
// one that is gone cannot be opened at all.
bool ProcessRuns(unsigned long pid) {
    if (pid == 0) return true; // not ours to judge
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!process) return GetLastError() != ERROR_INVALID_PARAMETER;
    DWORD code = 0;
    const bool runs = !GetExitCodeProcess(process, &code) || code == STILL_ACTIVE;
    CloseHandle(process);
    return runs;
}

} // namespace syscalls
