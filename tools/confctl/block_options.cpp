#include "block_options.h"

#include <memory>

namespace confctl {

namespace {

void AddPutOptions(CLI::App *sub, BlockOptions &options) {
    sub->add_option("FILE", options.file, "configuration file")->required();
    sub->add_option("--mode", options.mode, "where the record goes (default replace)")
        ->check(CLI::IsMember({"before", "after", "replace"}));
    sub->add_option(
        "--anchor", options.anchor,
        "the entry to replace or to place the record next to (default: the record's own name)");
    AddChangeOptions(sub, options.output);
}

} // namespace

void AddGet(CLI::App *parent, Runner &run, const std::string &what, BlockAction action) {
    auto o = std::make_shared<BlockOptions>();
    CLI::App *sub = parent->add_subcommand("get", "Print the " + what + " of that name");
    sub->add_option("FILE", o->file, "configuration file")->required();
    sub->add_option("NAME", o->name, "name of the entry")->required();
    sub->add_flag("--json", o->json, "print the record as a JSON object");
    sub->callback([&run, o, action] { run = [o, action] { return action(*o); }; });
}

void AddPut(CLI::App *parent, Runner &run, const std::string &what, BlockAction action) {
    auto o = std::make_shared<BlockOptions>();
    CLI::App *sub =
        parent->add_subcommand("put", "Write a " + what + " from a JSON record on standard input");
    AddPutOptions(sub, *o);
    sub->footer("The record is a JSON object whose keys are the record's field names and whose "
                "values are texts, or null for an absent field, as get --json prints it. A value's "
                "line end, and the unit word that the library writes after a time-out, are taken "
                "off before writing. A replacing put of the record already there changes nothing.");
    sub->callback([&run, o, action] { run = [o, action] { return action(*o); }; });
}

void AddDelete(CLI::App *parent, Runner &run, const std::string &what, BlockAction action) {
    auto o = std::make_shared<BlockOptions>();
    CLI::App *sub = parent->add_subcommand("delete", "Remove the " + what + " of that name");
    sub->add_option("FILE", o->file, "configuration file")->required();
    sub->add_option("NAME", o->name, "name of the entry")->required();
    sub->add_flag("--if-exists", o->ifExists, "a missing entry is no error (nothing changes)");
    AddChangeOptions(sub, o->output);
    sub->callback([&run, o, action] { run = [o, action] { return action(*o); }; });
}

} // namespace confctl
