// confctl check: what writing the file back would lose or change (the file's
// bytes compared with what the library writes for them), and structural
// findings beside them: unclosed blocks, PICS rule names used twice, unknown
// directive words.
#include "command.h"
#include "preview.h"
#include "writeback.h"

#include "common/pics_rule_name.h"

#include <algorithm>
#include <map>
#include <memory>
#include <unordered_map>

namespace confctl {
namespace {

// Findings are printed in line order once the file has been gone through.
class Report {
  public:
    explicit Report(std::string file) : file_(std::move(file)) {}
    void Finding(std::size_t line, const std::string &message) {
        findings_.emplace_back(line, message);
    }
    void Note(const std::string &message) { notes_.push_back(message); }
    bool Found() const { return !findings_.empty(); }
    void Print() {
        std::stable_sort(findings_.begin(), findings_.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        for (const auto &[line, message] : findings_)
            confctl::Print(file_ + ":" + std::to_string(line) + ": " + message + "\n");
        for (const std::string &note : notes_)
            confctl::Print(file_ + ": note: " + note + "\n");
    }

  private:
    std::string file_;
    std::vector<std::pair<std::size_t, std::string>> findings_;
    std::vector<std::string> notes_;
};

// Whether word names a directive; the words of a file repeat, so each is
// looked up once.
bool NamesDirective(const std::string &word, std::unordered_map<std::string, bool> &known) {
    auto found = known.find(word);
    if (found == known.end()) found = known.emplace(word, HTTPDRuleToID(word.c_str()) >= 0).first;
    return found->second;
}

// Blocks without a closing line, PICS rule names used twice, and first words
// outside blocks that name no directive.
void CheckStructure(const std::vector<textinput::Line> &lines, Report &report) {
    const int32_t picsId = confkit::RuleId("DefinePicsRule");
    std::map<std::string, std::size_t> picsNames;
    std::unordered_map<std::string, bool> known;
    const textinput::Line *open = nullptr;
    for (const textinput::Line &line : lines) {
        const std::string text(line.content.substr(0, line.content.find('\0')));
        if (open) {
            if (text.find('}') != std::string::npos) open = nullptr;
            continue;
        }
        std::size_t begin = text.find_first_not_of(" \t@");
        if (begin == std::string::npos || text[begin] == '#') continue;
        std::string word = text.substr(begin, text.find_first_of(" \t@", begin) - begin);
        if (word == "}")
            report.Finding(line.number, "a closing brace outside any block");
        else if (!NamesDirective(word, known))
            report.Finding(line.number, "'" + writeback::Show(word) + "' is not a directive");
        if (HTTPDRuleMatch(text.c_str(), picsId)) {
            std::string name(confkit::PicsRuleName(text.c_str()));
            auto first = picsNames.emplace(name, line.number);
            if (!name.empty() && !first.second)
                report.Finding(line.number, "the PICS rule name '" + writeback::Show(name) +
                                                "' is used again (first on line " +
                                                std::to_string(first.first->second) +
                                                "): lookups find only the first");
        }
        std::size_t brace = text.find('{');
        if (brace != std::string::npos && text.find('}', brace) == std::string::npos) open = &line;
    }
    if (open) report.Finding(open->number, "the block that begins here has no closing line");
}

int Check(const std::string &file) {
    const auto session = OpenReading(file); // the same checks on the file as every command makes
    const std::string original = preview::ReadFileBytes(file);
    writeback::Losses losses =
        writeback::Compare(original, preview::SavedBytes(*session.doc().get()));
    Report report(file);
    for (const writeback::Finding &finding : losses.findings)
        report.Finding(finding.line, finding.message);
    for (const std::string &note : losses.notes)
        report.Note(note);
    CheckStructure(
        textinput::SplitLines(std::string_view(original).substr(0, original.find('\x1a'))), report);
    report.Print();
    return report.Found() ? kFound : kOk;
}

} // namespace

void AddCheckCommand(CLI::App &app, Runner &run) {
    auto file = std::make_shared<std::string>();
    CLI::App *sub = AddFileCommand(
        app, "check",
        "Report what writing the file back would lose or change, unclosed blocks, PICS rule names "
        "used twice and unknown directives (exit status 1 when anything is found)",
        *file);
    RunWith(sub, run, file, [](const std::string &path) { return Check(path); });
}

} // namespace confctl
