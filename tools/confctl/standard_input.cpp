// Standard input read whole, and as lines.
#include "command.h"
#include "text_input.h"

#include <cstdio>

namespace confctl {

std::string ReadAll(std::FILE *stream) {
    std::optional<std::string> text = textinput::ReadAll(stream);
    if (!text) throw Failure("cannot read standard input");
    return std::move(*text);
}

// A CR before the end of the input goes with the line end too.
std::vector<InputLine> ReadStdinLines() {
    const std::string text = ReadAll(stdin);
    std::vector<InputLine> lines;
    for (const textinput::Line &line : textinput::SplitLines(text)) {
        std::string_view content = line.content;
        if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
        if (content.find_first_not_of(" \t") != std::string_view::npos)
            lines.push_back({line.number, std::string(content)});
    }
    return lines;
}

} // namespace confctl
