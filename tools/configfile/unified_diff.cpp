// Unified diffs of configuration files. The exact diff compares lines with
// their line ends, so a line whose end changes from LF to CR LF shows as
// changed, as the bytes on disk do; the readable one compares them without,
// and counts the line ends that change in one note.
#include "preview.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace preview {

namespace {

using Lines = std::vector<std::string_view>;
using Index = std::ptrdiff_t;

constexpr std::size_t kContext = 3;
// Beyond this many differences the rest is shown as one change: still a
// correct diff, only not the shortest.
constexpr Index kMaxDifferences = 4000;

Lines SplitKeepingEnds(std::string_view text) {
    Lines lines;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        end = end == std::string_view::npos ? text.size() : end + 1;
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end);
    }
    return lines;
}

// The line's end: "\r\n", "\n" or none.
std::string_view EndOf(std::string_view line) {
    if (line.empty() || line.back() != '\n') return {};
    return line.substr(line.size() - (line.size() > 1 && line[line.size() - 2] == '\r' ? 2 : 1));
}

std::string_view WithoutEnd(std::string_view line) {
    return line.substr(0, line.size() - EndOf(line).size());
}

// A pair of equal lines: index in the old text, index in the new one.
struct Match {
    std::size_t a, b;
};

// The furthest x reached on each diagonal k = x - y, for k in -d..d.
class Frontier {
  public:
    explicit Frontier(Index most)
        : x_(static_cast<std::size_t>(2 * most + 3), 0), offset_(most + 1) {}
    Index &operator[](Index k) { return x_[static_cast<std::size_t>(k + offset_)]; }
    std::vector<Index> Snapshot(Index d) const {
        return {x_.begin() + (offset_ - d), x_.begin() + (offset_ + d + 1)};
    }

  private:
    std::vector<Index> x_;
    Index offset_;
};

// Whether step d reached diagonal k from k + 1 (a line inserted) rather
// than from k - 1 (a line deleted), given the frontier x of step d - 1.
template <class X> bool FromAbove(Index k, Index d, X x) {
    return k == -d || (k != d && x(k - 1) < x(k + 1));
}

// Walks the steps back from the end and collects the diagonal runs.
std::vector<Match> Backtrack(const std::vector<std::vector<Index>> &trace, Index n, Index m) {
    std::vector<Match> matches;
    Index x = n, y = m;
    for (auto d = static_cast<Index>(trace.size()) - 1; d >= 0; --d) {
        const Index k = x - y;
        Index startX = 0, prevX = 0, prevY = 0;
        if (d > 0) {
            const std::vector<Index> &prev = trace[static_cast<std::size_t>(d - 1)];
            auto at = [&](Index kk) { return prev[static_cast<std::size_t>(kk + d - 1)]; };
            const bool above = FromAbove(k, d, at);
            const Index prevK = above ? k + 1 : k - 1;
            prevX = at(prevK);
            prevY = prevX - prevK;
            startX = above ? prevX : prevX + 1;
        }
        while (x > startX) {
            --x, --y;
            matches.push_back({static_cast<std::size_t>(x), static_cast<std::size_t>(y)});
        }
        x = prevX, y = prevY;
    }
    std::reverse(matches.begin(), matches.end());
    return matches;
}

// The longest common subsequence of a and b (Myers' algorithm); empty when
// they differ in more than kMaxDifferences lines.
std::vector<Match> CommonLines(const Lines &a, const Lines &b) {
    const auto n = static_cast<Index>(a.size()), m = static_cast<Index>(b.size());
    const Index most = std::min(n + m, kMaxDifferences);
    Frontier v(most);
    std::vector<std::vector<Index>> trace;
    for (Index d = 0; d <= most; ++d) {
        for (Index k = -d; k <= d; k += 2) {
            Index x = FromAbove(k, d, [&](Index kk) { return v[kk]; }) ? v[k + 1] : v[k - 1] + 1;
            Index y = x - k;
            while (x < n && y < m &&
                   a[static_cast<std::size_t>(x)] == b[static_cast<std::size_t>(y)])
                ++x, ++y;
            v[k] = x;
            if (x >= n && y >= m) {
                trace.push_back(v.Snapshot(d));
                return Backtrack(trace, n, m);
            }
        }
        trace.push_back(v.Snapshot(d));
    }
    return {};
}

// The equal lines of the two texts. Common first and last lines are taken
// as they are, and lines that occur on one side only cannot match, so only
// the rest goes through the search: an edit of a few lines, or a file whose
// every line end changed, costs little.
std::vector<Match> Matches(const Lines &a, const Lines &b) {
    std::size_t prefix = 0;
    while (prefix < a.size() && prefix < b.size() && a[prefix] == b[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < a.size() - prefix && suffix < b.size() - prefix &&
           a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix])
        ++suffix;

    std::unordered_map<std::string_view, int> sides; // bit 1: in a, bit 2: in b
    for (std::size_t i = prefix; i < a.size() - suffix; ++i)
        sides[a[i]] |= 1;
    for (std::size_t j = prefix; j < b.size() - suffix; ++j)
        sides[b[j]] |= 2;
    Lines keptA, keptB;
    std::vector<std::size_t> whereA, whereB;
    for (std::size_t i = prefix; i < a.size() - suffix; ++i)
        if (sides[a[i]] == 3) keptA.push_back(a[i]), whereA.push_back(i);
    for (std::size_t j = prefix; j < b.size() - suffix; ++j)
        if (sides[b[j]] == 3) keptB.push_back(b[j]), whereB.push_back(j);

    std::vector<Match> matches;
    for (std::size_t i = 0; i < prefix; ++i)
        matches.push_back({i, i});
    for (const Match &match : CommonLines(keptA, keptB))
        matches.push_back({whereA[match.a], whereB[match.b]});
    for (std::size_t s = suffix; s > 0; --s)
        matches.push_back({a.size() - s, b.size() - s});
    return matches;
}

enum class Op { Same, Delete, Insert };
struct Step {
    Op op;
    std::size_t a, b; // the line's index in its text; for Same, in both
};

std::vector<Step> Script(const Lines &a, const Lines &b) {
    std::vector<Step> script;
    std::size_t i = 0, j = 0;
    auto changesUpTo = [&](std::size_t endA, std::size_t endB) {
        for (; i < endA; ++i)
            script.push_back({Op::Delete, i, j});
        for (; j < endB; ++j)
            script.push_back({Op::Insert, i, j});
    };
    for (const Match &match : Matches(a, b)) {
        changesUpTo(match.a, match.b);
        script.push_back({Op::Same, i++, j++});
    }
    changesUpTo(a.size(), b.size());
    return script;
}

std::string Range(std::size_t start, std::size_t count) {
    // An empty range names the line before it.
    std::string text = std::to_string(count == 0 ? start : start + 1);
    return count == 1 ? text : text + "," + std::to_string(count);
}

// A line of the exact diff keeps its own line end, and one without is
// marked as diff marks it; a line of the readable diff has none of its own.
void AppendLine(std::string &out, char prefix, std::string_view line, bool exact) {
    out += prefix;
    out += line;
    if (!EndOf(line).empty()) return;
    out += exact ? "\n\\ No newline at end of file\n" : "\n";
}

// One hunk: the steps first..last, which begin and end with context or a change.
void AppendHunk(std::string &out, const std::vector<Step> &script, std::size_t first,
                std::size_t last, const Lines &a, const Lines &b, bool exact) {
    std::size_t countA = 0, countB = 0;
    for (std::size_t s = first; s <= last; ++s) {
        countA += script[s].op != Op::Insert;
        countB += script[s].op != Op::Delete;
    }
    out +=
        "@@ -" + Range(script[first].a, countA) + " +" + Range(script[first].b, countB) + " @@\n";
    for (std::size_t s = first; s <= last; ++s) {
        const Step &step = script[s];
        if (step.op == Op::Same) AppendLine(out, ' ', a[step.a], exact);
        if (step.op == Op::Delete) AppendLine(out, '-', a[step.a], exact);
        if (step.op == Op::Insert) AppendLine(out, '+', b[step.b], exact);
    }
}

// The header and hunks of the diff from a to b along script; "" when
// script changes no line.
std::string Hunks(const std::string &label, const std::vector<Step> &script, const Lines &a,
                  const Lines &b, bool exact) {
    std::vector<std::size_t> changes;
    for (std::size_t s = 0; s < script.size(); ++s)
        if (script[s].op != Op::Same) changes.push_back(s);
    if (changes.empty()) return "";

    std::string out = "--- " + label + "\n+++ " + label + "\n";
    std::size_t c = 0;
    while (c < changes.size()) {
        // Changes whose context would touch or overlap go into one hunk.
        std::size_t end = c;
        while (end + 1 < changes.size() && changes[end + 1] - changes[end] <= 2 * kContext + 1)
            ++end;
        const std::size_t first = changes[c] > kContext ? changes[c] - kContext : 0;
        const std::size_t last = std::min(changes[end] + kContext, script.size() - 1);
        AppendHunk(out, script, first, last, a, b, exact);
        c = end + 1;
    }
    return out;
}

std::string EndName(std::string_view end) {
    return end.empty() ? "none" : end == "\n" ? "LF" : "CR LF";
}

// "# 337 lines change only their line end, from LF to CR LF", or with a
// count for each kind of change when there are several; "" when none do.
std::string LineEndNote(const std::vector<Step> &script, const Lines &a, const Lines &b) {
    std::vector<std::pair<std::string, std::size_t>> kinds; // in the order first met
    std::size_t total = 0;
    for (const Step &step : script) {
        if (step.op != Op::Same) continue;
        const std::string_view from = EndOf(a[step.a]), to = EndOf(b[step.b]);
        if (from == to) continue;
        const std::string kind = "from " + EndName(from) + " to " + EndName(to);
        auto known = std::find_if(kinds.begin(), kinds.end(),
                                  [&](const auto &seen) { return seen.first == kind; });
        if (known == kinds.end()) known = kinds.insert(kinds.end(), {kind, 0});
        ++known->second, ++total;
    }
    if (total == 0) return "";
    std::string note = "# " + std::to_string(total) +
                       (total == 1 ? " line changes only its" : " lines change only their") +
                       " line end";
    if (kinds.size() == 1) return note + ", " + kinds.front().first + "\n";
    for (std::size_t i = 0; i < kinds.size(); ++i)
        note += (i == 0 ? ": " : ", ") + std::to_string(kinds[i].second) + " " + kinds[i].first;
    return note + "\n";
}

} // namespace

std::string UnifiedDiff(const std::string &label, const std::string &before,
                        const std::string &after) {
    if (before == after) return "";
    const Lines a = SplitKeepingEnds(before), b = SplitKeepingEnds(after);
    return Hunks(label, Script(a, b), a, b, true);
}

std::string ReadableDiff(const std::string &label, const std::string &before,
                         const std::string &after) {
    if (before == after) return "";
    const Lines a = SplitKeepingEnds(before), b = SplitKeepingEnds(after);
    Lines textA, textB;
    for (std::string_view line : a)
        textA.push_back(WithoutEnd(line));
    for (std::string_view line : b)
        textB.push_back(WithoutEnd(line));
    const std::vector<Step> script = Script(textA, textB);
    return LineEndNote(script, a, b) + Hunks(label, script, textA, textB, false);
}

} // namespace preview
