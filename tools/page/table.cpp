#include "table.h"

#include "capture.h"
#include "page.h"

#include <algorithm>

namespace page {
namespace {

// Where a table row of the generators ends; their markup is the only markup
// in what they print, since values reach them with stand-ins for "<".
constexpr const char *kRowEnd = "</tr>";

std::size_t Count(const std::string &text, const std::string &piece, std::size_t from,
                  std::size_t to) {
    std::size_t n = 0;
    for (std::size_t at = text.find(piece, from); at < to; at = text.find(piece, at + 1))
        ++n;
    return n;
}

// The rows with empty cells added so that every row has width cells; width
// is at least the widest row.
std::string PadRows(const std::string &rows, std::size_t &width) {
    for (std::size_t start = 0, end; (end = rows.find(kRowEnd, start)) != std::string::npos;
         start = end + 1)
        width = std::max(width, Count(rows, "<td", start, end));
    std::string padded;
    std::size_t start = 0;
    for (std::size_t end; (end = rows.find(kRowEnd, start)) != std::string::npos;) {
        padded.append(rows, start, end - start);
        for (std::size_t n = Count(rows, "<td", start, end); n < width; ++n)
            padded += "<td></td>";
        start = end;
        padded += kRowEnd;
        start += std::string(kRowEnd).size();
    }
    return padded + rows.substr(start);
}

} // namespace

std::string Table(const ShownDocument &shown, const TableSpec &t,
                  const std::function<int32_t()> &rows) {
    int32_t count = 0;
    std::size_t width = t.headers.size();
    const std::string body = PadRows(shown.Html(CaptureStdout([&] { count = rows(); })), width);
    const std::string captionId = t.id + "-caption";
    std::string out =
        "<div class=\"table-wrap\" role=\"region\" tabindex=\"0\" aria-labelledby=\"" + captionId +
        "\">\n<table id=\"" + t.id + "\"" + (t.filterable ? " class=\"filterable\"" : "") +
        ">\n<caption id=\"" + captionId + "\">" + HtmlEscape(t.caption) + "</caption>\n<thead><tr>";
    for (std::size_t i = 0; i < t.headers.size(); ++i) {
        const bool last = i + 1 == t.headers.size();
        const std::size_t span = last ? width - i : 1;
        out += "<th scope=\"col\"" +
               (span > 1 ? " colspan=\"" + std::to_string(span) + "\"" : std::string()) + ">" +
               HtmlEscape(t.headers[i]) + "</th>";
    }
    out += "</tr></thead>\n<tbody>\n" + body;
    if (count == 0)
        out += "<tr class=\"none\"><td colspan=\"" + std::to_string(width) + "\">none</td></tr>\n";
    return out + "</tbody>\n</table>\n</div>\n";
}

} // namespace page
