// confctl pics: PICS filter rules (DefinePicsRule blocks), their clauses and
// their Filter line.
#include "block_options.h"

#include "common/pics_check.h"
#include "common/text.h"

#include <map>
#include <memory>
#include <optional>

namespace confctl {
namespace {

void RequirePicsRule(const confkit::Document &doc, const std::string &name) {
    if (!doc.Pics(name)) throw Failure(doc.Path() + ": no PICS rule named '" + name + "'");
}

std::string ClauseKeyword(const std::string &keyword) {
    std::string lower = ascii::ToLower(keyword);
    for (const char *known : {"serviceinfo", "applies-to", "passurl", "failurl"})
        if (lower == known) return lower;
    throw Failure("unknown clause keyword '" + keyword +
                  "' (serviceinfo, applies-to, passurl or failurl)");
}

// A keyword's clause values as the library takes them: a null-ended list.
void CheckClause(const std::string &keyword, const std::vector<std::string> &values) {
    std::vector<const char *> list;
    list.reserve(values.size() + 1);
    for (const std::string &value : values)
        list.push_back(value.c_str());
    list.push_back(nullptr);
    Accept(valuecheck::CheckPicsClause(keyword.c_str(), list.data()));
}

void CheckFilterText(const std::string &text) {
    Accept(valuecheck::CheckFilter(text.c_str()));
    if (!TokenMatch(text.c_str(), "Filter"))
        throw Failure("a Filter text begins with the word Filter");
}

std::vector<std::string> ClauseValues(const Json &list) {
    std::vector<std::string> values;
    if (!list.is_array()) throw Failure("clause values must be a JSON array of texts");
    for (const Json &value : list) {
        if (!value.is_string()) throw Failure("clause values must be a JSON array of texts");
        values.push_back(ValueToWrite("value", value.get<std::string>(), nullptr));
    }
    return values;
}

// A rule record as pics put reads it, with the clauses and the Filter line
// it may carry beside the record's fields.
struct PicsPutInput {
    confkit::Record<PicsFilterRule> rule;
    std::map<std::string, std::vector<std::string>> clauses;
    bool setsFilter = false;
    std::optional<std::string> filter; // null: the rule has no Filter line
};

PicsPutInput ReadPicsPut() {
    Json object = ParseJson(ReadAll(stdin), "standard input");
    PicsPutInput input;
    if (object.is_object() && object.contains("clauses")) {
        const Json &clauses = object["clauses"];
        if (!clauses.is_object()) throw Failure("clauses must map keywords to lists of values");
        for (const auto &item : clauses.items()) {
            std::string keyword = ClauseKeyword(item.key());
            input.clauses[keyword] = ClauseValues(item.value());
            CheckClause(keyword, input.clauses[keyword]);
        }
        object.erase("clauses");
    }
    if (object.is_object() && object.contains("filter")) {
        input.setsFilter = true;
        const Json &filter = object["filter"];
        if (!filter.is_null() && !filter.is_string())
            throw Failure("filter must be a text or null");
        if (filter.is_string()) {
            input.filter = filter.get<std::string>();
            CheckFilterText(*input.filter);
        }
        object.erase("filter");
    }
    input.rule = RecordFromJson<PicsFilterRule>(object, "PICS rule");
    if (!input.rule->RuleName) throw Failure("a PICS rule record needs a RuleName");
    Accept(valuecheck::CheckPicsRule(*input.rule));
    return input;
}

int PicsGet(const BlockOptions &o) {
    const auto session = OpenReading(o.file);
    confkit::Record<PicsFilterRule> rule = session.doc().Pics(o.name);
    if (!rule) throw Failure(o.file + ": no PICS rule named '" + o.name + "'");
    PrintRecord(rule, o.json);
    return kOk;
}

// Rewrites the rule of that name in place, unless it already holds the
// record's values; a new rule goes to the end of the file.
void ReplaceOrAppend(confkit::Document &doc, const PicsFilterRule &rule, const std::string &name) {
    confkit::Record<PicsFilterRule> existing = doc.Pics(name);
    if (existing && SameRecord(*existing, rule)) return;
    if (!existing || !doc.ReplacePics(rule, name))
        doc.PutPics(rule, "", confkit::PicsPosition::After);
}

int PicsPut(const BlockOptions &o) {
    PicsPutInput input = ReadPicsPut();
    const PicsFilterRule &rule = *input.rule;
    ShownEdit session(o.file, o.output);
    confkit::Document &doc = session.doc();
    if (o.mode == "replace") {
        ReplaceOrAppend(doc, rule, o.anchor.empty() ? rule.RuleName : o.anchor);
    } else {
        if (!o.anchor.empty()) RequirePicsRule(doc, o.anchor);
        doc.PutPics(rule, o.anchor,
                    o.mode == "before" ? confkit::PicsPosition::Before
                                       : confkit::PicsPosition::After);
    }
    for (const auto &[keyword, values] : input.clauses) {
        confkit::ValueList list = confkit::ValueList::FromTexts(values);
        doc.PutPicsClause(rule.RuleName, keyword, list);
    }
    if (input.filter)
        doc.PutFilter(rule.RuleName, *input.filter);
    else if (input.setsFilter)
        doc.DeleteFilter(rule.RuleName);
    return session.Finish(std::string("pics put ") + rule.RuleName);
}

int PicsDelete(const BlockOptions &o) {
    ShownEdit session(o.file, o.output);
    if (!session.doc().DeletePics(o.name) && !o.ifExists)
        throw Failure(o.file + ": no PICS rule named '" + o.name + "' to delete");
    return session.Finish("pics delete " + o.name);
}

struct ClauseOptions {
    std::string file, rule, keyword, text;
    bool json = false;
    bool ifExists = false;
    ChangeOutput output;
};

int ClauseGet(const ClauseOptions &o) {
    std::string keyword = ClauseKeyword(o.keyword);
    const auto session = OpenReading(o.file);
    RequirePicsRule(session.doc(), o.rule);
    std::vector<std::string> values = session.doc().PicsClause(o.rule, keyword).Texts();
    if (o.json) {
        Print(DumpJson(Json(values)));
    } else {
        for (const std::string &value : values)
            Print(value + "\n");
    }
    return kOk;
}

int ClausePut(const ClauseOptions &o) {
    std::string keyword = ClauseKeyword(o.keyword);
    std::vector<std::string> values;
    if (o.output.json) {
        values = ClauseValues(ParseJson(ReadAll(stdin), "standard input"));
    } else {
        for (InputLine &line : ReadStdinLines())
            values.push_back(std::move(line.text));
    }
    CheckClause(keyword, values);
    ShownEdit session(o.file, o.output);
    confkit::Document &doc = session.doc();
    RequirePicsRule(doc, o.rule);
    confkit::ValueList list = confkit::ValueList::FromTexts(values);
    doc.PutPicsClause(o.rule, keyword, list);
    return session.Finish("pics clause put " + o.rule + " " + keyword);
}

int FilterPut(const ClauseOptions &o) {
    CheckFilterText(o.text);
    ShownEdit session(o.file, o.output);
    confkit::Document &doc = session.doc();
    RequirePicsRule(doc, o.rule);
    doc.PutFilter(o.rule, o.text);
    return session.Finish("pics filter put " + o.rule);
}

int FilterDelete(const ClauseOptions &o) {
    ShownEdit session(o.file, o.output);
    confkit::Document &doc = session.doc();
    RequirePicsRule(doc, o.rule);
    std::size_t before = doc.Lines().size();
    doc.DeleteFilter(o.rule);
    if (doc.Lines().size() == before && !o.ifExists)
        throw Failure(o.file + ": the PICS rule '" + o.rule + "' has no Filter clause");
    return session.Finish("pics filter delete " + o.rule);
}

CLI::App *AddClauseSubcommand(CLI::App *parent, const std::string &verb,
                              const std::string &description, ClauseOptions &o) {
    CLI::App *sub = AddFileCommand(*parent, verb, description, o.file);
    sub->add_option("RULE", o.rule, "PICS rule name (case counts)")->required();
    return sub;
}

void AddClauseCommands(CLI::App *pics, Runner &run) {
    CLI::App *clause =
        AddGroup(*pics, "clause", "The serviceinfo, applies-to, passurl and failurl clauses");
    auto get = std::make_shared<ClauseOptions>();
    CLI::App *sub = AddClauseSubcommand(
        clause, "get", "Print the values of a keyword's clauses, one a line", *get);
    sub->add_option("KEYWORD", get->keyword, "serviceinfo, applies-to, passurl or failurl")
        ->required();
    sub->add_flag("--json", get->json, "values as a JSON array of texts");
    RunWith(sub, run, get, ClauseGet);

    auto put = std::make_shared<ClauseOptions>();
    sub = AddClauseSubcommand(
        clause, "put",
        "Replace a keyword's clauses with the values on standard input, one a line (with --json, "
        "a JSON array of texts)",
        *put);
    sub->add_option("KEYWORD", put->keyword, "serviceinfo, applies-to, passurl or failurl")
        ->required();
    AddChangeOptions(sub, put->output);
    RunWith(sub, run, put, ClausePut);

    CLI::App *filter = AddGroup(*pics, "filter", "The Filter line of a PICS rule");
    auto fput = std::make_shared<ClauseOptions>();
    sub = AddClauseSubcommand(filter, "put", "Write or replace the rule's Filter line", *fput);
    sub->add_option("TEXT", fput->text, "the filter, beginning with the word Filter")->required();
    AddChangeOptions(sub, fput->output);
    RunWith(sub, run, fput, FilterPut);
    auto fdel = std::make_shared<ClauseOptions>();
    sub = AddClauseSubcommand(filter, "delete", "Remove the rule's Filter clause", *fdel);
    sub->add_flag("--if-exists", fdel->ifExists, "a rule without a Filter clause is no error");
    AddChangeOptions(sub, fdel->output);
    RunWith(sub, run, fdel, FilterDelete);
}

} // namespace

void AddPicsCommands(CLI::App &app, Runner &run) {
    CLI::App *pics = AddGroup(app, "pics", "PICS filter rules (DefinePicsRule blocks)");
    AddGet(pics, run, "PICS rule", PicsGet);
    AddPut(pics, run, "PICS rule", PicsPut);
    AddDelete(pics, run, "PICS rule", PicsDelete);
    AddClauseCommands(pics, run);
}

} // namespace confctl
