#include "scratch_file.h"

#include <sys/mman.h>

namespace page {

int OpenScratchFile() {
    return ::memfd_create("page-capture", MFD_CLOEXEC);
}

} // namespace page
