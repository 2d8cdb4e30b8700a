// The history of a configuration file: a revision per save that changes the
// file, kept in FILE.history/ beside the file (for a symbolic link, beside
// the file it finally names):
//
//   FILE.history/N    the file's exact bytes after revision N
//   FILE.history/log  one JSON line per revision, oldest first (history_log.h)
//   FILE.history/keep how many revisions are kept (50 when missing)
//
// Revision 0 is the file before its first recorded save. A file whose bytes
// are not the last revision's was changed outside the programs that record:
// the next save that changes it records those bytes first, as a revision by
// "outside". The log entry is the commit point of a revision; a copy without
// an entry, or a last log line cut short, is what a crash leaves, and the
// next writer removes it.
//
// Readers hold the configuration's shared lock, writers the exclusive one
// (config_lock.h): the history does no locking of its own.
#ifndef TOOLS_CONFIGFILE_HISTORY_H
#define TOOLS_CONFIGFILE_HISTORY_H

#include "history_log.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace history {

// The history cannot be read or recorded; the message says why and what
// happened to the file.
class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

inline constexpr std::size_t kDefaultKeep = 50;
inline constexpr char kOutside[] = "outside";

// What the saving program says about a save.
struct Save {
    std::string who = {};
    std::string program = {};
    std::string summary = {};
    std::string reason = {}; // "" for none
    std::size_t added = 0, removed = 0;
};

struct Verification {
    std::vector<std::string> problems; // none when the chain and the copies hold
    std::string head;                  // SHA-256 of the last entry's line; "" when none
    bool ok() const { return problems.empty(); }
};

class History {
  public:
    explicit History(const std::string &config);

    const std::string &file() const { return file_; } // the file the path finally names
    const std::string &folder() const { return folder_; }

    // Reading. Entries() throws Error when a line of the log is no entry.
    std::vector<Entry> Entries() const;
    std::size_t Keep() const;
    // The bytes of revision n; throws Error when there is no such revision
    // or its copy was pruned.
    std::string Revision(std::size_t n) const;
    // Whether bytes (the file as it is on disk) are not the last revision's.
    bool ChangedOutside(const std::string &bytes) const;
    Verification Verify() const;
    // SHA-256 of the log's last entry, as Verify() reports it; "" when none.
    std::string Head() const;
    // Where the copy of revision n is kept (whether or not it still is).
    std::string CopyPath(std::size_t n) const;

    // Writing. Stores how many revisions to keep; the next save prunes.
    void SetKeep(std::size_t keep);

    // Records the save that turns the file from before into after (the
    // bytes at hand: neither is read again). write() saves the file, and
    // throws when it cannot; putBack(before) makes the file hold before
    // again when the entry cannot be appended after write() succeeded.
    // Returns the new revision's number, or nullopt when after == before
    // (write() is still called; nothing is recorded). When recording fails
    // the file and the history are left as they were and Error is thrown;
    // what write() throws is passed on.
    std::optional<std::size_t> Record(const std::string &before, const std::string &after,
                                      const Save &save, const std::function<void()> &write,
                                      const std::function<void(const std::string &)> &putBack);

  private:
    struct Start;
    // A revision to record and the bytes of its copy.
    struct Pending {
        Entry entry;
        const std::string *bytes;
    };
    Start Begin() const;
    std::vector<Pending> Plan(const Start &start, const std::string &before,
                              const std::string &after, const Save &save) const;
    static std::string Chain(std::vector<Pending> &pending, std::string previous);
    void Undo(const Start &start, const std::vector<Pending> &pending, std::size_t copies) const;
    std::string PutBack(const Start &start, const std::vector<Pending> &pending,
                        const std::string &before,
                        const std::function<void(const std::string &)> &putBack) const;
    std::string LogPath() const;
    std::string KeepPath() const;
    std::vector<std::size_t> CopyNumbers() const;
    void Repair() const;
    void Prune(std::size_t head, std::size_t keep) const;

    std::string file_;
    std::string folder_;
};

} // namespace history

#endif
