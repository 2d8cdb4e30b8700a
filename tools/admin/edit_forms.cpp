#include "edit_forms.h"

#include "apply.h"

#include "common/value_check.h"

namespace admin {
namespace {

using page::HtmlEscape;

std::string WithoutLineEnd(std::string text) {
    if (!text.empty() && text.back() == '\n') text.pop_back();
    if (!text.empty() && text.back() == '\r') text.pop_back();
    return text;
}

// The text area that holds the rules of a directive, one a line, escaped,
// so that "</textarea>" in a rule stays text. A rule holding a control byte
// would come back changed, so the whole list is then shown disabled, and a
// save leaves it alone.
std::string RuleListArea(const confkit::Document &doc, const std::string &directive) {
    std::string text;
    bool control = false;
    for (const Line &rule : doc.Rules(confkit::RuleId(directive))) {
        const std::string line = WithoutLineEnd(rule.text);
        for (char c : line)
            control = control || valuecheck::IsRefusedControl(c);
        text += HtmlEscape(line) + "\n";
    }
    const page::ControlByteLock lock =
        control ? page::LockForControlBytes("rules-" + directive) : page::ControlByteLock{};
    return "<label>" + directive + " rules<textarea name=\"" + kRulesFieldPrefix + directive +
           "\" form=\"" + kSettingsFormId +
           "\" rows=\"4\" cols=\"64\" wrap=\"off\" spellcheck=\"false\"" + lock.attributes + ">\n" +
           text + "</textarea>" + lock.note + "</label>\n";
}

std::string RuleLists(const confkit::Document &doc) {
    std::string out =
        std::string("<h3 id=\"rule-lists\">Rule lists</h3>\n") +
        "<p>Each box holds every rule of one directive, one rule a line. They are "
        "saved together with the server settings.</p>\n<input type=\"hidden\" name=\"" +
        kOperationField + "\" value=\"" + kSettingsOperation + "\" form=\"" + kSettingsFormId +
        "\">\n<div class=\"rule-lists\">\n";
    for (const std::string &directive : EditableDirectives())
        out += RuleListArea(doc, directive);
    return out + "</div>\n<p><button type=\"submit\" form=\"" + kSettingsFormId +
           "\">Preview changes</button></p>\n";
}

std::string OpenForm(const char *id, const std::string &action, const char *op,
                     const page::FormFields &fields) {
    return std::string("<form id=\"") + id + "\" class=\"edit\" method=\"post\" action=\"" +
           HtmlEscape(action) + "\">\n" + page::HiddenInputs(fields) +
           "<input type=\"hidden\" name=\"" + kOperationField + "\" value=\"" + op + "\">\n";
}

std::string Input(const char *label, const char *name, bool required, int size) {
    return std::string("<label>") + label + " <input type=\"text\" name=\"" + name + "\" size=\"" +
           std::to_string(size) + "\"" + (required ? " required" : "") + "></label>\n";
}

const char *const kPreviewButton = "<button type=\"submit\">Preview</button>\n</form>\n";

std::string ProtectForms(const std::string &action, const page::FormFields &fields) {
    return "<h3 id=\"protect-edit\">Change Protect entries</h3>\n" +
           OpenForm("protect-put", action, kProtectPut, fields) +
           Input("URL template", "template", true, 20) + Input("Setup", "setup", true, 14) +
           Input("Address", "address", false, 14) +
           "<label>Place <select name=\"position\"><option value=\"before\">before</option>"
           "<option value=\"after\">after</option><option value=\"replace\">replacing</option>"
           "</select></label>\n" +
           Input("the entry for", "anchor", false, 14) + kPreviewButton +
           OpenForm("protect-delete", action, kProtectDelete, fields) +
           Input("URL template", "template", true, 20) + kPreviewButton;
}

std::string PicsForms(const std::string &action, const page::FormFields &fields) {
    return "<h3 id=\"pics-edit\">Change PICS rules</h3>\n"
           "<p>Putting a rule that exists rewrites its description, days and times; a new rule "
           "is added after the others.</p>\n" +
           OpenForm("pics-put", action, kPicsPut, fields) + Input("Name", "name", true, 14) +
           Input("Description", "description", false, 30) + Input("Days", "days", true, 10) +
           Input("From", "start", false, 6) + Input("Until", "end", false, 6) + kPreviewButton +
           OpenForm("pics-delete", action, kPicsDelete, fields) + Input("Name", "name", true, 14) +
           kPreviewButton;
}

} // namespace

std::string EditForms(const std::string &section, const confkit::Document &doc,
                      const std::string &action, const page::FormFields &fields) {
    if (section == "section-rules") return RuleLists(doc);
    if (section == "section-protection") return ProtectForms(action, fields);
    if (section == "section-filtering") return PicsForms(action, fields);
    return "";
}

} // namespace admin
