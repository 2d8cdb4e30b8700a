#include "settings_form.h"

#include "capture.h"
#include "page.h"

#include "common/value_check.h"

#include <cstdlib>

namespace page {
namespace {

using K = FieldKind;

std::vector<Option> Options(std::initializer_list<const char *> values) {
    std::vector<Option> options;
    for (const char *v : values)
        options.push_back({v, v});
    return options;
}

// One text area per directive whose rules the page offers for rewriting.
void AddRuleLists(std::vector<FormField> &fields) {
    for (const char *directive : {"Pass", "Exec", "Map", "Redirect", "Fail", "Proxy", "NoCaching"})
        fields.push_back({kRulesFieldPrefix + std::string(directive),
                          directive + std::string(" rules"), K::Rules, directive});
}

Form Declare() {
    Form form{"settings", "settings form", "", {}};
    auto &f = form.fields;
    f.push_back({"Port", "Port", K::Number, "Port", "80", {}, 1, 65535, 6});
    f.push_back({"Hostname", "Host name", K::Word, "Hostname", "", {}, 0, 0, 30});
    f.push_back({"ServerRoot", "Server root", K::Word, "ServerRoot", "", {}, 0, 0, 40});
    f.push_back({"InputTimeout", "Input time-out", K::Text, "InputTimeout", "", {}, 0, 0, 20});
    f.push_back({"Caching", "Caching", K::Switch, "Caching"});
    f.push_back({"ProxyPersistence", "Persistent connections", K::Switch, "ProxyPersistence"});
    f.back().onWhenAbsent = true;
    f.push_back({"DNS-Lookup", "DNS look-up", K::Switch, "DNS-Lookup"});
    f.push_back({"CacheAlgorithm", "Cache algorithm", K::Choice, "CacheAlgorithm", "bandwidth",
                 Options({"bandwidth", "responsetime", "blend"})});
    f.push_back({"MaxActiveThreads",
                 "Most active threads",
                 K::Numbers,
                 "MaxActiveThreads",
                 "40",
                 {},
                 10,
                 100});
    f.push_back({"Enable", "Methods", K::Methods, "Enable", "",
                 Options({"GET", "HEAD", "POST", "PUT", "DELETE", "OPTIONS", "TRACE", "CONNECT"})});
    f.push_back({"CacheDefaultExpiry-http",
                 "Cache expiry for http:",
                 K::Expiry,
                 "CacheDefaultExpiry",
                 "",
                 {},
                 0,
                 0,
                 6});
    f.back().prefix = "http:";
    f.push_back({"Welcome", "Welcome pages", K::ShownList, "Welcome", "", {}, 0, 0, 4});
    f.push_back({"AddBlankIcon", "Blank icon", K::ShownCode, "AddBlankIcon"});
    AddRuleLists(f);
    return form;
}

std::string Id(const FormField &f) {
    return "f-" + f.name;
}

// One labelled field of the settings table; fields of several controls
// have no label of their own.
std::string SettingRow(const FormField &f, const std::string &control) {
    const bool labelled = f.kind != K::Methods && f.kind != K::ShownCode;
    const std::string head =
        labelled ? "<label for=\"" + Id(f) + "\">" + HtmlEscape(f.label) + "</label>"
                 : HtmlEscape(f.label);
    return "<tr><th scope=\"row\">" + head + "</th><td>" + control + "</td></tr>\n";
}

std::string Generated(const ShownDocument &shown, const std::function<void()> &print) {
    return shown.Html(CaptureStdout(print));
}

// A text input whose value a generator prints, as an attribute value.
std::string TextInput(const ShownDocument &shown, const FormField &f,
                      const std::function<void()> &value) {
    const std::string generated = CaptureStdout(value);
    const ControlByteLock lock =
        shown.HoldsControlByte(generated) ? LockForControlBytes(Id(f)) : ControlByteLock{};
    return "<input type=\"text\" id=\"" + Id(f) + "\" name=\"" + f.name + "\" value=\"" +
           shown.Attribute(generated) + "\" size=\"" + std::to_string(f.size) + "\"" +
           lock.attributes + ">" + lock.note;
}

// The number after the directive word of the directive's first rule, or
// fallback when there is none.
int32_t FirstNumber(ConfigDocument *doc, const std::string &directive, int32_t fallback) {
    const confkit::LineList rules(HTTPDGetRules(doc, confkit::RuleId(directive)));
    const char *value = rules.empty() ? nullptr : TokenNext(rules.get()->text);
    return value ? static_cast<int32_t>(std::strtol(value, nullptr, 10)) : fallback;
}

std::string Select(const FormField &f, const char *more) {
    return "<select id=\"" + Id(f) + "\" name=\"" + f.name + "\"" + more + ">%s</select>";
}

std::string OptionList(const FormField &f) {
    std::string list;
    for (const Option &o : f.options)
        list += (list.empty() ? "" : ",") + o.value;
    return list;
}

std::string MethodBoxes(const ShownDocument &shown, ConfigDocument *d, const FormField &f) {
    return Generated(shown, [&] {
        for (const Option &m : f.options) {
            const std::string tmpl = "<label class=\"method\"><input type=\"checkbox\" name=\"" +
                                     f.name + "\" value=\"" + m.value + "\" %s>" + m.label +
                                     "</label> ";
            GenCheckedSetting(tmpl.c_str(), (f.directive + " " + m.value).c_str(), "", 0, 2,
                              "CHECKED", d);
        }
    });
}

// The control of a field, filled from d, the rules of the shown document.
std::string Control(const ShownDocument &shown, ConfigDocument *d, const FormField &f) {
    const char *dir = f.directive.c_str();
    switch (f.kind) {
    case K::Word:
    case K::Text:
    case K::Number:
        return TextInput(shown, f, [&] {
            GenTextField("%s", dir, 2, f.kind == K::Text ? 1 : 0, f.byDefault.c_str(), d);
        });
    case K::Expiry:
        return TextInput(shown, f, [&] { GenCacheTimeoutSetting("%s", dir, f.prefix.c_str(), d); });
    case K::Switch: {
        const std::string tmpl = "<input type=\"checkbox\" id=\"" + Id(f) + "\" name=\"" + f.name +
                                 "\" value=\"on\" %s>";
        return Generated(shown, [&] {
            GenCheckedSettingOnOff(tmpl.c_str(), dir, 1, f.onWhenAbsent ? 1 : 0, d);
        });
    }
    case K::Choice:
        return Generated(shown, [&] {
            GenOptionList(Select(f, "").c_str(), dir, OptionList(f).c_str(), f.byDefault.c_str(),
                          d);
        });
    case K::Numbers: {
        const int32_t current = FirstNumber(d, f.directive, std::stoi(f.byDefault));
        return Generated(shown, [&] {
            GenOptionString(Select(f, "").c_str(), static_cast<int32_t>(f.low),
                            static_cast<int32_t>(f.high), current);
        });
    }
    case K::Methods:
        return MethodBoxes(shown, d, f);
    case K::ShownList: {
        const std::string more = " size=\"" + std::to_string(f.size) + "\" disabled";
        return Generated(shown,
                         [&] { GenSelectListItems(Select(f, more.c_str()).c_str(), dir, 0, d); });
    }
    case K::ShownCode:
        return Generated(shown, [&] { GenMultiDirectiveText("<code>%s</code>", dir, 2, d); });
    default:
        return "";
    }
}

std::string WithoutLineEnd(std::string text) {
    if (!text.empty() && text.back() == '\n') text.pop_back();
    if (!text.empty() && text.back() == '\r') text.pop_back();
    return text;
}

// The text area that holds the rules of a directive, one a line, escaped,
// so that "</textarea>" in a rule stays text. A rule holding a control byte
// would come back changed, so the whole list is then shown disabled, and a
// save leaves it alone.
std::string RuleListArea(const confkit::Document &doc, const FormField &f) {
    std::string text;
    bool control = false;
    for (const Line &rule : doc.Rules(confkit::RuleId(f.directive))) {
        const std::string line = WithoutLineEnd(rule.text);
        for (char c : line)
            control = control || valuecheck::IsRefusedControl(c);
        text += HtmlEscape(line) + "\n";
    }
    const ControlByteLock lock =
        control ? LockForControlBytes("rules-" + f.directive) : ControlByteLock{};
    return "<label>" + HtmlEscape(f.label) + "<textarea name=\"" + f.name + "\" form=\"" +
           SettingsForm().id + "\" rows=\"4\" cols=\"64\" wrap=\"off\" spellcheck=\"false\"" +
           lock.attributes + ">\n" + text + "</textarea>" + lock.note + "</label>\n";
}

// Each generator of the table reads only the rules of its field's directive
// outside blocks. They are handed those rules alone, taken from the shown
// document in one pass, so that a large file is gone through once for the
// whole table rather than once for every field.
class FieldRules {
  public:
    explicit FieldRules(ConfigDocument *doc) : part_(*doc) {
        std::vector<int32_t> ids;
        for (const FormField &f : SettingsForm().fields) {
            if (f.kind == K::Rules) continue;
            const int32_t id = confkit::RuleId(f.directive);
            if (id <= 0) return; // 0 would end the list: the whole document then
            ids.push_back(id);
        }
        ids.push_back(0);
        rules_ = confkit::LineList(HTTPDGetMultiRules(doc, ids.data()));
        part_.first = rules_.get();
    }
    ConfigDocument *get() { return &part_; }

  private:
    confkit::LineList rules_;
    ConfigDocument part_;
};

} // namespace

const Form &SettingsForm() {
    static const Form form = Declare();
    return form;
}

std::string SettingsFormHtml(const Drawing &drawing) {
    std::string out = OpenForm(SettingsForm(), drawing, "", false) +
                      "<table id=\"server-settings\" class=\"settings\">\n";
    FieldRules rules(drawing.shown.get());
    for (const FormField &f : SettingsForm().fields)
        if (f.kind != K::Rules) out += SettingRow(f, Control(drawing.shown, rules.get(), f));
    return out + "</table>\n<p><button type=\"submit\">Preview changes</button></p>\n</form>\n";
}

std::string RuleListsHtml(const Drawing &drawing) {
    const std::string id = SettingsForm().id;
    std::string out =
        std::string("<h3 id=\"rule-lists\">Rule lists</h3>\n") +
        "<p>Each box holds every rule of one directive, one rule a line. They are "
        "saved together with the server settings.</p>\n<input type=\"hidden\" name=\"" +
        kOperationField + "\" value=\"" + id + "\" form=\"" + id +
        "\">\n<div class=\"rule-lists\">\n";
    for (const FormField &f : SettingsForm().fields)
        if (f.kind == K::Rules) out += RuleListArea(drawing.doc, f);
    return out + "</div>\n<p><button type=\"submit\" form=\"" + id +
           "\">Preview changes</button></p>\n";
}

} // namespace page
