// Running a command line through the command interpreter named by COMSPEC,
// with "/c", as the system's own C runtime does; "cmd.exe", found along the
// usual search path, when COMSPEC is unset or names nothing that starts.
#include "platform/platform.h"

#include <windows.h>

#include <string>
#include <vector>

namespace cfgmigrate::platform {

namespace {

constexpr char kDefaultInterpreter[] = "cmd.exe";

std::string EnvironmentValue(const char *name) {
    const DWORD size = GetEnvironmentVariableA(name, nullptr, 0);
    if (size == 0) return std::string();
    std::vector<char> value(size);
    const DWORD length = GetEnvironmentVariableA(name, value.data(), size);
    return length > 0 && length < size ? std::string(value.data(), length) : std::string();
}

// Starts `interpreter /c command_line` and waits for it. False when it
// could not be started; otherwise status is its exit status, or -1 when it
// could not be waited for.
bool RunThrough(const std::string &interpreter, bool by_path, const char *command_line,
                int &status) {
    // The interpreter's name is quoted, so a COMSPEC with blanks in it works.
    std::string line = "\"" + interpreter + "\" /c " + command_line;
    std::vector<char> writable(line.begin(), line.end());
    writable.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // With no application name the system searches for it as a command does.
    const char *application = by_path ? nullptr : interpreter.c_str();
    if (!CreateProcessA(application, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    DWORD exit_code = 0;
    const bool waited = WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0 &&
                        GetExitCodeProcess(process.hProcess, &exit_code);
    CloseHandle(process.hProcess);
    status = waited ? static_cast<int>(exit_code) : -1;
    return true;
}

} // namespace

int RunCommand(const char *command_line) {
    if (!command_line) return -1;
    try {
        int status = -1;
        // The command runs once: the fallback only when nothing started.
        const std::string comspec = EnvironmentValue("COMSPEC");
        if (!comspec.empty() && RunThrough(comspec, false, command_line, status)) return status;
        if (RunThrough(kDefaultInterpreter, true, command_line, status)) return status;
        return -1;
    } catch (...) {
        return -1;
    }
}

} // namespace cfgmigrate::platform
