#include "history_section.h"

#include "apply.h"
#include "preview_page.h"

#include "form_field.h"
#include "history_view.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace admin {
namespace {

using page::HtmlEscape;

// The form that restores revision n: to the preview first.
std::string RestoreForm(std::size_t n, const std::string &action, const page::FormFields &fields) {
    return "<form class=\"restore\" method=\"post\" action=\"" + HtmlEscape(action) + "\">\n" +
           page::HiddenInputs(fields) + "<input type=\"hidden\" name=\"" + page::kOperationField +
           "\" value=\"" + kRestore + "\">\n<input type=\"hidden\" name=\"" + kRevisionField +
           "\" value=\"" + std::to_string(n) + "\">\n<button type=\"submit\">Restore</button>\n" +
           "</form>\n";
}

// Where the page of revision n is.
std::string RevisionAddress(const std::string &action, std::size_t n) {
    return HtmlEscape(action.empty() ? "./" : action) + "?" + kRevisionField + "=" +
           std::to_string(n);
}

std::string Cell(const std::string &text) {
    return "<td>" + HtmlEscape(text) + "</td>";
}

std::string Row(const history::Entry &e, const std::string &action,
                const page::FormFields &fields) {
    return "<tr><td><a href=\"" + RevisionAddress(action, e.number) + "\">" +
           std::to_string(e.number) + "</a></td>" + Cell(e.time) + Cell(e.who) + Cell(e.program) +
           Cell(e.summary) + Cell(e.reason) +
           Cell("+" + std::to_string(e.added) + " -" + std::to_string(e.removed)) + "<td>" +
           RestoreForm(e.number, action, fields) + "</td></tr>\n";
}

const char *const kHistoryHead =
    "<table id=\"history\" class=\"history\">\n<thead><tr><th scope=\"col\">Revision</th>"
    "<th scope=\"col\">When (UTC)</th><th scope=\"col\">Who</th><th scope=\"col\">Program</th>"
    "<th scope=\"col\">Summary</th><th scope=\"col\">Reason</th><th scope=\"col\">Lines</th>"
    "<th scope=\"col\">Restore</th></tr></thead>\n<tbody>\n";

} // namespace

std::string HistorySection(const history::History &history, const std::string &bytes,
                           const std::string &action, const page::FormFields &fields) {
    const std::vector<history::Entry> entries = history.Entries();
    if (entries.empty())
        return "<p id=\"history-none\">No save has been recorded yet: the first save keeps the "
               "file as it was as revision 0.</p>\n";
    std::string out;
    if (history.ChangedOutside(bytes))
        out += "<p id=\"history-outside\" class=\"note\">The file was changed outside since "
               "revision " +
               std::to_string(entries.back().number) +
               "; the next save keeps that version as a revision of its own.</p>\n";
    out += kHistoryHead;
    const std::size_t shown = std::min(entries.size(), kHistoryRows);
    for (std::size_t i = 0; i < shown; ++i)
        out += Row(entries[entries.size() - 1 - i], action, fields);
    out += "</tbody>\n</table>\n";
    if (entries.size() > shown)
        out += "<p>" + std::to_string(entries.size() - shown) +
               " older revision(s) are not listed; confctl history list shows them all.</p>\n";
    return out;
}

std::string RevisionPage(const history::History &history, std::size_t n, const std::string &action,
                         const page::FormFields &fields) {
    std::optional<history::Entry> entry;
    for (const history::Entry &e : history.Entries())
        if (e.number == n) entry = e;
    if (!entry) throw history::Error("the history holds no revision " + std::to_string(n));
    const std::string diff = history::RenderShow(history, n);
    const std::string title = "Revision " + std::to_string(n);
    std::string out = page::PageStart(title + " - Proxy administration") +
                      "<header class=\"top\">\n<h1>" + title + "</h1>\n</header>\n<main>\n" +
                      "<dl id=\"revision\">\n<dt>When (UTC)</dt><dd>" + HtmlEscape(entry->time) +
                      "</dd>\n<dt>Who</dt><dd>" + HtmlEscape(entry->who) +
                      "</dd>\n<dt>Program</dt><dd>" + HtmlEscape(entry->program) +
                      "</dd>\n<dt>Summary</dt><dd>" + HtmlEscape(entry->summary) +
                      "</dd>\n<dt>Reason</dt><dd>" + HtmlEscape(entry->reason) + "</dd>\n</dl>\n";
    out += "<h2>What it changed</h2>\n";
    out += diff.empty() ? "<p id=\"diff\">No line of the file changed.</p>\n"
                        : "<pre class=\"diff\" id=\"diff\">" + DiffHtml(diff) + "</pre>\n";
    out += RestoreForm(n, action, fields) + "<p><a id=\"back\" href=\"" +
           HtmlEscape(action.empty() ? "./" : action) + "\">Back to the page</a></p>\n</main>\n";
    return out + page::PageEnd();
}

} // namespace admin
