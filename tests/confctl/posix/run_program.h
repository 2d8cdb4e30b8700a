// Running confctl on POSIX systems: fork and exec, with pipes for its
// output (see run_confctl.h).
#ifndef CONFCTL_TESTS_RUN_PROGRAM_H
#define CONFCTL_TESTS_RUN_PROGRAM_H

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace confctltest {

// The argument list of exec: command (the program when empty), then args.
// The pointers point into the strings, which must outlive the list.
inline std::vector<char *> Argv(const std::vector<std::string> &command,
                                const std::vector<std::string> &args) {
    std::vector<char *> argv;
    for (const std::string &a : command)
        argv.push_back(const_cast<char *>(a.c_str()));
    if (command.empty()) argv.push_back(const_cast<char *>(CONFCTL_PROGRAM));
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    return argv;
}

// The exit status of a child, 128 + the signal that ended it, or -1 when it
// cannot be waited for.
inline int WaitStatus(pid_t child) {
    int status = 0;
    if (waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// command: when given, the command line that runs confctl (such as setpriv
// with a copy of the program), in place of the program itself.
inline Result Confctl(const std::vector<std::string> &args, const RunOptions &options = {},
                      const std::vector<std::string> &command = {}) {
    char inputPath[] = "/tmp/confctl-input-XXXXXX";
    int input = mkstemp(inputPath);
    if (input < 0 ||
        write(input, options.input.data(), options.input.size()) != ssize_t(options.input.size()))
        throw std::runtime_error("cannot write the input file");
    lseek(input, 0, SEEK_SET);
    unlink(inputPath);
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) throw std::runtime_error("pipe failed");
    std::vector<char *> argv = Argv(command, args);
    std::fflush(nullptr);
    pid_t child = fork();
    if (child == 0) {
        dup2(input, 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (int fd : {input, out[0], out[1], err[0], err[1]})
            close(fd);
        if (options.fileSizeLimit >= 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{rlim_t(options.fileSizeLimit), rlim_t(options.fileSizeLimit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(input);
    close(out[1]);
    close(err[1]);
    Result result;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string *sinks[2] = {&result.out, &result.err};
    int open = 2;
    while (open > 0 && poll(fds, 2, -1) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
            char buffer[4096];
            ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, size_t(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    result.status = WaitStatus(child);
    return result;
}

// Starts confctl with arguments, standard input and output on /dev/null, and
// returns at once; the caller waits for the process. Everything the child
// needs is made before fork, so it only calls exec.
inline pid_t StartConfctl(const std::vector<std::string> &args) {
    std::vector<char *> argv = Argv({}, args);
    std::fflush(nullptr);
    pid_t child = fork();
    if (child == 0) {
        int null = open("/dev/null", O_RDWR);
        for (int fd : {0, 1, 2})
            dup2(null, fd);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return child;
}

#ifdef CONFKIT_LIBRARY
// The command line that runs a copy of confctl and its library, made in
// bin (which every user can reach, wherever the build is), as uid 65534;
// empty unless this runs as root with setpriv at hand.
inline std::vector<std::string> AsNobody(const testsupport::TempDir &bin) {
    if (geteuid() != 0 || access("/usr/bin/setpriv", X_OK) != 0) return {};
    if (chmod(bin.path().c_str(), 0755) != 0 ||
        std::system(
            ("cp '" CONFCTL_PROGRAM "' '" CONFKIT_LIBRARY "' '" + bin.path() + "'").c_str()) != 0 ||
        rename((bin.path() + "/" CONFKIT_LIBRARY_NAME).c_str(), bin.File(CONFKIT_SONAME).c_str()) !=
            0)
        throw std::runtime_error("cannot copy confctl to " + bin.path());
    return {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534",
            "--clear-groups",   "/usr/bin/env",  "LD_LIBRARY_PATH=" + bin.path(),
            bin.File("confctl")};
}
#endif

// The names of the entries of a folder, "." and ".." left out.
inline std::vector<std::string> FolderEntries(const std::string &path) {
    std::vector<std::string> names;
    std::unique_ptr<std::FILE, int (*)(std::FILE *)> ls(
        popen(("ls -A '" + path + "'").c_str(), "r"), pclose);
    char line[4096];
    while (ls && std::fgets(line, sizeof line, ls.get())) {
        std::string name = line;
        if (!name.empty() && name.back() == '\n') name.pop_back();
        names.push_back(name);
    }
    return names;
}

// The name of the user this runs as, from the user database.
inline std::string ProcessUser() {
    const passwd *entry = getpwuid(getuid());
    return entry ? entry->pw_name : "uid " + std::to_string(getuid());
}

} // namespace confctltest

#endif
