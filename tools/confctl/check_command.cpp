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

// Findings are printed in line order once the file has been gone through.
class Report {
  public:
    explicit Report(std::string file) : file_(std::move(file)) {}
    void Finding(std::size_t line, const std::string &message) {
        findings_.emplace_back(line, message);
    }
    void Note(const std::string &message) { notes_.push_back(message); }
    bool Found() const { return !findings_.empty(); }
    std::size_t Count() const { return findings_.size(); }
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

std::string WhyLost(const PhysicalLine &line) {
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
               (line.lf ? ", and the line end with it" : "");
    if (line.content.size() > kLineHolds)
        return "longer than a Line holds (" + std::to_string(line.content.size()) +
               " characters): written back without its pieces of a single word";
    return "written back as '" + Show(written.content) + "'";
}

// What a changed line keeps at the start when written back: the text before
// a NUL byte, within the first piece the library holds.
std::string KeptStart(const PhysicalLine &line) {
    return line.content.substr(0, std::min(line.content.find('\0'), kLineHolds));
}

bool StartsWith(const std::string &text, const std::string &start) {
    return text.size() >= start.size() && text.compare(0, start.size(), start) == 0;
}

bool EndsWith(const std::string &text, const std::string &end) {
    return text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Aligns the original lines with the written ones. The writer only leaves
// lines (or pieces of them) out and cuts texts short, so each written line is
// looked up among the original lines that follow: first as it stands, then
// as the kept start of a changed line. Original lines skipped on the way are
// lost; a line whose line end was lost runs on into the written line above.
class LineComparison {
  public:
    LineComparison(const std::vector<PhysicalLine> &original,
                   const std::vector<PhysicalLine> &written, Report &report)
        : original_(original), written_(written), report_(report) {
        for (std::size_t i = 0; i < original.size(); ++i)
            where_[original[i].content].push_back(i);
    }

    // Returns the number of lines that end with LF alone and come back with CR LF.
    std::size_t Run() {
        std::size_t lfEnds = 0;
        while (i_ < original_.size()) {
            if (p_ >= written_.size()) {
                Lost(original_.size());
            } else if (original_[i_].content == written_[p_].content) {
                if (original_[i_].lf && !original_[i_].crlf && written_[p_].crlf) ++lfEnds;
                ++i_, ++p_;
            } else {
                std::size_t k = NextSame(written_[p_].content);
                if (k < original_.size()) {
                    Lost(k);
                    continue;
                }
                Lost(NextChangedInto(written_[p_].content));
                Changed();
            }
        }
        return lfEnds;
    }

  private:
    std::size_t NextSame(const std::string &content) const {
        auto found = where_.find(content);
        if (found == where_.end()) return original_.size();
        auto at = std::upper_bound(found->second.begin(), found->second.end(), i_);
        return at == found->second.end() ? original_.size() : *at;
    }

    // The first line from the current one that the written line may be a
    // changed form of; the current line when none is.
    std::size_t NextChangedInto(const std::string &written) const {
        for (std::size_t k = i_; k < original_.size() && k < i_ + 64; ++k) {
            std::string start = KeptStart(original_[k]);
            if (!start.empty() && StartsWith(written, start)) return k;
        }
        return i_;
    }

    void Lost(std::size_t until) {
        for (; i_ < until; ++i_)
            report_.Finding(original_[i_].number, WhyLost(original_[i_]));
    }

    void Changed() {
        const PhysicalLine &line = original_[i_], &written = written_[p_];
        report_.Finding(line.number, WhyChanged(line, written));
        ++i_, ++p_;
        if (i_ < original_.size() && !original_[i_].content.empty() &&
            EndsWith(written.content, original_[i_].content)) {
            report_.Finding(original_[i_].number, "runs on at the end of line " +
                                                      std::to_string(line.number) +
                                                      ", whose line end is lost");
            ++i_;
        }
    }

    const std::vector<PhysicalLine> &original_;
    const std::vector<PhysicalLine> &written_;
    Report &report_;
    std::map<std::string, std::vector<std::size_t>> where_;
    std::size_t i_ = 0, p_ = 0;
};

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

// The losses of writing the file back: its lines compared with what the
// library writes, and the bytes after a Ctrl-Z. Returns the original lines.
std::vector<PhysicalLine> CompareWithWritten(const std::string &original, Report &report) {
    std::size_t ctrlZ = original.find('\x1a');
    std::vector<PhysicalLine> lines = SplitLines(original.substr(0, ctrlZ));
    std::vector<PhysicalLine> writtenLines = SplitLines(WrittenBack(original));
    std::size_t lfEnds = LineComparison(lines, writtenLines, report).Run();
    if (ctrlZ != std::string::npos) {
        std::size_t line = lines.empty() || lines.back().lf ? lines.size() + 1 : lines.size();
        std::size_t after = original.size() - ctrlZ - 1;
        if (after > 0)
            report.Finding(line, "a Ctrl-Z byte ends the file for the library: the " +
                                     std::to_string(after) + " bytes after it are lost");
        else
            report.Note("the Ctrl-Z byte that ends the file is not written back");
    }
    if (lfEnds > 0)
        report.Note(std::to_string(lfEnds) +
                    " line(s) end with LF alone; written back they end with CR LF");
    return lines;
}

int Check(const std::string &file) {
    ReadSession session(file); // the same checks on the file as every command makes
    Report report(file);
    std::vector<PhysicalLine> lines = CompareWithWritten(ReadFileBytes(file), report);
    CheckStructure(lines, report);
    report.Print();
    return report.Found() ? kFound : kOk;
}

} // namespace

void Save(confkit::Document &doc) {
    Report report(doc.Path());
    try {
        CompareWithWritten(ReadFileBytes(doc.Path()), report);
    } catch (const std::exception &) {
        // The look is advisory: the write itself reports what matters.
    }
    if (report.Found())
        std::fprintf(stderr,
                     "confctl: warning: %s: writing the file back also loses %zu line(s) that this "
                     "edit does not "
                     "touch; 'confctl check %s' names them\n",
                     doc.Path().c_str(), report.Count(), doc.Path().c_str());
    doc.Write();
}

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
