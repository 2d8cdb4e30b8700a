// confctl rules, add, remove and replace: single-line rules of one directive.
#include "command.h"
#include "rule_check.h"
#include "shown_edit.h"

#include <nlohmann/json.hpp>

#include <cstring>
#include <memory>

namespace confctl {
namespace {

struct RulesOptions {
    std::string file;
    std::vector<std::string> directives;
    bool json = false;
};

struct EditOptions {
    std::string file;
    std::string directive;
    std::vector<std::string> rules;
    bool allowEmpty = false; // a list of no rules is meant
    bool ifExists = false;   // remove: rules that are not there are no error
    ChangeOutput output;
};

// A physical line that the library holds in several Lines (longer than a
// Line) is shown whole: its first Line and the pieces that continue it.
std::string WholeLine(const Line &first) {
    std::string text = first.text;
    for (const Line *piece = first.next; piece && (text.empty() || text.back() != '\n');
         piece = piece->next)
        text += piece->text;
    return text;
}

std::string WithoutLineEnd(std::string text) {
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

// Line numbers of a document: the physical line on which each Line starts.
std::vector<std::size_t> LineNumbers(const confkit::Document &doc) {
    std::vector<std::size_t> numbers;
    std::size_t number = 1;
    for (const Line &line : doc.Lines()) {
        numbers.push_back(number);
        std::size_t length = std::strlen(line.text);
        if (length > 0 && line.text[length - 1] == '\n') ++number;
    }
    return numbers;
}

int ListRules(const RulesOptions &options) {
    std::vector<int32_t> ids;
    for (const std::string &name : options.directives)
        ids.push_back(DirectiveId(name));
    const auto session = OpenReading(options.file);
    const confkit::Document &doc = session.doc();
    std::vector<std::size_t> numbers = LineNumbers(doc);

    nlohmann::ordered_json found = nlohmann::ordered_json::array();
    std::size_t index = 0;
    const Line *previous = nullptr;
    for (const Line &line : doc.Lines()) {
        std::size_t number = numbers[index++];
        bool startsLine = !previous || std::strchr(previous->text, '\n');
        previous = &line;
        if (!startsLine) continue;
        for (int32_t id : ids) {
            if (!HTTPDRuleMatch(line.text, id)) continue;
            std::string text = WholeLine(line);
            if (options.json)
                found.push_back({{"line", number},
                                 {"directive", confkit::RuleName(id)},
                                 {"text", WithoutLineEnd(text)}});
            else
                Print(WithoutLineEnd(text) + "\n");
            break;
        }
    }
    if (options.json)
        Print(found.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n");
    return kOk;
}

bool BlankOrComment(const std::string &line) {
    std::size_t first = line.find_first_not_of(" \t");
    return first == std::string::npos || line[first] == '#';
}

// The rules to edit, from the arguments or, for "-", from standard input,
// each checked to be a whole rule of the directive that the file can hold.
// Blank and comment lines are no rules. A list without any rule is refused
// unless it is meant (--allow-empty): an empty or closed standard input must
// not wipe a directive's rules.
confkit::LineList RuleList(const EditOptions &options, int32_t id) {
    std::vector<InputLine> rules;
    bool fromStdin = options.rules.size() == 1 && options.rules[0] == "-";
    if (fromStdin)
        rules = ReadStdinLines();
    else
        for (std::size_t i = 0; i < options.rules.size(); ++i)
            rules.push_back({i + 1, options.rules[i]});
    std::vector<std::string> texts;
    for (const auto &[number, rule] : rules) {
        if (BlankOrComment(rule)) continue;
        std::string where = fromStdin ? "standard input:" + std::to_string(number) : "";
        Accept(
            valuecheck::CheckRuleLine(fromStdin ? where : "rule " + std::to_string(number), rule));
        if (!where.empty()) where += ": ";
        if (auto refusal = rulecheck::Refusal(rule, id)) throw Failure(where + *refusal);
        texts.push_back(rule + "\n");
    }
    if (texts.empty() && !options.allowEmpty)
        throw Failure("no rule of the directive " + confkit::RuleName(id) +
                      " given; --allow-empty says that an empty list is meant");
    return confkit::LineList::FromTexts(texts);
}

// The directive as the rules spell it ("Pass", not the table's "pass"), for
// a summary an administrator reads.
std::string SpelledDirective(const confkit::LineList &list, int32_t id) {
    for (const Line &line : list) {
        const std::string text = line.text;
        const std::size_t start = text.find_first_not_of(" \t");
        if (start == std::string::npos) continue;
        return text.substr(start, text.find_first_of(" \t\r\n", start) - start);
    }
    return confkit::RuleName(id);
}

int Edit(const EditOptions &options, const std::string &verb) {
    int32_t id = DirectiveId(options.directive);
    confkit::LineList list = RuleList(options, id);
    const std::size_t count = list.size();
    const std::string summary = verb + " " + SpelledDirective(list, id) + ": " +
                                std::to_string(count) + (count == 1 ? " rule" : " rules");
    ShownEdit session(options.file, options.output);
    confkit::Document &doc = session.doc();
    if (verb == "add") {
        doc.AddRules(id, std::move(list));
    } else if (verb == "replace") {
        doc.ReplaceRules(id, std::move(list));
    } else if (options.ifExists) {
        doc.RemoveRules(id, std::move(list));
    } else {
        // Nothing is removed unless every rule is there.
        confkit::LineList missing = doc.RemoveRules(id, std::move(list));
        if (!missing.empty()) {
            for (const Line &line : missing)
                std::fprintf(stderr, "confctl: %s: no rule '%s' to remove\n", options.file.c_str(),
                             WithoutLineEnd(line.text).c_str());
            throw Failure(options.file + ": nothing removed, the file is unchanged");
        }
    }
    return session.Finish(summary);
}

void AddEdit(CLI::App &app, Runner &run, const std::string &verb, const std::string &description) {
    auto options = std::make_shared<EditOptions>();
    CLI::App *sub = AddFileCommand(app, verb, description, options->file);
    sub->add_option("DIRECTIVE", options->directive, "directive name (or rule ID)")->required();
    sub->add_option("RULE", options->rules,
                    "whole rule lines, or - to read them from standard input");
    sub->add_flag("--allow-empty", options->allowEmpty,
                  "accept a list without any rule (replace then removes every rule)");
    if (verb == "remove")
        sub->add_flag("--if-exists", options->ifExists,
                      "remove the rules that are there; the others are no error");
    AddChangeOptions(sub, options->output);
    RunWith(sub, run, options, [verb](const EditOptions &o) { return Edit(o, verb); });
}

} // namespace

void AddRuleCommands(CLI::App &app, Runner &run) {
    auto options = std::make_shared<RulesOptions>();
    CLI::App *rules = AddFileCommand(
        app, "rules", "List the rules of one or more directives in file order", options->file);
    rules->add_option("DIRECTIVE", options->directives, "directive names (or rule IDs)")
        ->required();
    rules->add_flag("--json", options->json, "print a JSON array of {line, directive, text}");
    RunWith(rules, run, options, ListRules);

    AddEdit(app, run, "add",
            "Add rules that the file does not hold yet, after the directive's last rule");
    AddEdit(app, run, "remove",
            "Remove rules (all must be present, else nothing changes, unless --if-exists)");
    AddEdit(app, run, "replace", "Make the directive's rules exactly the given ones");
}

} // namespace confctl
