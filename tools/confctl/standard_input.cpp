// Standard input read whole, and as lines.
#include "command.h"

#include <cstdio>

namespace confctl {

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

} // namespace confctl
