// The plumbing every tool shares for text it takes in: a stream read whole,
// and a text split into its lines.
#ifndef TOOLS_CONFIGFILE_TEXT_INPUT_H
#define TOOLS_CONFIGFILE_TEXT_INPUT_H

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace textinput {

// Everything read(buffer, size) gives, called until it gives 0 bytes (the
// end); nothing when it gives less (a failure).
template <class Read> std::optional<std::string> ReadAll(Read read) {
    std::string bytes;
    char buffer[65536];
    for (long long n; (n = read(buffer, sizeof buffer)) != 0;) {
        if (n < 0) return std::nullopt;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes;
}

inline std::optional<std::string> ReadAll(std::FILE *file) {
    return ReadAll([file](char *buffer, std::size_t size) -> long long {
        const std::size_t n = std::fread(buffer, 1, size, file);
        return n == 0 && std::ferror(file) ? -1 : static_cast<long long>(n);
    });
}

// A line of a text: views into it.
struct Line {
    std::string_view content; // without its line end
    std::string_view whole;   // with its line end, when it has one
    bool lf = false;          // ended by LF
    bool crlf = false;        // ended by CR LF
    std::size_t number = 0;   // from 1
};

// A line ends at each LF; a last line without one is a line too.
inline std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    while (!text.empty()) {
        Line line;
        line.number = lines.size() + 1;
        const std::size_t end = text.find('\n');
        line.lf = end != std::string_view::npos;
        line.whole = text.substr(0, line.lf ? end + 1 : text.size());
        line.content = text.substr(0, end);
        if (line.lf && !line.content.empty() && line.content.back() == '\r') {
            line.content.remove_suffix(1);
            line.crlf = true;
        }
        text.remove_prefix(line.whole.size());
        lines.push_back(line);
    }
    return lines;
}

} // namespace textinput

#endif
