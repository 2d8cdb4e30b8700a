// The pieces that every confctl subcommand shares: exit statuses, failures,
// opening the file, reading standard input and naming directives.
#ifndef CONFCTL_COMMAND_H
#define CONFCTL_COMMAND_H

#include "common/value_check.h"
#include "config_edit.h"
#include "confkit.hpp"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace confctl {

// Exit statuses, as diff and grep use them.
enum Status { kOk = 0, kFound = 1, kFailed = 2 };

// A failure that ends the command; main prints "confctl: " and the message.
class Failure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Throws the refusal of a value check, whose message names the field and
// the character.
inline void Accept(const valuecheck::Verdict &verdict) {
    if (verdict) throw Failure(verdict->Message());
}

// A subcommand's parse callback stores the work to run here; main runs it
// once the whole command line has been parsed.
using Runner = std::function<int()>;

// A subcommand of parent that works on one configuration file, named first,
// with the option --max-size that sets MaxFileSize().
CLI::App *AddFileCommand(CLI::App &parent, const std::string &name, const std::string &description,
                         std::string &file);
// A subcommand that only groups others (protect, pics clause, ...); one of
// them must be given.
CLI::App *AddGroup(CLI::App &parent, const std::string &name, const std::string &description);
// Once the whole command line is parsed, the subcommand's work is
// action(*options).
template <class Options, class Action>
void RunWith(CLI::App *sub, Runner &run, std::shared_ptr<Options> options, Action action) {
    sub->callback(
        [&run, options, action] { run = [options, action] { return action(*options); }; });
}

void AddRuleCommands(CLI::App &app, Runner &run);
void AddBlockCommands(CLI::App &app, Runner &run);
void AddPicsCommands(CLI::App &app, Runner &run);
void AddCheckCommand(CLI::App &app, Runner &run);
void AddRenderCommand(CLI::App &app, Runner &run);
void AddHistoryCommands(CLI::App &app, Runner &run);
void AddRestoreCommand(CLI::App &app, Runner &run);

// The largest configuration file that the command reads (--max-size); a
// larger one is refused before it is read.
std::uint64_t MaxFileSize();

// A document read under the shared lock of the configuration: writers that
// follow the lock protocol wait until it is released.
class ReadSession : public configedit::Reading {
  public:
    explicit ReadSession(const std::string &path) : Reading(path, MaxFileSize()) {}
};

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

// A document opened for an edit under the exclusive lock, held for the whole
// open, edit and write, so that concurrent editors take turns (a dry run
// only reads, under the shared lock).
class EditSession {
  public:
    EditSession(const std::string &path, const ChangeOutput &output);
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
    // The file's history, read under the session's lock.
    history::History History() const { return edit_.History(); }

  private:
    int Conclude(const preview::Change &change, const std::string &summary);

    ChangeOutput output_;
    configedit::Editing edit_;
};

std::string ReadAll(std::FILE *stream);
struct InputLine {
    std::size_t number;
    std::string text;
};
// The lines of standard input without their line ends; blank lines skipped.
std::vector<InputLine> ReadStdinLines();

// The rule ID of a directive name (any case) or of a rule ID number.
int32_t DirectiveId(const std::string &nameOrNumber);

// Output goes through the C library's stdout, like the library's own HTML.
void Print(std::string_view text);

} // namespace confctl

#endif
