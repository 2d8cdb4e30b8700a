// confctl history: the revisions of a configuration file, read under the
// shared lock; keep stores how many are kept, under the exclusive lock.
#include "command.h"

#include "config_lock.h"
#include "history_view.h"
#include "preview.h"

#include <optional>

namespace confctl {

namespace {

struct HistoryOptions {
    std::string file;
    std::size_t revision = 0;
    std::optional<std::size_t> other;
    bool json = false;
};

int List(const HistoryOptions &o) {
    configlock::ConfigLock lock(o.file, configlock::Mode::Read);
    const history::History history(o.file);
    const std::string bytes = preview::ReadFileBytes(o.file);
    Print(o.json ? history::ListJson(history, bytes)
                           .dump(2, ' ', false, nlohmann::json::error_handler_t::replace) +
                       "\n"
                 : history::RenderList(history, bytes));
    return kOk;
}

int Show(const HistoryOptions &o) {
    configlock::ConfigLock lock(o.file, configlock::Mode::Read);
    Print(history::RenderShow(history::History(o.file), o.revision));
    return kOk;
}

int Diff(const HistoryOptions &o) {
    configlock::ConfigLock lock(o.file, configlock::Mode::Read);
    const std::string bytes = o.other ? "" : preview::ReadFileBytes(o.file);
    Print(history::RenderDiff(history::History(o.file), o.revision, o.other, bytes));
    return kOk;
}

int Verify(const HistoryOptions &o) {
    configlock::ConfigLock lock(o.file, configlock::Mode::Read);
    const history::History history(o.file);
    const history::Verification verification = history.Verify();
    for (const std::string &problem : verification.problems)
        Print(history.folder() + ": " + problem + "\n");
    Print("head: " + (verification.head.empty() ? "none" : verification.head) + "\n");
    return verification.ok() ? kOk : kFound;
}

int Keep(const HistoryOptions &o) {
    configlock::ConfigLock lock(o.file, configlock::Mode::Write);
    history::History(o.file).SetKeep(o.revision);
    return kOk;
}

struct Verb {
    const char *name;
    const char *description;
    int (*action)(const HistoryOptions &);
    const char *number; // the description of N, nullptr when the verb takes none
};

} // namespace

void AddHistoryCommands(CLI::App &app, Runner &run) {
    CLI::App *group = AddGroup(app, "history", "Read the revisions recorded of the file's saves");
    const Verb verbs[] = {
        {"list",
         "List the revisions, newest first; a note comes first when the file was changed "
         "outside",
         List, nullptr},
        {"show", "Print the diff of revision N against the revision before it", Show, "revision"},
        {"diff", "Print the diff from revision N to revision M, or to the file when M is left out",
         Diff, "revision"},
        {"verify",
         "Check the chain of log entries and the revisions' copies, and print the head digest "
         "(exit status 1 when something is wrong)",
         Verify, nullptr},
        {"keep", "Keep the last N revisions (50 by default); the next save prunes older ones", Keep,
         "number of revisions"},
    };
    for (const Verb &verb : verbs) {
        auto options = std::make_shared<HistoryOptions>();
        CLI::App *sub = AddFileCommand(*group, verb.name, verb.description, options->file);
        if (verb.number) sub->add_option("N", options->revision, verb.number)->required();
        if (verb.action == Diff) sub->add_option("M", options->other, "revision to compare with");
        if (verb.action == List) sub->add_flag("--json", options->json, "print the list as JSON");
        RunWith(sub, run, options, verb.action);
    }
}

} // namespace confctl
