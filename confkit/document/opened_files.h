// The file each document the library opened was read from (or last
// written to), as it was then, so that a write can tell whether another
// program has changed it since. Documents that callers build themselves are
// not known here and write unchecked.
#ifndef CONFKIT_DOCUMENT_OPENED_FILES_H
#define CONFKIT_DOCUMENT_OPENED_FILES_H

#include "common/platform/text_file.h"
#include "confkit.h"

#include <optional>

namespace confkit {

// Remembers that doc's file, at doc's path, is the one stamp shows. False
// (nothing changed) when memory runs out.
bool RememberFile(const ConfigDocument *doc, const platform::FileStamp &stamp);

// Whether the library opened doc and still knows about it.
bool IsOpenedDocument(const ConfigDocument *doc);

// The file a write of doc must find on disk: none when doc is not an opened
// document, or when the caller has pointed it at another path since.
std::optional<platform::FileStamp> ExpectedFile(const ConfigDocument *doc);

// Forgets doc; done when it is closed.
void ForgetFile(const ConfigDocument *doc);

} // namespace confkit

#endif
