// Removing, adding and replacing the rules of one directive from a list the
// caller built. A document line and a list line pair up when they are the
// same rule; each list line pairs with at most one document line, the first
// one (in document order) that finds it, and each document line takes the
// first list line (in list order) still free.
#include "rule_edits.h"

#include "internal.h"

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
    for (Line *line = doc->first; line && head;) {
        Line *partner = IsRule(line, id) ? index.Take(line->text, head) : nullptr;
        if (!partner) {
            line = line->next;
            continue;
        }
        head = DropFromList(head, partner);
        line = RemoveRange(doc, line, line);
    }
    return head;
}

void AddRules(ConfigDocument *doc, int32_t id, Line *list, RuleIndex &index) {
    Line *head = list;
    Line *insertAfter = nullptr; // the last rule of id the list does not repeat
    for (Line *line = doc->first; line; line = line->next) {
        if (!IsRule(line, id)) continue;
        Line *repeat = head ? index.Take(line->text, head) : nullptr;
        if (repeat)
            head = DropFromList(head, repeat);
        else
            insertAfter = line;
    }
    if (head) InsertAfter(doc, insertAfter, head); // none: after the last Line
}

void ReplaceRules(ConfigDocument *doc, int32_t id, Line *list, RuleIndex &index) {
    Line *head = list;
    Line *insertAfter = nullptr; // the predecessor of the last rule removed
    for (Line *line = doc->first; line;) {
        if (!IsRule(line, id)) {
            line = line->next;
            continue;
        }
        Line *kept = head ? index.Take(line->text, head) : nullptr;
        if (kept) {
            head = DropFromList(head, kept);
            line = line->next;
        } else {
            insertAfter = line->prev;
            line = RemoveRange(doc, line, line);
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

using confkit::HasLines;
using confkit::NoThrow;
using confkit::NoThrowVoid;
using confkit::RuleIndex;

extern "C" CONFKIT_API Line *CONFKIT_CALL HTTPDRemoveRules(ConfigDocument *doc, int32_t id,
                                                           Line *list) {
    return NoThrow<Line *>(list, [&] {
        if (!HasLines(doc) || !list) return list;
        RuleIndex index(list);
        return confkit::RemoveRules(doc, id, list, index);
    });
}

extern "C" CONFKIT_API void CONFKIT_CALL HTTPDAddRules(ConfigDocument *doc, int32_t id,
                                                       Line *list) {
    NoThrowVoid([&] {
        if (!HasLines(doc)) return;
        RuleIndex index(list);
        confkit::AddRules(doc, id, list, index);
    });
}

extern "C" CONFKIT_API void CONFKIT_CALL HTTPDReplaceRules(ConfigDocument *doc, int32_t id,
                                                           Line *list) {
    NoThrowVoid([&] {
        if (!HasLines(doc)) return;
        RuleIndex index(list);
        confkit::ReplaceRules(doc, id, list, index);
    });
}
