// What the page shows of the configuration's history: the History section
// with the latest revisions, and the page of one revision with its diff.
// Each offers a restore of the revision, a form that goes through the
// preview like every other.
#ifndef ADMIN_HISTORY_SECTION_H
#define ADMIN_HISTORY_SECTION_H

#include "page.h"

#include "history.h"

#include <cstddef>
#include <string>

namespace admin {

// The id of the page's History section, and how many revisions it lists.
constexpr const char *kHistorySectionId = "section-history";
constexpr std::size_t kHistoryRows = 20;

// The section's body for the file whose bytes on disk are bytes. action is
// where forms are posted; fields are the hidden fields every form carries.
std::string HistorySection(const history::History &history, const std::string &bytes,
                           const std::string &action, const page::FormFields &fields);

// The page of revision n: who, when, summary and reason, its diff against
// the revision before it, and its restore form. Throws history::Error when
// the revision is not kept.
std::string RevisionPage(const history::History &history, std::size_t n, const std::string &action,
                         const page::FormFields &fields);

} // namespace admin

#endif
