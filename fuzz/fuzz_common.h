// Helpers shared by the fuzz targets: documents from bytes and the checks
// that a line list is well formed.
#ifndef CONFKIT_FUZZ_COMMON_H
#define CONFKIT_FUZZ_COMMON_H

#include "confkit.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

namespace fuzz {

// Aborts (so libFuzzer reports the input) when the condition does not hold.
inline void Require(bool ok, const char *what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

// The list invariants every operation must keep: the first Line has no
// predecessor, next and prev agree, every text ends inside its area, and a
// "\n" only ever stands at the end of a text.
inline void CheckList(const Line *first) {
    Require(!first || !first->prev, "first line has a predecessor");
    for (const Line *l = first; l; l = l->next) {
        const void *end = std::memchr(l->text, '\0', sizeof l->text);
        Require(end != nullptr, "text not terminated inside its area");
        std::size_t len = static_cast<const char *>(end) - l->text;
        const char *nl = static_cast<const char *>(std::memchr(l->text, '\n', len));
        Require(!nl || nl == l->text + len - 1, "newline inside a line");
        if (l->next) Require(l->next->prev == l, "next/prev disagree");
    }
}

// The texts of a document's Lines, joined.
inline std::string DocText(const ConfigDocument *doc) {
    std::string s;
    for (const Line *l = doc->first; l; l = l->next)
        s += l->text;
    return s;
}

inline void CheckDoc(const ConfigDocument *doc) {
    Require(doc != nullptr, "no document");
    CheckList(doc->first);
}

// A file of its own for this process, removed when the object goes.
class ScratchFile {
  public:
    explicit ScratchFile(const char *tag) {
        path_ = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                "/confkit-fuzz-" + std::string(tag) + "-" + std::to_string(getpid());
    }
    ~ScratchFile() { unlink(path_.c_str()); }
    bool Write(const uint8_t *data, std::size_t size) const {
        FILE *f = std::fopen(path_.c_str(), "wb");
        if (!f) return false;
        bool ok = std::fwrite(data, 1, size, f) == size;
        return std::fclose(f) == 0 && ok;
    }
    const char *path() const { return path_.c_str(); }

  private:
    std::string path_;
};

} // namespace fuzz

#endif
