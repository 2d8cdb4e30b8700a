#include "command.h"

#include "preview.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace confctl {

namespace {

std::uint64_t maxFileSize = textcheck::kDefaultMaxSize;

} // namespace

std::uint64_t MaxFileSize() {
    return maxFileSize;
}

void AddChangeOptions(CLI::App *sub, ChangeOutput &output) {
    sub->add_flag("--dry-run", output.dryRun,
                  "print what would change (a unified diff) and write nothing");
    sub->add_flag("--diff", output.diff, "print the change (a unified diff) and write it");
    sub->add_flag("--json", output.json,
                  "print {\"changed\": true|false, \"diff\": \"...\", \"incidental\": [...], "
                  "\"loss\": [...]}");
    sub->add_flag("--accept-loss", output.acceptLoss,
                  "save even when writing the file back loses lines of one bare word or the "
                  "text after a Ctrl-Z byte");
    sub->add_option("--wait", output.wait,
                    "wait at most SECONDS for another program's lock on the file (default 30)")
        ->type_name("SECONDS")
        ->check(CLI::Range(0u, 86400u));
}

EditSession::EditSession(const std::string &path, const ChangeOutput &output)
    : output_(output),
      edit_(path, output.dryRun, MaxFileSize(), std::chrono::seconds(output.wait)) {}

namespace {

// A refused change is shown only where nothing is written anyway.
void Show(const preview::Change &change, const ChangeOutput &output, bool refused) {
    const bool changed = change.changed();
    const std::vector<std::string> none;
    if (output.json) {
        nlohmann::ordered_json report = {{"changed", changed},
                                         {"diff", changed ? change.diff : ""},
                                         {"incidental", changed ? change.incidental : none},
                                         {"loss", changed ? preview::LossNotes(change) : none}};
        Print(report.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n");
    } else if ((output.dryRun || (output.diff && !refused)) && changed) {
        Print(preview::Render(change));
    }
}

} // namespace

int EditSession::Finish() {
    const preview::Change change = edit_.Preview();
    const bool refused = change.loses() && !output_.acceptLoss;
    if (change.changed() && !output_.dryRun && !refused)
        edit_.Save(change); // a change is reported once it is made
    Show(change, output_, refused);
    if (!change.loses()) return kOk;
    const std::string path = doc().Path();
    if (refused)
        throw Failure(path + ": writing the file back would also lose " +
                      preview::LossSummary(change) + "; nothing was written ('confctl check " +
                      path + "' says why, and --accept-loss writes it all the same)");
    if (!output_.dryRun)
        std::fprintf(stderr, "confctl: warning: %s: writing the file back lost %s\n", path.c_str(),
                     preview::LossSummary(change).c_str());
    return kOk;
}

std::string ReadAll(std::FILE *stream) {
    std::string text;
    char buffer[8192];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, stream)) > 0)
        text.append(buffer, n);
    if (std::ferror(stream)) throw Failure("cannot read standard input");
    return text;
}

std::vector<InputLine> ReadStdinLines() {
    std::string text = ReadAll(stdin);
    std::vector<InputLine> lines;
    std::size_t start = 0, number = 0;
    while (start < text.size()) {
        ++number;
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") != std::string::npos) lines.push_back({number, line});
        start = end + 1;
    }
    return lines;
}

int32_t DirectiveId(const std::string &nameOrNumber) {
    if (!nameOrNumber.empty() &&
        nameOrNumber.find_first_not_of("0123456789") == std::string::npos &&
        nameOrNumber.size() <= 4) {
        int32_t id = static_cast<int32_t>(std::strtol(nameOrNumber.c_str(), nullptr, 10));
        if (HTTPDIDToRule(id)) return id;
    }
    int32_t id = confkit::RuleId(nameOrNumber);
    if (id < 0) throw Failure("unknown directive '" + nameOrNumber + "'");
    return id;
}

CLI::App *AddFileCommand(CLI::App &parent, const std::string &name, const std::string &description,
                         std::string &file) {
    CLI::App *sub = parent.add_subcommand(name, description);
    sub->add_option("FILE", file, "configuration file")->required();
    sub->add_option("--max-size", maxFileSize,
                    "refuse a file larger than SIZE: bytes, or with a suffix K, M or G (powers of "
                    "1024; KB, KiB and the like also accepted)")
        ->transform(CLI::AsSizeValue(false))
        ->default_str("64M");
    return sub;
}

CLI::App *AddGroup(CLI::App &parent, const std::string &name, const std::string &description) {
    CLI::App *group = parent.add_subcommand(name, description);
    group->require_subcommand(1);
    return group;
}

void Print(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

std::vector<std::size_t> LineNumbers(const confkit::Document &doc) {
    std::vector<std::size_t> numbers;
    std::size_t number = 1;
    for (const Line &line : doc.Lines()) {
        numbers.push_back(number);
        std::size_t length = std::strlen(line.text);
        if (length > 0 && line.text[length - 1] == '\n') ++number;
    }
    return numbers;
}

} // namespace confctl
