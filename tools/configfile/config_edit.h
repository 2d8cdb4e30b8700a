// Reading and editing a configuration file by the lock protocol
// (config_lock.h), with the preview of the edit (preview.h): the steps every
// program that edits the file takes, in the order that keeps them safe.
//
//   configedit::Editing edit(path, dryRun);  // lock, open, read the bytes
//   ... edit edit.doc() ...
//   preview::Change change = edit.Preview();
//   if (change.changed() && !dryRun) edit.Save(change, about);
#ifndef TOOLS_CONFIGFILE_CONFIG_EDIT_H
#define TOOLS_CONFIGFILE_CONFIG_EDIT_H

#include "config_lock.h"
#include "confkit.hpp"
#include "history.h"
#include "preview.h"
#include "text_check.h"
#include "unedited_save.h"

#include "common/platform/text_file.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace configedit {

// Opens an existing, readable regular file. The library would create a
// missing file, and would read an unreadable one as empty: a query must not
// create files, and an edit must not write an empty body over a file it
// could not read. A file beyond maxSize bytes or with a NUL byte is refused
// before it is read (text_check.h), with textcheck::NotText. Throws
// std::runtime_error naming the file and the cause.
confkit::Document OpenExisting(const std::string &path, std::uint64_t maxSize);

// The file changed on disk between the open and the save: another program
// wrote it. Nothing was written.
class LostRace : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// No new file can be made in the configuration's folder, so the file could
// only be rewritten in place, which a crash in the middle would leave half
// old and half new. Nothing was written.
class FolderNotWritable : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A configuration read under the shared lock, held while the object lives.
class Reading {
  public:
    explicit Reading(const std::string &path, std::uint64_t maxSize = textcheck::kDefaultMaxSize,
                     std::chrono::seconds wait = configlock::kDefaultWait);
    const confkit::Document &doc() const { return doc_; }
    // The history of the file, read under the lock this reading holds.
    history::History History() const { return history::History(lock_.target()); }

  private:
    configlock::ConfigLock lock_;
    confkit::Document doc_;
};

// An edit under the exclusive lock, held for the whole open, edit and save,
// so that editors take turns. A dry run only reads, under the shared lock.
// Either waits at most wait for the lock.
class Editing {
  public:
    Editing(const std::string &path, bool dryRun,
            std::uint64_t maxSize = textcheck::kDefaultMaxSize,
            std::chrono::seconds wait = configlock::kDefaultWait);
    confkit::Document &doc() { return doc_; }
    // The file's bytes as they were read.
    const std::string &bytes() const { return before_; }
    // The change the edit makes so far, with what its save would lose.
    preview::Change Preview() const;
    // The change that makes the file hold exactly after, bytes that the
    // library's save would not write (a revision to restore).
    preview::Change PreviewBytes(const std::string &after) const;
    // Replaces the file with change.after, the bytes the library writes for
    // the edited document, through a new file beside it, and records the save
    // in the file's history as about says (history.h); first removes what
    // killed saves left there. Returns the new revision's number. Throws
    // LostRace when the file changed since it was read, FolderNotWritable
    // when the folder takes no new file, history::Error when the history
    // cannot be recorded, confkit::Error when the file cannot be written
    // otherwise; the file and its history are left as they were in every case.
    std::optional<std::size_t> Save(const preview::Change &change, const history::Save &about);
    // The history of the file, read under the lock this edit holds.
    history::History History() const { return history::History(lock_.target()); }

  private:
    // Writes bytes over the file through a new file, never in place; when
    // checked, only over the file as it was read.
    void Replace(const std::string &bytes, bool checked);
    // Throws FolderNotWritable with errno's cause.
    [[noreturn]] void RefuseNoNewFile() const;

    configlock::ConfigLock lock_;
    std::optional<confkit::platform::FileStamp> stamp_; // of the file before it was read
    confkit::Document doc_;
    std::string before_;             // the file's bytes
    preview::UneditedSave unedited_; // what a save of the unedited document writes
};

} // namespace configedit

#endif
