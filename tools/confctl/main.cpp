// confctl: inspect and edit the proxy's configuration file from scripts.
#include "command.h"
#include "system_calls.h"

#include <cstdio>
#include <exception>

namespace {

int Run(int argc, char **argv) {
    CLI::App app{"Inspect and edit the proxy server's configuration file.\n"
                 "Exit status: 0 success, 1 when check or history verify finds something, 2 on any "
                 "error.",
                 "confctl"};
    // Options are --name on every system: /docs/* is a rule template, not
    // an option (set before the subcommands, which take it over).
    app.allow_windows_style_options(false);
    app.set_version_flag("--version", std::string("confctl ") + CONFKIT_VERSION);
    app.require_subcommand(1);
    app.fallthrough(false);

    confctl::Runner run;
    confctl::AddRuleCommands(app, run);
    confctl::AddBlockCommands(app, run);
    confctl::AddPicsCommands(app, run);
    confctl::AddCheckCommand(app, run);
    confctl::AddRenderCommand(app, run);
    confctl::AddHistoryCommands(app, run);
    confctl::AddRestoreCommand(app, run);

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success &e) {
        return app.exit(e);
    } catch (const CLI::ParseError &e) {
        app.exit(e);
        return confctl::kFailed;
    }
    try {
        int status = run ? run() : confctl::kFailed;
        std::fflush(stdout);
        return status;
    } catch (const std::exception &e) {
        std::fflush(stdout);
        std::fprintf(stderr, "confctl: %s\n", e.what());
        return confctl::kFailed;
    }
}

} // namespace

int main(int argc, char **argv) {
    // Diffs, JSON and the lines read are bytes, passed on as they are.
    syscalls::UseBinaryStdio();
    try {
        return Run(argc, argv);
    } catch (...) { // the set-up itself ran out of memory
        std::fputs("confctl: out of memory\n", stderr);
        return confctl::kFailed;
    }
}
