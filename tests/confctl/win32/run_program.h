// Running confctl on Windows: CreateProcess, with its standard input read
// from a file and its output written to files, read once it has ended (see
// run_confctl.h).
#ifndef CONFCTL_TESTS_RUN_PROGRAM_H
#define CONFCTL_TESTS_RUN_PROGRAM_H

#include <algorithm>
#include <filesystem>
#include <stdexcept>

namespace confctltest {

// One argument as the C runtime splits a command line: quoted, with the
// backslashes before a quote (or before the closing quote) doubled.
inline std::string Quoted(const std::string &arg) {
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    return quoted.append(2 * backslashes, '\\') + "\"";
}

// A file the child inherits as one of its standard handles.
class InheritedFile {
  public:
    InheritedFile(const std::string &path, DWORD access, DWORD disposition) : path_(path) {
        SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        handle_ = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                              disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle_ == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
    }
    ~InheritedFile() { CloseHandle(handle_); }
    InheritedFile(const InheritedFile &) = delete;
    InheritedFile &operator=(const InheritedFile &) = delete;
    HANDLE get() const { return handle_; }

  private:
    std::string path_;
    HANDLE handle_;
};

// command: when given, the command line that runs confctl, in place of the
// program itself.
inline Result Confctl(const std::vector<std::string> &args, const RunOptions &options = {},
                      const std::vector<std::string> &command = {}) {
    if (options.fileSizeLimit >= 0) throw std::runtime_error("Windows has no file size limits");
    testsupport::TempDir io;
    testsupport::WriteFile(io.File("in"), options.input);
    Result result;
    {
        InheritedFile in(io.File("in"), GENERIC_READ, OPEN_EXISTING);
        InheritedFile out(io.File("out"), GENERIC_WRITE, CREATE_ALWAYS);
        InheritedFile err(io.File("err"), GENERIC_WRITE, CREATE_ALWAYS);
        std::string line;
        for (const std::string &a :
             command.empty() ? std::vector<std::string>{CONFCTL_PROGRAM} : command)
            line += Quoted(a) + " ";
        for (const std::string &a : args)
            line += Quoted(a) + " ";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = in.get();
        startup.hStdOutput = out.get();
        startup.hStdError = err.get();
        PROCESS_INFORMATION child{};
        std::fflush(nullptr);
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                            &startup, &child))
            throw std::runtime_error("cannot start " + line);
        DWORD code = 0;
        if (WaitForSingleObject(child.hProcess, INFINITE) == WAIT_OBJECT_0 &&
            GetExitCodeProcess(child.hProcess, &code))
            result.status = static_cast<int>(code);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }
    result.out = testsupport::ReadFile(io.File("out"));
    result.err = testsupport::ReadFile(io.File("err"));
    return result;
}

// There is no other user to run it as.
inline std::vector<std::string> AsNobody(const testsupport::TempDir &) {
    return {};
}

// The names of the entries of a folder, in order.
inline std::vector<std::string> FolderEntries(const std::string &path) {
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The name of the user this runs as, as the environment has it.
inline std::string ProcessUser() {
    const char *name = std::getenv("USERNAME");
    return name ? name : "";
}

} // namespace confctltest

#endif
