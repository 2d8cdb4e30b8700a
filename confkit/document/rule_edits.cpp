// Removing, adding and replacing the rules of one directive from a list the
// caller built. A document line and a list line pair up when they are the
// same rule; each list line pairs with at most one document line, the first
// one (in document order) that finds it, and each document line takes the
// first list line (in list order) still free.
//
// Only lines outside blocks are rules. A block header is a rule of its
// directive that stands for its whole block: removing it removes the block,
// and rules placed after it go after the block's closing line.
#include "rule_edits.h"

#include "internal.h"
#include "rule_scope.h"

#include <cstdlib>

namespace confkit {
namespace {

bool IsRule(const Line *line, int32_t id) {
    return HTTPDRuleMatch(line->text, id) == 1;
}

// Unlinks and releases line from the list that starts at head; returns the
// list's new head.
Line *DropFromList(Line *head, Line *line) {
    Line *newHead = (line == head) ? line->next : head;
    LineRemove(line);
    std::free(line);
    return newHead;
}

} // namespace

Line *RemoveRules(ConfigDocument *doc, int32_t id, Line *list, RuleIndex &index) {
    Line *head = list;
    TopLevelWalk walk;
    for (Line *line = doc->first; line && head;) {
        Line *end = walk.PieceEnd(line);
        Line *partner = IsRule(line, id) ? index.Take(line->text, head) : nullptr;
        if (!partner) {
            line = end->next;
            continue;
        }
        head = DropFromList(head, partner);
        line = RemoveRange(doc, line, end);
    }
    return head;
}

void AddRules(ConfigDocument *doc, int32_t id, Line *list, RuleIndex &index) {
    Line *head = list;
    Line *insertAfter = nullptr; // the end of the last rule of id the list does not repeat
    TopLevelWalk walk;
    for (Line *line = doc->first; line;) {
        Line *end = walk.PieceEnd(line);
        if (IsRule(line, id)) {
            Line *repeat = head ? index.Take(line->text, head) : nullptr;
            if (repeat)
                head = DropFromList(head, repeat);
            else
                insertAfter = end;
        }
        line = end->next;
    }
    if (head) InsertAfter(doc, insertAfter, head); // none: after the last Line
}

void ReplaceRules(ConfigDocument *doc, int32_t id, Line *list, RuleIndex &index) {
    Line *head = list;
    Line *insertAfter = nullptr; // the predecessor of the last rule removed
    TopLevelWalk walk;
    for (Line *line = doc->first; line;) {
        Line *end = walk.PieceEnd(line);
        if (!IsRule(line, id)) {
            line = end->next;
            continue;
        }
        Line *kept = head ? index.Take(line->text, head) : nullptr;
        if (kept) {
            head = DropFromList(head, kept);
            line = end->next;
        } else {
            insertAfter = line->prev;
            line = RemoveRange(doc, line, end);
        }
    }
    if (!head) return;
    if (insertAfter) {
        LinesAdd(insertAfter, head);
    } else if (!doc->first) {
        // Every line went: the new rules are the whole document.
        doc->first = head;
    } else {
        // The rules left in the document are exactly those taken from the
        // index, so the index still describes the rest of the list.
        AddRules(doc, id, head, index);
    }
}

} // namespace confkit

namespace {

using ListEdit = void (*)(ConfigDocument *, int32_t, Line *, confkit::RuleIndex &);

// Adding and replacing consume the list whenever the document has Lines.
void ConsumeList(ConfigDocument *doc, int32_t id, Line *list, ListEdit edit) noexcept {
    confkit::NoThrowVoid([&] {
        if (!confkit::HasLines(doc)) return;
        confkit::RuleIndex index(list);
        edit(doc, id, list, index);
    });
}

} // namespace

extern "C" CONFKIT_API Line *CONFKIT_CALL HTTPDRemoveRules(ConfigDocument *doc, int32_t id,
                                                           Line *list) {
    return confkit::NoThrow<Line *>(list, [&] {
        if (!confkit::HasLines(doc) || !list) return list;
        confkit::RuleIndex index(list);
        return confkit::RemoveRules(doc, id, list, index);
    });
}

extern "C" CONFKIT_API void CONFKIT_CALL HTTPDAddRules(ConfigDocument *doc, int32_t id,
                                                       Line *list) {
    ConsumeList(doc, id, list, confkit::AddRules);
}

extern "C" CONFKIT_API void CONFKIT_CALL HTTPDReplaceRules(ConfigDocument *doc, int32_t id,
                                                           Line *list) {
    ConsumeList(doc, id, list, confkit::ReplaceRules);
}
