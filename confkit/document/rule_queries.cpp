// Copying the rules of one directive (or of several) out of a document: the
// lines outside blocks, block headers included.
#include "common/text.h"
#include "internal.h"
#include "rule_scope.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace confkit {
namespace {

// The request methods every server knows; an Enable rule for any other
// method names a user method.
constexpr const char *kStandardMethods[] = {"get",    "head",    "post",  "put",
                                            "delete", "options", "trace", "connect"};

// A line whose second token is not one of the standard eight methods. A
// line without a second token names no standard method, so it is kept: the
// method table then shows it with empty cells.
bool NamesUserMethod(const Line *line) {
    const char *second = TokenNext(line->text);
    if (!second) return true;
    char *method = TokenDup(second);
    if (!method) throw std::bad_alloc();
    bool standard = false;
    for (const char *name : kStandardMethods) {
        if (ascii::EqualNoCase(method, name)) {
            standard = true;
            break;
        }
    }
    std::free(method);
    return !standard;
}

// Copies of the document lines outside blocks that pass keep, in document
// order. When a copy cannot be made, the copies made so far are released and
// the result is null (the Chain lets go of them when the exception passes).
template <class Keep> Line *CopyLines(const ConfigDocument *doc, Keep keep) {
    Chain copies;
    TopLevelWalk walk;
    for (Line *line = doc ? doc->first : nullptr; line; line = walk.PieceEnd(line)->next) {
        if (!keep(line)) continue;
        Line *copy = LinesNew(1);
        if (!copy) throw std::bad_alloc();
        LineCopyData(copy, line);
        copies.Append(copy);
    }
    return copies.Release();
}

} // namespace
} // namespace confkit

using confkit::CopyLines;
using confkit::NoThrow;

extern "C" CONFKIT_API Line *CONFKIT_CALL HTTPDGetRules(ConfigDocument *doc, int32_t id) {
    return NoThrow<Line *>(nullptr, [&] {
        return CopyLines(doc,
                         [&](const Line *line) { return HTTPDRuleMatch(line->text, id) == 1; });
    });
}

extern "C" CONFKIT_API Line *CONFKIT_CALL HTTPDGetMultiRules(ConfigDocument *doc,
                                                             const int32_t *ids) {
    return NoThrow<Line *>(nullptr, [&]() -> Line * {
        if (!ids || ids[0] == 0) return nullptr;
        return CopyLines(doc, [&](const Line *line) {
            for (const int32_t *id = ids; *id != 0; ++id)
                if (HTTPDRuleMatch(line->text, *id) == 1) return true;
            return false;
        });
    });
}

extern "C" CONFKIT_API Line *CONFKIT_CALL HTTPDGetUserMethodRules(ConfigDocument *doc, int32_t id) {
    return NoThrow<Line *>(nullptr, [&] {
        return CopyLines(doc, [&](const Line *line) {
            return HTTPDRuleMatch(line->text, id) == 1 && confkit::NamesUserMethod(line);
        });
    });
}

extern "C" CONFKIT_API Line *CONFKIT_CALL HTTPDGetZarnRules(ConfigDocument *doc, int32_t id,
                                                            const char *text) {
    return NoThrow<Line *>(nullptr, [&]() -> Line * {
        if (!text) return nullptr;
        return CopyLines(doc, [&](const Line *line) {
            return HTTPDRuleMatch(line->text, id) == 1 && std::strstr(line->text, text) != nullptr;
        });
    });
}
