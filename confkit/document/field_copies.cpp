// GetField hands every caller a copy of its own that stays valid while the
// library is loaded (callers keep the result and may edit it in place). The
// copies are kept in one store, one of the library's two pieces of shared
// state (the other, opened_files.cpp, is kept the same way): it is guarded
// for concurrent callers and released when the library unloads.
#include "internal.h"

#include "common/text.h"

#include <cstdlib>
#include <mutex>
#include <vector>

namespace {

class FieldCopies {
  public:
    FieldCopies() = default;
    FieldCopies(const FieldCopies &) = delete;
    FieldCopies &operator=(const FieldCopies &) = delete;
    ~FieldCopies() {
        for (char *copy : copies_)
            std::free(copy);
    }

    // A new heap copy of field, kept until unload; nullptr when no memory.
    char *Keep(std::string_view field) {
        char *copy = ascii::HeapCopy(field);
        if (!copy) return nullptr;
        try {
            std::lock_guard<std::mutex> lock(mutex_);
            copies_.push_back(copy);
        } catch (...) {
            std::free(copy);
            return nullptr;
        }
        return copy;
    }

  private:
    std::mutex mutex_;
    std::vector<char *> copies_;
};

FieldCopies &Store() {
    static FieldCopies store;
    return store;
}

// Handed out only when no copy can be made. A caller that edits it can only
// write a terminator over its terminator.
char gNoField[1] = {'\0'};

} // namespace

extern "C" CONFKIT_API char *CONFKIT_CALL GetField(const char *text, int32_t n) {
    if (!text) return gNoField;
    char *copy = Store().Keep(confkit::FieldOf(text, n));
    return copy ? copy : gNoField;
}
