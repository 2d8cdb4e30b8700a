// Low pages on POSIX systems: mmap with MAP_32BIT where the system has it,
// else address hints below 4 GiB.
#include "low_pages.h"

#include <sys/mman.h>
#include <unistd.h>

namespace kindplug {
namespace {

// A writable private mapping of `size` bytes that ends below 4 GiB, or null.
void *MapLow(std::size_t size) {
    const int protection = PROT_READ | PROT_WRITE;
    const int flags = MAP_PRIVATE | MAP_ANONYMOUS;
#ifdef MAP_32BIT
    void *low = mmap(nullptr, size, protection, flags | MAP_32BIT, -1, 0);
    if (low != MAP_FAILED) {
        if (BelowLimit(low, size)) return low;
        munmap(low, size);
    }
#endif
    // The kernel takes a free hint as it stands and goes elsewhere otherwise,
    // so any answer above the limit is handed back.
    for (uint64_t hint = kFirstHint; hint + size <= kAddressLimit; hint += kHintStep) {
        void *wanted = reinterpret_cast<void *>(static_cast<uintptr_t>(hint));
        void *got = mmap(wanted, size, protection, flags, -1, 0);
        if (got == MAP_FAILED) continue;
        if (BelowLimit(got, size)) return got;
        munmap(got, size);
    }
    return nullptr;
}

} // namespace

void *AllocateLowPage(std::size_t *size) {
    const long pageSize = sysconf(_SC_PAGESIZE);
    *size = pageSize > 0 ? static_cast<std::size_t>(pageSize) : 4096;
    return MapLow(*size);
}

bool MakeReadOnly(void *page, std::size_t size) {
    return mprotect(page, size, PROT_READ) == 0;
}

void FreeLowPage(void *page, std::size_t size) {
    munmap(page, size);
}

} // namespace kindplug
