// What an editing subcommand adds to an edit of the file: the options that
// say how its change is shown, and the save recorded in the file's history.
#ifndef CONFCTL_SHOWN_EDIT_H
#define CONFCTL_SHOWN_EDIT_H

#include "config_edit.h"

#include <CLI/CLI.hpp>

#include <string>

namespace confctl {

// How an editing subcommand shows its change: --dry-run prints it and writes
// nothing, --diff prints it and writes, both as the readable diff unless
// --exact asks for the exact one; --json prints one object {"changed",
// "diff", "readable_diff", "incidental", "loss", "revision", "backup_file",
// "history_head"} in place of the text. An edit whose save would lose text
// besides the change is refused unless --accept-loss says the loss is meant.
// --wait is how long the edit waits for the lock at most; --reason says why
// the change is made, in the file's history.
struct ChangeOutput {
    bool dryRun = false;
    bool diff = false;
    bool json = false;
    bool exact = false;
    bool acceptLoss = false;
    unsigned wait = static_cast<unsigned>(configlock::kDefaultWait.count());
    std::string reason;
};
void AddChangeOptions(CLI::App *sub, ChangeOutput &output);

// An edit (configedit::Editing) whose change is shown as the command line
// asks (ChangeOutput) and whose save the history records with confctl's
// summary.
class ShownEdit {
  public:
    ShownEdit(const std::string &path, const ChangeOutput &output);
    confkit::Document &doc() { return edit_.doc(); }
    // Shows the change as asked, and writes the file when the edit changed
    // the document and this is no dry run, recording the save in the file's
    // history with summary ("add Pass: 2 rules"): an edit that changes
    // nothing leaves the file's bytes and modification time alone. Throws
    // Failure, a dry run too, when the save would lose text that the edit
    // does not touch and the loss is not accepted.
    int Finish(const std::string &summary);
    // The same for an edit that makes the file hold exactly after.
    int FinishBytes(const std::string &after, const std::string &summary);
    // The file's history, read under the edit's lock.
    history::History History() const { return edit_.History(); }

  private:
    int Conclude(const preview::Change &change, const std::string &summary);

    ChangeOutput output_;
    configedit::Editing edit_;
};

} // namespace confctl

#endif
