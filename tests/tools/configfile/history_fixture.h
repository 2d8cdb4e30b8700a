// A configuration file in a temporary folder with its history, saved the
// way a program that records does.
#ifndef TESTS_TOOLS_CONFIGFILE_HISTORY_FIXTURE_H
#define TESTS_TOOLS_CONFIGFILE_HISTORY_FIXTURE_H

#include "files.h"
#include "history.h"
#include "history_files.h"

#include <map>
#include <optional>
#include <string>

struct HistoryFixture {
    testsupport::TempDir dir;
    std::string path = dir.File("proxy.conf");
    history::History history{path};

    explicit HistoryFixture(const std::string &bytes = "Port 80\n") {
        testsupport::WriteFile(path, bytes);
    }

    std::optional<std::size_t> Save(const std::string &after,
                                    const history::Save &save = {"alice", "confctl", "edit"}) {
        const std::string before = testsupport::ReadFile(path);
        return history.Record(
            before, after, save, [&] { testsupport::WriteFile(path, after); },
            [&](const std::string &bytes) { testsupport::WriteFile(path, bytes); });
    }

    // The file's bytes, whether the history's folder is there, and every
    // file in it, by name.
    std::map<std::string, std::string> State() const {
        std::map<std::string, std::string> state{{"", testsupport::ReadFile(path)}};
        if (testsupport::FileExists(history.folder())) state["."] = "the folder";
        for (const std::string &name : history::files::Names(history.folder()))
            state[name] = testsupport::ReadFile(history.folder() + "/" + name);
        return state;
    }

    std::string Log() const { return testsupport::ReadFile(history.folder() + "/log"); }
};

#endif
