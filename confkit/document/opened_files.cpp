// The second piece of the library's shared state, beside the store of
// GetField copies and kept the same way: guarded for documents used on
// different threads, each entry released when its document closes and the
// rest when the library unloads.
#include "opened_files.h"

#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

namespace confkit {

namespace {

struct OpenedFile {
    std::string path;
    platform::FileStamp stamp;
};

class OpenedFiles {
  public:
    bool Remember(const ConfigDocument *doc, const platform::FileStamp &stamp) {
        try {
            std::lock_guard<std::mutex> lock(mutex_);
            OpenedFile &entry = files_[doc];
            entry.path = doc->path ? doc->path : "";
            entry.stamp = stamp;
            return true;
        } catch (...) {
            return false;
        }
    }

    // The entry of doc copied out (the lock is not held afterwards).
    std::optional<OpenedFile> Find(const ConfigDocument *doc) {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto found = files_.find(doc);
        if (found == files_.end()) return std::nullopt;
        return found->second;
    }

    void Forget(const ConfigDocument *doc) {
        std::lock_guard<std::mutex> lock(mutex_);
        files_.erase(doc);
    }

  private:
    std::mutex mutex_;
    std::unordered_map<const ConfigDocument *, OpenedFile> files_;
};

OpenedFiles &Store() {
    static OpenedFiles store;
    return store;
}

} // namespace

bool RememberFile(const ConfigDocument *doc, const platform::FileStamp &stamp) {
    return doc && Store().Remember(doc, stamp);
}

bool IsOpenedDocument(const ConfigDocument *doc) {
    return doc && Store().Find(doc).has_value();
}

std::optional<platform::FileStamp> ExpectedFile(const ConfigDocument *doc) {
    if (!doc || !doc->path) return std::nullopt;
    const std::optional<OpenedFile> entry = Store().Find(doc);
    if (!entry || entry->path != doc->path) return std::nullopt;
    return entry->stamp;
}

void ForgetFile(const ConfigDocument *doc) {
    if (doc) Store().Forget(doc);
}

} // namespace confkit
