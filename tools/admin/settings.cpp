// Applying the settings form (declared in settings_form.h): a value goes
// into the first rule of its directive, a check box turns its directive on
// or off or enables its method, and a text area replaces every rule of its
// directive. A field sent as the page showed it changes nothing.
#include "apply.h"
#include "http.h"
#include "rule_check.h"
#include "settings_form.h"
#include "text_input.h"
#include "values.h"

#include "common/text.h"

#include <cstdlib>
#include <new>
#include <optional>

namespace admin {
namespace {

using page::FormField;
using Kind = page::FieldKind;

int32_t IdOf(const std::string &directive) {
    const int32_t id = confkit::RuleId(directive);
    if (id < 0) throw HttpError(500, "the program names an unknown directive");
    return id;
}

std::string Field(const Line &rule, int n) {
    return GetField(rule.text, n);
}

// The rule texts of a directive, in document order.
std::vector<std::string> RuleTexts(const confkit::Document &doc, int32_t id) {
    return doc.Rules(id).Texts();
}

// Makes the directive's rules the given texts; rules the document already
// holds keep their place and their text.
void Replace(confkit::Document &doc, int32_t id, const std::vector<std::string> &texts) {
    doc.ReplaceRules(id, confkit::LineList::FromTexts(texts));
}

// Puts text in the place of the rule old (a text the document holds). A
// replace of the rule list would move a rule that is the document's first
// line to the end, so the new line goes in right after the old one, which
// is then removed.
void ReplaceRule(confkit::Document &doc, int32_t id, const std::string &old,
                 const std::string &text) {
    if (RuleSame(old.c_str(), text.c_str())) return;
    if (!LinesAddStr(old.c_str(), doc.get(), text.c_str(), 2)) throw std::bad_alloc();
    doc.RemoveRules(id, confkit::LineList::FromTexts({old}));
}

void RemoveRule(confkit::Document &doc, int32_t id, const std::string &old) {
    doc.RemoveRules(id, confkit::LineList::FromTexts({old}));
}

// New rules go after the last rule of their directive, or at the end.
void AddRule(confkit::Document &doc, int32_t id, const std::string &text) {
    doc.AddRules(id, confkit::LineList::FromTexts({text}));
}

// A rule line the form makes, refused when it would not read back as one
// rule line.
std::string Checked(const std::string &label, const std::string &line) {
    RequireRuleLine(label, line.substr(0, line.find_last_not_of("\r\n") + 1));
    return line;
}

// Puts value into the first rule of the directive (keeping the others), or
// adds a rule when there is none; an empty value removes that first rule.
void SetFirstRule(confkit::Document &doc, const FormField &s, const std::string &value,
                  bool restOfLine) {
    const int32_t id = IdOf(s.directive);
    const std::vector<std::string> rules = RuleTexts(doc, id);
    if (rules.empty()) {
        if (!value.empty()) AddRule(doc, id, Checked(s.name, s.directive + " " + value + "\n"));
    } else if (value.empty()) {
        RemoveRule(doc, id, rules.front());
    } else {
        ReplaceRule(doc, id, rules.front(),
                    Checked(s.name, WithField(rules.front(), 2, value, restOfLine)));
    }
}

// What the page showed for a one-value setting.
std::string Current(const confkit::Document &doc, const FormField &s, bool restOfLine) {
    confkit::LineList rules = doc.Rules(IdOf(s.directive));
    if (rules.empty()) return s.byDefault;
    if (!restOfLine) return Field(*rules.get(), 2);
    std::string rest = PointToNextField(rules.get()->text);
    for (char &c : rest)
        if (c == '\r' || c == '\n') c = ' ';
    return Trim(rest);
}

bool IsOn(const std::string &value) {
    for (const char *word : {"ON", "YES", "OK", "ENABLE"})
        if (ascii::EqualNoCase(value, word)) return true;
    return false;
}

void ApplyValue(confkit::Document &doc, const FormField &s, const std::string &submitted) {
    const bool rest = s.kind == Kind::Text;
    std::string value;
    switch (s.kind) {
    case Kind::Word:
        value = Word(s.name, submitted);
        break;
    case Kind::Text:
        value = Text(s.name, submitted);
        break;
    case Kind::Number:
    case Kind::Numbers: {
        value = Trim(submitted);
        char *end = nullptr;
        const long number = std::strtol(value.c_str(), &end, 10);
        if (value.empty() || value.size() > 9 || *end != '\0' || number < s.low || number > s.high)
            BadRequest("the field " + s.name + " must be a number from " + std::to_string(s.low) +
                       " to " + std::to_string(s.high));
        value = std::to_string(number);
        break;
    }
    case Kind::Choice: {
        value = Trim(submitted);
        bool known = false;
        for (const page::Option &o : s.options)
            known = known || ascii::EqualNoCase(o.value, value);
        if (!known) BadRequest("the field " + s.name + " is not one of its options");
        break;
    }
    default:
        return;
    }
    const std::string current = Current(doc, s, rest);
    const bool same =
        s.kind == Kind::Choice ? ascii::EqualNoCase(current, value) : current == value;
    if (!same) SetFirstRule(doc, s, value, rest);
}

void ApplySwitch(confkit::Document &doc, const FormField &s, bool on) {
    confkit::LineList rules = doc.Rules(IdOf(s.directive));
    const bool current = rules.empty() ? s.onWhenAbsent : IsOn(Field(*rules.get(), 2));
    if (current != on) SetFirstRule(doc, s, on ? "ON" : "OFF", false);
}

// Whether the method is one of the field's check boxes.
bool IsStandardMethod(const FormField &s, const std::string &method) {
    for (const page::Option &m : s.options)
        if (ascii::EqualNoCase(method, m.value)) return true;
    return false;
}

// The method check boxes: a checked method has an Enable rule, an unchecked
// standard method has none. Enable rules of other methods (which name their
// program) stay, and enabling a method drops the Disable rules of it.
void ApplyMethods(confkit::Document &doc, const FormField &s,
                  const std::vector<std::string> &checked) {
    for (const std::string &m : checked)
        if (!IsStandardMethod(s, m))
            BadRequest("the field " + s.name + " names an unknown request method");
    auto isChecked = [&checked](const std::string &method) {
        for (const std::string &m : checked)
            if (ascii::EqualNoCase(m, method)) return true;
        return false;
    };
    const int32_t enableId = IdOf(s.directive);
    std::vector<std::string> keep;
    std::vector<std::string> enabled;
    for (const Line &rule : doc.Rules(enableId)) {
        const std::string method = Field(rule, 2);
        if (!IsStandardMethod(s, method) || isChecked(method)) keep.emplace_back(rule.text);
        if (IsStandardMethod(s, method)) enabled.push_back(method);
    }
    std::vector<std::string> added;
    for (const page::Option &o : s.options) {
        const std::string &m = o.value;
        bool present = false;
        for (const std::string &e : enabled)
            present = present || ascii::EqualNoCase(e, m);
        if (isChecked(m) && !present) added.push_back(m);
    }
    if (keep.size() == doc.Rules(enableId).size() && added.empty()) return;
    for (const std::string &m : added)
        keep.push_back(s.directive + " " + m + "\n");
    Replace(doc, enableId, keep);
    if (added.empty()) return;
    const int32_t disableId = IdOf("Disable");
    std::vector<std::string> disabled;
    for (const Line &rule : doc.Rules(disableId))
        if (!isChecked(Field(rule, 2))) disabled.emplace_back(rule.text);
    if (disabled.size() != doc.Rules(disableId).size()) Replace(doc, disableId, disabled);
}

// A value of the rule whose URL template begins with the setting's prefix:
// its third field (the time), as the page shows it.
void ApplyExpiry(confkit::Document &doc, const FormField &s, const std::string &submitted) {
    const std::string value = Word(s.name, submitted);
    const int32_t id = IdOf(s.directive);
    const std::string &prefix = s.prefix;
    for (const std::string &rule : RuleTexts(doc, id)) {
        const std::string after = PointToNextField(rule.c_str());
        if (!ascii::EqualNoCase(after.substr(0, prefix.size()), prefix)) continue;
        if (GetField(rule.c_str(), 3) == value) return;
        if (value.empty())
            RemoveRule(doc, id, rule);
        else
            ReplaceRule(doc, id, rule, Checked(s.name, WithField(rule, 3, value, false)));
        return;
    }
    if (!value.empty())
        AddRule(doc, id, Checked(s.name, s.directive + " " + prefix + "* " + value + "\n"));
}

// A text area holding the whole list of a directive's rules, one a line.
void ApplyRuleList(confkit::Document &doc, const FormField &s, const std::string &text) {
    const int32_t id = IdOf(s.directive);
    const std::string &label = s.label;
    std::vector<std::string> rules;
    for (const textinput::Line &each : textinput::SplitLines(text)) {
        const std::string line = Trim(std::string(each.content));
        if (line.empty()) continue;
        RequireRuleLine(label, line);
        if (auto refusal = rulecheck::Refusal(line, id)) BadRequest(label + ": " + *refusal);
        rules.push_back(line + "\n");
    }
    Replace(doc, id, rules);
}

} // namespace

void ApplySettings(confkit::Document &doc, const Form &form) {
    for (const auto &[name, value] : form.Fields()) {
        if (name.rfind(page::kRulesFieldPrefix, 0) != 0) continue;
        const FormField *list = page::FindField(page::SettingsForm(), name);
        if (!list || list->kind != Kind::Rules)
            BadRequest("the form offers the rules of a directive that cannot be edited");
        if (form.All(name).size() != 1) BadRequest("the form holds a list of rules twice");
        ApplyRuleList(doc, *list, value);
    }
    for (const FormField &s : page::SettingsForm().fields) {
        if (!page::IsSent(s) || s.kind == Kind::Rules) continue;
        const std::vector<std::string> values = form.All(s.name);
        switch (s.kind) {
        case Kind::Switch:
            ApplySwitch(doc, s, !values.empty());
            break;
        case Kind::Methods:
            ApplyMethods(doc, s, values);
            break;
        default:
            if (values.size() > 1) BadRequest("the field " + s.name + " is sent more than once");
            if (values.empty()) break;
            if (s.kind == Kind::Expiry)
                ApplyExpiry(doc, s, values.front());
            else
                ApplyValue(doc, s, values.front());
        }
    }
}

} // namespace admin
