// How an editing subcommand shows its change, and the save it records in
// the file's history.
#include "shown_edit.h"

#include "command.h"

#include "history_view.h"
#include "preview.h"
#include "process_user.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>

namespace confctl {

void AddChangeOptions(CLI::App *sub, ChangeOutput &output) {
    sub->add_flag("--dry-run", output.dryRun,
                  "print what would change (a unified diff of the lines whose text changes) and "
                  "write nothing");
    sub->add_flag("--diff", output.diff, "print the change (as --dry-run does) and write it");
    sub->add_flag("--exact", output.exact,
                  "with --dry-run or --diff, print the exact diff of the file's bytes, line ends "
                  "and all, which patch --binary applies");
    sub->add_flag("--json", output.json,
                  "print {\"changed\": true|false, \"diff\": \"...\", \"readable_diff\": "
                  "\"...\", \"incidental\": [...], \"loss\": [...], ...}");
    sub->add_flag("--accept-loss", output.acceptLoss,
                  "save even when writing the file back loses lines of one bare word or the "
                  "text after a Ctrl-Z byte");
    sub->add_option("--wait", output.wait,
                    "wait at most SECONDS for another program's lock on the file (default 30)")
        ->type_name("SECONDS")
        ->check(CLI::Range(0u, 86400u));
    sub->add_option("--reason", output.reason,
                    "why the change is made, recorded with it in the file's history")
        ->type_name("TEXT");
}

namespace {

const ChangeOutput &Checked(const ChangeOutput &output) {
    Accept(valuecheck::CheckPlainText("--reason", output.reason));
    return output;
}

} // namespace

ShownEdit::ShownEdit(const std::string &path, const ChangeOutput &output)
    : output_(Checked(output)),
      edit_(path, output.dryRun, MaxFileSize(), std::chrono::seconds(output.wait)) {}

namespace {

// What the history records of a save by confctl. A program that runs
// confctl for its own ends names itself in CONFCTL_CALLER.
history::Save About(const std::string &summary, const std::string &reason,
                    const preview::Change &change) {
    const history::LineCounts lines = history::CountDiffLines(change.readable);
    const char *caller = std::getenv("CONFCTL_CALLER");
    std::string program = "confctl";
    if (caller && *caller) program += std::string(" (") + caller + ")";
    return {processuser::Name(), program, summary, reason, lines.added, lines.removed};
}

// What a save recorded, for --json: the new revision, the copy of the file
// as it was before the change, and the head of the history's chain.
struct Recorded {
    std::optional<std::size_t> revision;
    std::string backupFile, head;
};

// A refused change is shown only where nothing is written anyway.
void Show(const preview::Change &change, const ChangeOutput &output, bool refused,
          const Recorded &recorded) {
    const bool changed = change.changed();
    const std::vector<std::string> none;
    if (output.json) {
        nlohmann::ordered_json report = {{"changed", changed},
                                         {"diff", changed ? change.diff : ""},
                                         {"readable_diff", changed ? change.readable : ""},
                                         {"incidental", changed ? change.incidental : none},
                                         {"loss", changed ? preview::LossNotes(change) : none}};
        report["revision"] = recorded.revision ? nlohmann::ordered_json(*recorded.revision)
                                               : nlohmann::ordered_json();
        report["backup_file"] = recorded.backupFile;
        report["history_head"] = recorded.head;
        Print(report.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n");
    } else if ((output.dryRun || (output.diff && !refused)) && changed) {
        Print(preview::Render(change, output.exact));
    }
}

} // namespace

int ShownEdit::Finish(const std::string &summary) {
    return Conclude(edit_.Preview(), summary);
}

int ShownEdit::FinishBytes(const std::string &after, const std::string &summary) {
    return Conclude(edit_.PreviewBytes(after), summary);
}

int ShownEdit::Conclude(const preview::Change &change, const std::string &summary) {
    const bool refused = change.loses() && !output_.acceptLoss;
    Recorded recorded;
    if (change.changed() && !output_.dryRun && !refused) {
        // a change is reported once it is made
        recorded.revision = edit_.Save(change, About(summary, output_.reason, change));
        if (recorded.revision && *recorded.revision > 0)
            recorded.backupFile = edit_.History().CopyPath(*recorded.revision - 1);
    }
    if (output_.json) recorded.head = edit_.History().Head();
    Show(change, output_, refused, recorded);
    if (!change.loses()) return kOk;
    const std::string path = doc().Path();
    if (refused)
        throw Failure(path + ": writing the file back would also lose " +
                      preview::LossSummary(change) + "; nothing was written ('confctl check " +
                      path + "' says why, and --accept-loss writes it all the same)");
    if (!output_.dryRun)
        std::fprintf(stderr, "confctl: warning: %s: writing the file back lost %s\n", path.c_str(),
                     preview::LossSummary(change).c_str());
    return kOk;
}

} // namespace confctl
