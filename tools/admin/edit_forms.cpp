#include "edit_forms.h"

#include "apply.h"
#include "page.h"

namespace admin {
namespace {

using page::HtmlEscape;

// The rules of a directive as the text of a text area: the lines as the file
// holds them, escaped, so that "</textarea>" in a rule stays text.
std::string RuleListText(const confkit::Document &doc, const std::string &directive) {
    std::string text;
    for (const Line &rule : doc.Rules(confkit::RuleId(directive)))
        text += HtmlEscape(rule.text);
    return text;
}

void PrintRuleLists(std::FILE *out, const confkit::Document &doc) {
    std::fprintf(out,
                 "<section id=\"rule-lists\">\n<h2>Rule lists</h2>\n"
                 "<p>Each box holds every rule of one directive, one rule a line. "
                 "<b>Apply</b> saves them together with the server settings.</p>\n"
                 "<input type=\"hidden\" name=\"%s\" value=\"%s\" form=\"%s\">\n"
                 "<div class=\"rule-lists\">\n",
                 kOperationField, kSettingsOperation, kSettingsFormId);
    for (const std::string &directive : EditableDirectives()) {
        const std::string text = RuleListText(doc, directive);
        std::fprintf(
            out,
            "<label>%s<br><textarea name=\"%s%s\" form=\"%s\" rows=\"4\" cols=\"64\" wrap=\"off\" "
            "spellcheck=\"false\">\n%s</textarea></label>\n",
            directive.c_str(), kRulesFieldPrefix, directive.c_str(), kSettingsFormId, text.c_str());
    }
    std::fprintf(out,
                 "</div>\n<p><button type=\"submit\" form=\"%s\">Apply</button></p>\n</section>\n",
                 kSettingsFormId);
}

void OpenForm(std::FILE *out, const char *id, const std::string &action, const char *op) {
    std::fprintf(out,
                 "<form id=\"%s\" method=\"post\" action=\"%s\">\n"
                 "<input type=\"hidden\" name=\"%s\" value=\"%s\">\n",
                 id, HtmlEscape(action).c_str(), kOperationField, op);
}

void Input(std::FILE *out, const char *label, const char *name, bool required, int size) {
    std::fprintf(out, "<label>%s <input type=\"text\" name=\"%s\" size=\"%d\"%s></label>\n", label,
                 name, size, required ? " required" : "");
}

void PrintProtectForms(std::FILE *out, const std::string &action) {
    std::fputs("<section id=\"protect-edit\">\n<h2>Protect entries</h2>\n", out);
    OpenForm(out, "protect-put", action, kProtectPut);
    Input(out, "URL template", "template", true, 20);
    Input(out, "Setup", "setup", true, 14);
    Input(out, "Address", "address", false, 14);
    std::fputs("<label>Place <select name=\"position\"><option value=\"before\">before</option>"
               "<option value=\"after\">after</option><option value=\"replace\">replacing</option>"
               "</select></label>\n",
               out);
    Input(out, "the entry for", "anchor", false, 14);
    std::fputs("<button type=\"submit\">Put</button>\n</form>\n", out);
    OpenForm(out, "protect-delete", action, kProtectDelete);
    Input(out, "URL template", "template", true, 20);
    std::fputs("<button type=\"submit\">Delete</button>\n</form>\n</section>\n", out);
}

void PrintPicsForms(std::FILE *out, const std::string &action) {
    std::fputs("<section id=\"pics-edit\">\n<h2>PICS rules</h2>\n"
               "<p>Putting a rule that exists rewrites its description, days and times; "
               "a new rule is added after the others.</p>\n",
               out);
    OpenForm(out, "pics-put", action, kPicsPut);
    Input(out, "Name", "name", true, 14);
    Input(out, "Description", "description", false, 30);
    Input(out, "Days", "days", true, 10);
    Input(out, "From", "start", false, 6);
    Input(out, "Until", "end", false, 6);
    std::fputs("<button type=\"submit\">Put</button>\n</form>\n", out);
    OpenForm(out, "pics-delete", action, kPicsDelete);
    Input(out, "Name", "name", true, 14);
    std::fputs("<button type=\"submit\">Delete</button>\n</form>\n</section>\n", out);
}

} // namespace

void PrintEditForms(std::FILE *out, const confkit::Document &doc, const std::string &action) {
    std::fputs("<style>.rule-lists{display:flex;flex-wrap:wrap;gap:0.5em 1.5em}"
               "section form{margin:0.5em 0}</style>\n",
               out);
    PrintRuleLists(out, doc);
    PrintProtectForms(out, action);
    PrintPicsForms(out, action);
}

} // namespace admin
