#include "preview_page.h"

#include "apply.h"
#include "history_view.h"

namespace admin {
namespace {

using page::HtmlEscape;

// One line of the readable diff, escaped, with its line end in a span that
// says what kind it is.
std::string DiffLine(const std::string &line) {
    const char *kind = "same";
    if (line.rfind("# ", 0) == 0)
        kind = "note";
    else if (line.rfind("+++", 0) == 0 || line.rfind("---", 0) == 0)
        kind = "file";
    else if (line.rfind("@@", 0) == 0)
        kind = "hunk";
    else if (!line.empty() && line[0] == '+')
        kind = "add";
    else if (!line.empty() && line[0] == '-')
        kind = "del";
    return std::string("<span class=\"") + kind + "\">" + HtmlEscape(line) + "\n</span>";
}

std::string Summary(const preview::Change &change, const std::string &name) {
    if (!change.changed())
        return "Applying this form changes nothing in " + name + "; Apply would save nothing.";
    const history::LineCounts n = history::CountDiffLines(change.readable);
    const std::string loss =
        change.loses() ? " Writing the file back would also lose " + preview::LossSummary(change) +
                             ", which this form does not change: Apply saves only when you "
                             "accept that below."
                       : "";
    return "Applying this form would write " + name + " with " + std::to_string(n.removed) +
           " line(s) removed and " + std::to_string(n.added) + " added." + loss +
           " Nothing has been saved yet.";
}

std::string List(const char *id, const std::vector<std::string> &items, const char *none) {
    if (items.empty()) return std::string("<p id=\"") + id + "\">" + none + "</p>\n";
    std::string out = std::string("<ul id=\"") + id + "\">\n";
    for (const std::string &item : items)
        out += "<li>" + HtmlEscape(item) + "</li>\n";
    return out + "</ul>\n";
}

// The check box that accepts the loss, when there is one.
std::string AcceptLoss(const preview::Change &change) {
    if (!change.loses()) return "";
    return std::string("<p><label><input type=\"checkbox\" name=\"") + kAcceptLossField +
           "\" value=\"" + kAcceptLossValue +
           "\"> Save all the same: the lines and bytes listed under \"What the save would "
           "lose\" are lost</label></p>\n";
}

// The reason the history keeps with the save; only what a save asks for.
std::string ReasonField(const preview::Change &change) {
    if (!change.changed()) return "";
    return std::string("<p><label>Reason (kept in the history) <input type=\"text\" name=\"") +
           kReasonField + "\" size=\"50\" maxlength=\"" + std::to_string(kReasonChars) +
           "\"></label></p>\n";
}

} // namespace

std::string DiffHtml(const std::string &diff) {
    std::string out;
    for (std::size_t start = 0; start < diff.size();) {
        std::size_t end = diff.find('\n', start);
        if (end == std::string::npos) end = diff.size();
        out += DiffLine(diff.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

std::string RenderPreviewPage(const PreviewPage &p) {
    const std::string name = p.config.substr(p.config.find_last_of('/') + 1);
    std::string out = page::PageStart("Preview - Proxy administration") +
                      "<header class=\"top\">\n<h1>Preview of the change</h1>\n<p class=\"file\">"
                      "Configuration file: <code>" +
                      HtmlEscape(p.config) + "</code></p>\n</header>\n<main>\n" +
                      "<p id=\"summary\" class=\"message\" role=\"status\">" +
                      HtmlEscape(Summary(p.change, name)) + "</p>\n";
    out += "<h2>What the save would write</h2>\n";
    out += p.change.readable.empty()
               ? "<p id=\"diff\">No line of the file changes.</p>\n"
               : "<pre class=\"diff\" id=\"diff\">" + DiffHtml(p.change.readable) + "</pre>\n";
    const std::vector<std::string> none;
    out += "<h2>What the save would lose</h2>\n" +
           List("loss", p.change.changed() ? preview::LossNotes(p.change) : none, "Nothing.");
    out += "<h2>What else the save would change</h2>\n" +
           List("incidental", p.change.incidental, "Nothing else.");
    out += "<form id=\"apply\" method=\"post\" action=\"" + HtmlEscape(p.action) + "\">\n" +
           page::HiddenInputs(p.fields) + ReasonField(p.change) + AcceptLoss(p.change) +
           "<div class=\"actions\">\n<button type=\"submit\" name=\"" + kStepField + "\" value=\"" +
           kApplyStep + "\">Apply</button>\n<a id=\"cancel\" " +
           "class=\"button secondary\" href=\"" + HtmlEscape(p.action.empty() ? "./" : p.action) +
           "\">Cancel</a>\n</div>\n</form>\n</main>\n";
    return out + page::PageEnd();
}

} // namespace admin
