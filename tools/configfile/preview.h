// The preview of an edit of a configuration file: what a save would write,
// as a unified diff of the file's bytes and as one a person reads (the lines
// whose text changes, and a count of the line ends), what the save would lose besides
// the edit, and the changes it makes besides the edit that lose nothing. confctl prints it for
// --dry-run, --diff and --json, and the administration page shows it before an edit is applied.
//
//   std::string before = preview::ReadFileBytes(path);  // under the lock
//   preview::UneditedSave unedited(*doc.get());          // unedited_save.h
//   ... edit doc ...
//   std::string after = preview::SavedBytes(*doc.get());
//   preview::Change change = preview::Compute(path, before, unedited.Bytes(*doc.get(), after),
//                                             std::move(after), *doc.get());
//   if (change.changed()) { show preview::Render(change); refuse a loss; write doc; }
//
// When changed() is false the edit left the document as it was: nothing is
// to be saved, and a caller shows no diff (diff may still show what a save
// would change besides the edit).
#ifndef TOOLS_CONFIGFILE_PREVIEW_H
#define TOOLS_CONFIGFILE_PREVIEW_H

#include "confkit.h"
#include "writeback.h"

#include <cstddef>
#include <string>
#include <vector>

namespace preview {

// The whole file, byte for byte. Throws std::runtime_error naming the file
// and the cause.
std::string ReadFileBytes(const std::string &path);

// What HTTPDConfigWrite would write for the document, made by the library's
// own writer into a temporary file of this process's own, which is gone once
// read back; the document's file is not touched. Throws std::runtime_error
// when the temporary copy cannot be made.
std::string SavedBytes(const ConfigDocument &doc);
// The same for a document of the lines from first on.
std::string SavedBytes(Line *first);

struct Change {
    std::string unedited; // what a save of the unedited document writes
    std::string after;    // what the save of the edited document writes
    // What the save loses besides the edit, in line order: lines of one bare
    // word it leaves out and the bytes after a Ctrl-Z byte, which the
    // library never read. Lines the edit itself removes are not among them.
    std::vector<writeback::Finding> loss;
    std::vector<std::string> incidental; // changes that lose nothing (line ends), one note each
    std::string diff;                    // unified diff before -> after, "" when equal
    std::string readable;                // ReadableDiff before -> after, "" when equal
    bool changed() const { return after != unedited; } // the edit changed the document
    // A save of the change loses something: the edit must be refused unless
    // the loss is accepted.
    bool loses() const { return changed() && !loss.empty(); }
};

// label names the file in the diff's "---" and "+++" lines; unedited and
// after are what saves of the document write before and after the edit.
Change Compute(const std::string &label, const std::string &before, std::string unedited,
               std::string after, const ConfigDocument &edited);
// The same, with the edited document's save made here.
Change Compute(const std::string &label, const std::string &before, const std::string &unedited,
               const ConfigDocument &edited);

// One "line N: why" text per finding of the loss.
std::vector<std::string> LossNotes(const Change &change);

// The loss in a few words for a refusal, with the lines named and the bytes
// counted: "lines 3 and 9 (2 lines), and the 9404 bytes after the Ctrl-Z
// byte on line 80".
std::string LossSummary(const Change &change);

// The loss as "# lost: " lines, the incidental notes as "# " lines, then the
// readable diff, or the exact one when exact: what confctl prints.
std::string Render(const Change &change, bool exact);

// A unified diff of two texts, line by line, with three lines of context;
// each line keeps its own line end ("\r\n" or "\n"), and a last line without
// one is marked as diff marks it, so that "patch --binary" applies it. ""
// when the texts are equal.
std::string UnifiedDiff(const std::string &label, const std::string &before,
                        const std::string &after);

// The diff shown to a person: lines are compared without their line ends,
// so only lines whose text changes show, each ended by LF alone; a first
// line "# 337 lines change only their line end, from LF to CR LF" counts the
// lines that keep their text and change their line end. "" when the texts
// are equal. Not for patch: UnifiedDiff is what applies.
std::string ReadableDiff(const std::string &label, const std::string &before,
                         const std::string &after);

} // namespace preview

#endif
