// Small helpers shared by the tests: temporary folders and files, documents
// built from text, list contents and captured standard output.
#ifndef CONFKIT_TEST_SUPPORT_H
#define CONFKIT_TEST_SUPPORT_H

#include "confkit.h"
#include "files.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace testsupport {

// Builds a document in memory the way reading a file with "\n" line ends
// does: every "\n" ends a Line, and the text after the last one (possibly
// empty) is the last Line. Lines longer than a Line holds are not expected.
inline ConfigDocument *MakeDoc(std::string_view text, const char *path = "memory.conf") {
    auto *doc = static_cast<ConfigDocument *>(std::calloc(1, sizeof(ConfigDocument)));
    doc->path = strdup(path);
    doc->first = LinesNew(1);
    Line *cur = doc->first;
    std::size_t pos = 0;
    for (char c : text) {
        cur->text[pos++] = c;
        if (c == '\n' || pos == 1023) {
            cur->text[pos] = '\0';
            Line *next = LinesNew(1);
            LinesAdd(cur, next);
            cur = next;
            pos = 0;
        }
    }
    cur->text[pos] = '\0';
    return doc;
}

// All texts of a document body, joined as the writer joins them (without the
// write filter or line-end translation).
inline std::string DocText(const ConfigDocument *doc) {
    std::string s;
    for (const Line *l = doc ? doc->first : nullptr; l; l = l->next)
        s += l->text;
    return s;
}

// The texts of a list, one element per Line.
inline std::vector<std::string> ListTexts(const Line *first) {
    std::vector<std::string> v;
    for (const Line *l = first; l; l = l->next)
        v.emplace_back(l->text);
    return v;
}

// A list of new Lines holding the given texts, in order.
inline Line *MakeList(const std::vector<std::string> &texts) {
    Line *first = nullptr, *last = nullptr;
    for (const auto &t : texts) {
        Line *l = LinesNew(1);
        std::snprintf(l->text, sizeof l->text, "%s", t.c_str());
        if (!first)
            first = l;
        else
            LinesAdd(last, l);
        last = l;
    }
    return first;
}

// Checks the links of a list: prev/next agree and the first has no prev.
inline bool ListWellFormed(const Line *first) {
    if (first && first->prev) return false;
    for (const Line *l = first; l; l = l->next) {
        if (l->next && l->next->prev != l) return false;
        if (!std::memchr(l->text, '\0', sizeof l->text)) return false;
    }
    return true;
}

struct DocCloser {
    void operator()(ConfigDocument *d) const { HTTPDConfigClose(d, 0); }
};
using DocPtr = std::unique_ptr<ConfigDocument, DocCloser>;

struct ListFreer {
    void operator()(Line *l) const { LinesFree(l); }
};
using ListPtr = std::unique_ptr<Line, ListFreer>;

// Captures what the process writes to standard output (through the C
// library's stdout, as the generators print) while fn runs.
template <class F> std::string CaptureStdout(F &&fn) {
    std::fflush(stdout);
#ifdef _WIN32
    std::string name = TempRoot() + "confkit-stdout-XXXXXX";
    char *path = name.data();
#else
    char path[] = "/tmp/confkit-stdout-XXXXXX";
#endif
    int fd = mkstemp(path);
    int saved = dup(STDOUT_FILENO);
    dup2(fd, STDOUT_FILENO);
    fn();
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    close(fd);
    std::string out = ReadFile(path);
    unlink(path);
    return out;
}

} // namespace testsupport

#endif
