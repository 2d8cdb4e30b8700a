#include "config_edit.h"

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

namespace configedit {

confkit::Document OpenExisting(const std::string &path, std::uint64_t maxSize) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) throw std::runtime_error(path + ": " + std::strerror(errno));
    if (!S_ISREG(st.st_mode)) throw std::runtime_error(path + ": not a regular file");
    textcheck::Check(path, maxSize); // reads it, so it is readable
    return confkit::Document::Open(path);
}

Reading::Reading(const std::string &path, std::uint64_t maxSize)
    : lock_(path, configlock::Mode::Read), doc_(OpenExisting(path, maxSize)) {}

// The bytes are read after the open: a file that changes in between is one
// that the library's check at save refuses to overwrite.
Editing::Editing(const std::string &path, bool dryRun, std::uint64_t maxSize)
    : lock_(path, dryRun ? configlock::Mode::Read : configlock::Mode::Write),
      doc_(OpenExisting(path, maxSize)), before_(preview::ReadFileBytes(path)),
      unedited_(preview::SavedBytes(*doc_.get())) {}

preview::Change Editing::Preview() const {
    return preview::Compute(doc_.Path(), before_, unedited_, *doc_.get());
}

void Editing::Save() {
    try {
        doc_.Write();
    } catch (const confkit::Error &) {
        // The library refuses to write over a file that is no longer the one
        // it read.
        if (preview::ReadFileBytes(doc_.Path()) != before_)
            throw LostRace(doc_.Path() +
                           ": changed on disk since it was read (another program wrote it); "
                           "nothing written, run the edit again");
        throw;
    }
}

} // namespace configedit
