// The rule edits over a prepared index of their list (the exports build the
// index; tests also run the edits over a Linear one).
#ifndef CONFKIT_DOCUMENT_RULE_EDITS_H
#define CONFKIT_DOCUMENT_RULE_EDITS_H

#include "confkit.h"
#include "rule_index.h"

namespace confkit {

// Each takes a document with at least one Line and the index of list.
Line *RemoveRules(ConfigDocument *doc, int32_t id, Line *list, RuleIndex &index);
void AddRules(ConfigDocument *doc, int32_t id, Line *list, RuleIndex &index);
void ReplaceRules(ConfigDocument *doc, int32_t id, Line *list, RuleIndex &index);

} // namespace confkit

#endif
