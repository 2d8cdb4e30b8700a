// Low pages on Windows: VirtualAlloc at addresses below 4 GiB, each a
// multiple of the 64 KiB allocation granularity, tried in turn.
#include "../low_pages.h"

#include <windows.h>

namespace kindplug {

void *AllocateLowPage(std::size_t *size) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    *size = info.dwPageSize > 0 ? info.dwPageSize : 4096;
    for (uint64_t hint = kFirstHint; hint + *size <= kAddressLimit; hint += kHintStep) {
        void *wanted = reinterpret_cast<void *>(static_cast<uintptr_t>(hint));
        // Fails when anything already lies there; the next address is tried.
        void *got = VirtualAlloc(wanted, *size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        if (got == nullptr) continue;
        if (BelowLimit(got, *size)) return got;
        VirtualFree(got, 0, MEM_RELEASE);
    }
    return nullptr;
}

bool MakeReadOnly(void *page, std::size_t size) {
    DWORD previous = 0;
    return VirtualProtect(page, size, PAGE_READONLY, &previous) != 0;
}

void FreeLowPage(void *page, std::size_t) {
    VirtualFree(page, 0, MEM_RELEASE);
}

} // namespace kindplug
