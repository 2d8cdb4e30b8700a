// What the block subcommands (protect, ldap, member, pics) share: their
// options, the get, put and delete subcommands, and records on standard
// input and output.
#ifndef CONFCTL_BLOCK_OPTIONS_H
#define CONFCTL_BLOCK_OPTIONS_H

#include "record_json.h"
#include "shown_edit.h"

#include <string>

namespace confctl {

struct BlockOptions {
    std::string file;
    std::string name;
    std::string mode = "replace";
    std::string anchor;
    bool json = false;     // get: the record as JSON
    bool ifExists = false; // delete: a missing entry is no error
    ChangeOutput output;   // put and delete
};

using BlockAction = int (*)(const BlockOptions &);

void AddGet(CLI::App *parent, Runner &run, const std::string &what, BlockAction action);
void AddPut(CLI::App *parent, Runner &run, const std::string &what, BlockAction action);
void AddDelete(CLI::App *parent, Runner &run, const std::string &what, BlockAction action);

template <class R> confkit::Record<R> ReadRecord(const std::string &kind) {
    return RecordFromJson<R>(ParseJson(ReadAll(stdin), "standard input"), kind);
}

template <class R> void PrintRecord(const confkit::Record<R> &record, bool json) {
    Print(json ? DumpJson(RecordToJson(*record)) : RecordToText(*record));
}

} // namespace confctl

#endif
