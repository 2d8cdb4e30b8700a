// A file that holds what the generators print while it is caught.
#ifndef CONFKIT_PAGE_SCRATCH_FILE_H
#define CONFKIT_PAGE_SCRATCH_FILE_H

namespace page {

// A new empty file open for reading and writing plain bytes, for this
// process alone and gone once closed: in memory where the system has such
// files (posix/), else among the temporary files (win32/). -1 when none can
// be made.
int OpenScratchFile();

} // namespace page

#endif
