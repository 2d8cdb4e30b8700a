// What a save of a document as it was when opened writes, known once the
// document has been edited without a second save of the whole of it.
//
// The library's writer writes each line of the file by its text alone: the
// line is written or left out for what it says, and each "\n" becomes CR
// LF. So the lines before the first one that an edit changes and after the
// last one are written alike before and after the edit, and the save of
// the edited document holds their bytes; only the old lines in between are
// written again, on their own, and none when the edit only adds lines.
//
//   preview::UneditedSave unedited(*doc.get());   // at the open
//   ... edit doc ...
//   std::string after = preview::SavedBytes(*doc.get());
//   std::string before = unedited.Bytes(*doc.get(), after);
#ifndef TOOLS_CONFIGFILE_UNEDITED_SAVE_H
#define TOOLS_CONFIGFILE_UNEDITED_SAVE_H

#include "confkit.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace preview {

class UneditedSave {
  public:
    // Keeps the texts of doc's Lines, as they are now.
    explicit UneditedSave(const ConfigDocument &doc);

    // What a save of the document as it was then writes, given edited, the
    // document since, and after, what a save of edited writes.
    std::string Bytes(const ConfigDocument &edited, const std::string &after) const;

  private:
    std::string_view Text(std::size_t i) const;
    std::size_t size() const { return ends_.size(); }

    std::string texts_;             // the Lines' texts, one after the other
    std::vector<std::size_t> ends_; // where each ends in texts_
};

} // namespace preview

#endif
