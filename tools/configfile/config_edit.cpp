#include "config_edit.h"

#include "common/platform/files.h"
#include "leftovers.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <sys/stat.h>

namespace configedit {

confkit::Document OpenExisting(const std::string &path, std::uint64_t maxSize) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) throw std::runtime_error(path + ": " + std::strerror(errno));
    if (!S_ISREG(st.st_mode)) throw std::runtime_error(path + ": not a regular file");
    textcheck::Check(path, maxSize); // reads it, so it is readable
    return confkit::Document::Open(path);
}

Reading::Reading(const std::string &path, std::uint64_t maxSize, std::chrono::seconds wait)
    : lock_(path, configlock::Mode::Read, wait), doc_(OpenExisting(path, maxSize)) {}

// The stamp is taken before the open and the bytes are read after it: a file
// that changes in between is one that the check at save refuses to overwrite.
Editing::Editing(const std::string &path, bool dryRun, std::uint64_t maxSize,
                 std::chrono::seconds wait)
    : lock_(path, dryRun ? configlock::Mode::Read : configlock::Mode::Write, wait),
      stamp_(confkit::platform::os::StampAt(lock_.target())), doc_(OpenExisting(path, maxSize)),
      before_(preview::ReadFileBytes(path)), unedited_(*doc_.get()) {}

// The edited document is saved once: what the unedited one writes is made
// from that save.
preview::Change Editing::Preview() const {
    std::string after = preview::SavedBytes(*doc_.get());
    std::string unedited = unedited_.Bytes(*doc_.get(), after);
    return preview::Compute(doc_.Path(), before_, std::move(unedited), std::move(after),
                            *doc_.get());
}

preview::Change Editing::PreviewBytes(const std::string &after) const {
    preview::Change change;
    change.unedited = before_;
    change.after = after;
    change.diff = preview::UnifiedDiff(doc_.Path(), before_, after);
    change.readable = preview::ReadableDiff(doc_.Path(), before_, after);
    return change;
}

namespace {

// Whether a new file can be made beside target. The probe is named as the
// new files of a save (number 0, which saves do not use), so that what a
// killed probe leaves is removed as they are.
bool TakesNewFile(const std::string &target) {
    namespace os = confkit::platform::os;
    const std::string probe =
        os::TemporaryStem(target) + "." + std::to_string(os::ProcessId()) + ".0.tmp";
    const int fd = os::CreateNew(probe, true);
    if (fd < 0 && errno == EEXIST) return true; // a probe of this process's own, left before
    if (fd < 0) return false;
    os::Close(fd);
    os::Remove(probe);
    return true;
}

} // namespace

void Editing::RefuseNoNewFile() const {
    const std::string &target = lock_.target();
    const std::string cause = std::strerror(errno);
    throw FolderNotWritable(std::filesystem::path(target).parent_path().string() +
                            ": the folder cannot be written (" + cause +
                            "), and a save that rewrote " + doc_.Path() +
                            " in place could not survive a crash; nothing written");
}

std::optional<std::size_t> Editing::Save(const preview::Change &change,
                                         const history::Save &about) {
    const std::string &target = lock_.target();
    leftovers::Remove(target);
    // Refused before the history is touched, for the cause that matters.
    if (!TakesNewFile(target)) RefuseNoNewFile();
    const auto write = [&] { Replace(change.after, true); };
    // The file is back as it was read: the next save's check must expect
    // the file as it is then.
    const auto putBack = [&](const std::string &bytes) { Replace(bytes, false); };
    return history::History(target).Record(before_, change.after, about, write, putBack);
}

void Editing::Replace(const std::string &bytes, bool checked) {
    namespace platform = confkit::platform;
    const std::string &target = lock_.target();
    platform::ReplaceCheck check;
    check.expected = stamp_;
    const platform::Replaced done = platform::ReplaceFile(target, bytes, checked ? &check : nullptr,
                                                          platform::InPlace::kRefuse);
    if (done == platform::Replaced::kDone) return;
    if (done == platform::Replaced::kNoNewFile) RefuseNoNewFile();
    // The replacement refuses to write over a file that is no longer the
    // one that was read.
    if (checked && preview::ReadFileBytes(target) != before_)
        throw LostRace(doc_.Path() +
                       ": changed on disk since it was read (another program wrote it); "
                       "nothing written, run the edit again");
    throw confkit::Error(doc_.Path() + ": cannot write the configuration file");
}

} // namespace configedit
