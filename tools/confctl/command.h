// The pieces that every confctl subcommand shares: exit statuses, failures,
// opening the file, reading standard input and naming directives.
#ifndef CONFCTL_COMMAND_H
#define CONFCTL_COMMAND_H

#include "config_lock.h"
#include "confkit.hpp"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <functional>
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

// A subcommand's parse callback stores the work to run here; main runs it
// once the whole command line has been parsed.
using Runner = std::function<int()>;

void AddRuleCommands(CLI::App &app, Runner &run);
void AddBlockCommands(CLI::App &app, Runner &run);
void AddCheckCommand(CLI::App &app, Runner &run);
void AddRenderCommand(CLI::App &app, Runner &run);

// Opens an existing, readable regular file. The library would create a
// missing file, and would read an unreadable one as empty: a query must not
// create files, and an edit must not write an empty body over a file it
// could not read.
confkit::Document OpenExisting(const std::string &path);

// A document read under the shared lock of the configuration: writers that
// follow the lock protocol wait until it is released.
class ReadSession {
  public:
    explicit ReadSession(const std::string &path);
    const confkit::Document &doc() const { return doc_; }

  private:
    configlock::ConfigLock lock_;
    confkit::Document doc_;
};

// A document opened for an edit under the exclusive lock, held for the whole
// open, edit and write, so that concurrent editors take turns.
class EditSession {
  public:
    explicit EditSession(const std::string &path);
    confkit::Document &doc() { return doc_; }

  private:
    configlock::ConfigLock lock_;
    confkit::Document doc_;
};

// Writes the edited document back (the library leaves the file as it was
// when that fails). Warns first when writing the file back loses lines that
// the edit does not touch, as the library's writer leaves some texts out.
void Save(confkit::Document &doc);

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

// Line numbers of a document: the physical line on which each Line starts.
std::vector<std::size_t> LineNumbers(const confkit::Document &doc);

} // namespace confctl

#endif
