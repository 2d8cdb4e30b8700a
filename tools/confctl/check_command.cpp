// confctl check: what writing the file back would lose or change. The file
// is written back by the library itself (from a temporary copy) and the two
// byte streams are compared line by line; the causes are named from the
// original line. Structural findings (unclosed blocks, PICS rule names used
// twice, unknown directive words) are reported beside them.
#include "command.h"
#include "pics_names.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <unistd.h>

namespace confctl {
namespace {

constexpr std::size_t kLineHolds = 1023;

struct PhysicalLine {
    std::string content; // without the line end
    bool lf = false;     // ended by LF
    bool crlf = false;   // ended by CR LF
    std::size_t number = 0;
};

std::vector<PhysicalLine> SplitLines(const std::string &bytes) {
    std::vector<PhysicalLine> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        PhysicalLine line;
        line.number = lines.size() + 1;
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) {
            line.content = bytes.substr(start);
            start = bytes.size();
        } else {
            line.lf = true;
            line.content = bytes.substr(start, end - start);
            if (!line.content.empty() && line.content.back() == '\r') {
                line.content.pop_back();
                line.crlf = true;
            }
            start = end + 1;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string ReadFileBytes(const std::string &path) {
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) throw Failure(path + ": " + std::strerror(errno));
    std::string bytes = ReadAll(f);
    std::fclose(f);
    return bytes;
}

void WriteFileBytes(const std::string &path, const std::string &bytes) {
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) throw Failure(path + ": " + std::strerror(errno));
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) throw Failure(path + ": cannot write a temporary copy");
}

// A folder of its own for the temporary copy, removed with it.
class TempFolder {
  public:
    TempFolder() {
        const char *base = std::getenv("TMPDIR");
        std::string tmpl = std::string(base && *base ? base : "/tmp") + "/confctl-check-XXXXXX";
        std::vector<char> buffer(tmpl.begin(), tmpl.end());
        buffer.push_back('\0');
        if (!mkdtemp(buffer.data()))
            throw Failure("cannot make a temporary folder: " + std::string(std::strerror(errno)));
        path_ = buffer.data();
    }
    ~TempFolder() {
        unlink(File().c_str());
        rmdir(path_.c_str());
    }
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;
    std::string File() const { return path_ + "/copy.conf"; }

  private:
    std::string path_;
};

// What the library writes for the file: open a copy, write it back.
std::string WrittenBack(const std::string &original) {
    TempFolder folder;
    WriteFileBytes(folder.File(), original);
    confkit::Document doc = confkit::Document::Open(folder.File());
    doc.Write();
    doc.Close(false);
    return ReadFileBytes(folder.File());
}

// A short, printable rendering of a line's text for messages.
std::string Show(const std::string &text) {
    std::string out;
    for (unsigned char c : text.substr(0, 60)) {
        if (c < 32 || c == 127) {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02X", c);
            out += code;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + (text.size() > 60 ? "..." : "");
}

bool IsSingleWord(const std::string &text) {
    std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return false;
    std::size_t end = text.find_last_not_of(" \t");
    return text.substr(begin, end - begin + 1).find_first_of(" \t") == std::string::npos;
}

class Report {
  public:
    explicit Report(std::string file) : file_(std::move(file)) {}
    void Finding(std::size_t line, const std::string &message) {
        Print(file_ + ":" + std::to_string(line) + ": " + message + "\n");
        ++findings_;
    }
    void Note(const std::string &message) { Print(file_ + ": note: " + message + "\n"); }
    bool Found() const { return findings_ > 0; }

  private:
    std::string file_;
    std::size_t findings_ = 0;
};

std::string WhyLost(const PhysicalLine &line, const PhysicalLine *previous) {
    if (previous && previous->content.find('\0') != std::string::npos)
        return "runs on at the end of line " + std::to_string(previous->number) +
               ", whose line end is lost after a NUL byte";
    if (line.content.size() > kLineHolds)
        return "longer than a Line holds (" + std::to_string(line.content.size()) +
               " characters): every piece of it is a single word, and the writer leaves such "
               "pieces out";
    if (IsSingleWord(line.content))
        return "a line of a single word ('" + Show(line.content) + "') is left out by the writer";
    return "left out when written back";
}

std::string WhyChanged(const PhysicalLine &line, const PhysicalLine &written) {
    std::size_t nul = line.content.find('\0');
    if (nul != std::string::npos)
        return "the text after a NUL byte (column " + std::to_string(nul + 1) + ") is lost" +
               (line.lf ? ", and the line end with it: the next line runs on after it" : "");
    if (line.content.size() > kLineHolds)
        return "longer than a Line holds (" + std::to_string(line.content.size()) +
               " characters): written back without its pieces of a single word";
    return "written back as '" + Show(written.content) + "'";
}

// Aligns the original lines with the written ones. The writer only leaves
// lines (or pieces) out and cuts texts short, so a written line is looked up
// among the original lines that follow; the lines skipped on the way are lost.
void CompareLines(const std::vector<PhysicalLine> &original,
                  const std::vector<PhysicalLine> &written, Report &report, std::size_t &lfEnds) {
    std::map<std::string, std::vector<std::size_t>> where;
    for (std::size_t i = 0; i < original.size(); ++i)
        where[original[i].content].push_back(i);
    auto nextAt = [&](const std::string &content, std::size_t from) -> std::size_t {
        auto found = where.find(content);
        if (found == where.end()) return original.size();
        auto at = std::lower_bound(found->second.begin(), found->second.end(), from);
        return at == found->second.end() ? original.size() : *at;
    };
    std::size_t i = 0, p = 0;
    while (i < original.size()) {
        if (p < written.size() && original[i].content == written[p].content) {
            if (original[i].lf && !original[i].crlf && written[p].crlf) ++lfEnds;
            ++i, ++p;
            continue;
        }
        std::size_t k = p < written.size() ? nextAt(written[p].content, i + 1) : original.size();
        if (k < original.size() || p >= written.size()) {
            for (; i < k && i < original.size(); ++i)
                report.Finding(original[i].number,
                               WhyLost(original[i], i > 0 ? &original[i - 1] : nullptr));
            continue;
        }
        report.Finding(original[i].number, WhyChanged(original[i], written[p]));
        ++i, ++p;
    }
}

// Blocks without a closing line, PICS rule names used twice, and first words
// outside blocks that name no directive.
void CheckStructure(const std::vector<PhysicalLine> &lines, Report &report) {
    const int32_t picsId = confkit::RuleId("DefinePicsRule");
    std::map<std::string, std::size_t> picsNames;
    const PhysicalLine *open = nullptr;
    for (const PhysicalLine &line : lines) {
        std::string text = line.content.substr(0, line.content.find('\0'));
        if (open) {
            if (text.find('}') != std::string::npos) open = nullptr;
            continue;
        }
        std::size_t begin = text.find_first_not_of(" \t@");
        if (begin == std::string::npos || text[begin] == '#') continue;
        std::string word = text.substr(begin, text.find_first_of(" \t@", begin) - begin);
        if (word == "}")
            report.Finding(line.number, "a closing brace outside any block");
        else if (HTTPDRuleToID(word.c_str()) < 0)
            report.Finding(line.number, "'" + Show(word) + "' is not a directive");
        if (HTTPDRuleMatch(text.c_str(), picsId)) {
            std::string name = page::PicsRuleName(text.c_str());
            auto first = picsNames.emplace(name, line.number);
            if (!name.empty() && !first.second)
                report.Finding(line.number, "the PICS rule name '" + Show(name) +
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
    OpenExisting(file); // the same checks on the file as every command makes
    std::string original = ReadFileBytes(file);
    std::string written = WrittenBack(original);
    Report report(file);

    std::size_t ctrlZ = original.find('\x1a');
    std::string seen = original.substr(0, ctrlZ);
    std::vector<PhysicalLine> lines = SplitLines(seen);
    std::size_t lfEnds = 0;
    CompareLines(lines, SplitLines(written), report, lfEnds);
    if (ctrlZ != std::string::npos) {
        std::size_t line = lines.empty() || lines.back().lf ? lines.size() + 1 : lines.size();
        std::size_t after = original.size() - ctrlZ - 1;
        if (after > 0)
            report.Finding(line, "a Ctrl-Z byte ends the file for the library: the " +
                                     std::to_string(after) + " bytes after it are lost");
        else
            report.Note("the Ctrl-Z byte that ends the file is not written back");
    }
    CheckStructure(lines, report);
    if (lfEnds > 0)
        report.Note(std::to_string(lfEnds) +
                    " line(s) end with LF alone; written back they end with CR LF");
    return report.Found() ? kFound : kOk;
}

} // namespace

void AddCheckCommand(CLI::App &app, Runner &run) {
    auto file = std::make_shared<std::string>();
    CLI::App *sub = app.add_subcommand(
        "check", "Report what writing the file back would lose or change, unclosed blocks, PICS "
                 "rule names used "
                 "twice and unknown directives (exit status 1 when anything is found)");
    sub->add_option("FILE", *file, "configuration file")->required();
    sub->callback([&run, file] { run = [file] { return Check(*file); }; });
}

} // namespace confctl
