#include "writeback.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

namespace writeback {

// A short, printable rendering of a line's text for messages.
std::string Show(std::string_view text) {
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

namespace {

constexpr std::size_t kLineHolds = 1023;

bool IsSingleWord(std::string_view text) {
    std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string_view::npos) return false;
    std::size_t end = text.find_last_not_of(" \t");
    return text.substr(begin, end - begin + 1).find_first_of(" \t") == std::string_view::npos;
}

std::string WhyLost(const textinput::Line &line) {
    if (line.content.size() > kLineHolds)
        return "longer than a Line holds (" + std::to_string(line.content.size()) +
               " characters): every piece of it is a single word, and the writer leaves such "
               "pieces out";
    if (IsSingleWord(line.content))
        return "a line of a single word ('" + Show(line.content) + "') is left out by the writer";
    return "left out when written back";
}

std::string WhyChanged(const textinput::Line &line, const textinput::Line &written) {
    std::size_t nul = line.content.find('\0');
    if (nul != std::string_view::npos)
        return "the text after a NUL byte (column " + std::to_string(nul + 1) + ") is lost" +
               (line.lf ? ", and the line end with it" : "");
    return "written back as '" + Show(written.content) + "'";
}

// What a changed line keeps at the start when written back: the text before
// a NUL byte, within the first piece the library holds.
std::string_view KeptStart(const textinput::Line &line) {
    return line.content.substr(0, std::min(line.content.find('\0'), kLineHolds));
}

bool StartsWith(std::string_view text, std::string_view start) {
    return text.size() >= start.size() && text.compare(0, start.size(), start) == 0;
}

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Aligns the original lines with the written ones. The writer only leaves
// whole lines out and cuts texts short at a NUL byte, so each written line
// is looked up among the original lines that follow: first as it stands,
// then as the kept start of a changed line. Original lines skipped on the
// way are lost; a line whose line end was lost runs on into the written line
// above. Where the two go on alike, as they do for most of a file, no line
// is looked up: the lines are indexed when the first differs.
class LineComparison {
  public:
    LineComparison(const std::vector<textinput::Line> &original,
                   const std::vector<textinput::Line> &written, Losses &losses)
        : original_(original), written_(written), losses_(losses) {}

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
    std::size_t NextSame(std::string_view content) {
        if (where_.empty())
            for (std::size_t i = 0; i < original_.size(); ++i)
                where_[original_[i].content].push_back(i);
        auto found = where_.find(content);
        if (found == where_.end()) return original_.size();
        auto at = std::upper_bound(found->second.begin(), found->second.end(), i_);
        return at == found->second.end() ? original_.size() : *at;
    }

    // The first line from the current one that the written line may be a
    // changed form of; the current line when none is.
    std::size_t NextChangedInto(std::string_view written) const {
        for (std::size_t k = i_; k < original_.size() && k < i_ + 64; ++k) {
            std::string_view start = KeptStart(original_[k]);
            if (!start.empty() && StartsWith(written, start)) return k;
        }
        return i_;
    }

    void Lost(std::size_t until) {
        for (; i_ < until; ++i_)
            losses_.findings.push_back({original_[i_].number, WhyLost(original_[i_])});
    }

    void Changed() {
        const textinput::Line &line = original_[i_], &written = written_[p_];
        losses_.findings.push_back({line.number, WhyChanged(line, written)});
        ++i_, ++p_;
        if (i_ < original_.size() && !original_[i_].content.empty() &&
            EndsWith(written.content, original_[i_].content)) {
            losses_.findings.push_back({original_[i_].number, "runs on at the end of line " +
                                                                  std::to_string(line.number) +
                                                                  ", whose line end is lost"});
            ++i_;
        }
    }

    const std::vector<textinput::Line> &original_;
    const std::vector<textinput::Line> &written_;
    Losses &losses_;
    std::unordered_map<std::string_view, std::vector<std::size_t>> where_;
    std::size_t i_ = 0, p_ = 0;
};

} // namespace

Losses Compare(const std::string &original, const std::string &written) {
    Losses losses;
    std::size_t ctrlZ = original.find('\x1a');
    std::vector<textinput::Line> lines =
        textinput::SplitLines(std::string_view(original).substr(0, ctrlZ));
    std::vector<textinput::Line> writtenLines = textinput::SplitLines(written);
    std::size_t lfEnds = LineComparison(lines, writtenLines, losses).Run();
    if (ctrlZ != std::string::npos) {
        std::size_t line = lines.empty() || lines.back().lf ? lines.size() + 1 : lines.size();
        std::size_t after = original.size() - ctrlZ - 1;
        if (after > 0)
            losses.findings.push_back({line,
                                       "a Ctrl-Z byte ends the file for the library: the " +
                                           std::to_string(after) + " bytes after it are lost",
                                       after});
        else
            losses.notes.push_back("the Ctrl-Z byte that ends the file is not written back");
    }
    if (lfEnds > 0)
        losses.notes.push_back(std::to_string(lfEnds) +
                               " line(s) end with LF alone; written back they end with CR LF");
    std::stable_sort(losses.findings.begin(), losses.findings.end(),
                     [](const Finding &a, const Finding &b) { return a.line < b.line; });
    return losses;
}

} // namespace writeback
