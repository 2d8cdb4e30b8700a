// confctl restore: makes the file hold exactly the bytes of one of its
// revisions, as an edit under the exclusive lock that is recorded as a new
// revision.
#include "command.h"
#include "shown_edit.h"

namespace confctl {

namespace {

struct RestoreOptions {
    std::string file;
    std::size_t revision = 0;
    ChangeOutput output;
};

int Restore(const RestoreOptions &o) {
    ShownEdit session(o.file, o.output);
    std::string bytes;
    try {
        bytes = session.History().Revision(o.revision);
    } catch (const history::Error &e) {
        throw Failure(o.file + ": cannot restore: " + e.what());
    }
    return session.FinishBytes(bytes, "restore of revision " + std::to_string(o.revision));
}

} // namespace

void AddRestoreCommand(CLI::App &app, Runner &run) {
    auto options = std::make_shared<RestoreOptions>();
    CLI::App *sub = AddFileCommand(app, "restore",
                                   "Make the file byte for byte equal to revision N of its history",
                                   options->file);
    sub->add_option("N", options->revision, "the revision")->required();
    AddChangeOptions(sub, options->output);
    RunWith(sub, run, options, Restore);
}

} // namespace confctl
