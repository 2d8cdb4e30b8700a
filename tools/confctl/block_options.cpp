#include "block_options.h"

#include <memory>

namespace confctl {

namespace {

void AddPutOptions(CLI::App *sub, BlockOptions &options) {
    sub->add_option("--mode", options.mode, "where the record goes (default replace)")
        ->check(CLI::IsMember({"before", "after", "replace"}));
    sub->add_option(
        "--anchor", options.anchor,
        "the entry to replace or to place the record next to (default: the record's own name)");
    AddChangeOptions(sub, options.output);
}

// A subcommand on the entry of a name: FILE, then NAME.
CLI::App *AddNamedEntryCommand(CLI::App *parent, const std::string &verb,
                               const std::string &description, BlockOptions &options) {
    CLI::App *sub = AddFileCommand(*parent, verb, description, options.file);
    sub->add_option("NAME", options.name, "name of the entry")->required();
    return sub;
}

} // namespace

void AddGet(CLI::App *parent, Runner &run, const std::string &what, BlockAction action) {
    auto o = std::make_shared<BlockOptions>();
    CLI::App *sub = AddNamedEntryCommand(parent, "get", "Print the " + what + " of that name", *o);
    sub->add_flag("--json", o->json, "print the record as a JSON object");
    RunWith(sub, run, o, action);
}

void AddPut(CLI::App *parent, Runner &run, const std::string &what, BlockAction action) {
    auto o = std::make_shared<BlockOptions>();
    CLI::App *sub = AddFileCommand(
        *parent, "put", "Write a " + what + " from a JSON record on standard input", o->file);
    AddPutOptions(sub, *o);
    sub->footer("The record is a JSON object whose keys are the record's field names and whose "
                "values are texts, or null for an absent field, as get --json prints it. A value's "
                "line end, and the unit word that the library writes after a time-out, are taken "
                "off before writing. A replacing put of the record already there changes nothing.");
    RunWith(sub, run, o, action);
}

void AddDelete(CLI::App *parent, Runner &run, const std::string &what, BlockAction action) {
    auto o = std::make_shared<BlockOptions>();
    CLI::App *sub =
        AddNamedEntryCommand(parent, "delete", "Remove the " + what + " of that name", *o);
    sub->add_flag("--if-exists", o->ifExists, "a missing entry is no error (nothing changes)");
    AddChangeOptions(sub, o->output);
    RunWith(sub, run, o, action);
}

} // namespace confctl
