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

// The configuration read under its shared lock, refused when larger than
// MaxFileSize(): writers that follow the lock protocol wait until the
// reading is destroyed.
configedit::Reading OpenReading(const std::string &path);

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
