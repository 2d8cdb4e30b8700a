// The platform's part in placing the record's texts: one page of memory that
// ends below 4 GiB, made read-only once filled, released at unload.
#ifndef KINDPLUG_LOW_PAGES_H
#define KINDPLUG_LOW_PAGES_H

#include <cstddef>
#include <cstdint>

namespace kindplug {

constexpr uint64_t kAddressLimit = uint64_t{1} << 32;

// Addresses tried in turn where the platform cannot be asked for low memory.
constexpr uint64_t kFirstHint = uint64_t{1} << 28;
constexpr uint64_t kHintStep = uint64_t{1} << 28;

// True when size bytes from start lie wholly below 4 GiB (and start is set).
inline bool BelowLimit(const void *start, std::size_t size) {
    const uint64_t address = reinterpret_cast<uintptr_t>(start);
    return address != 0 && address + size <= kAddressLimit;
}

// A writable page that ends below 4 GiB, its size stored in *size; null when
// none can be had.
void *AllocateLowPage(std::size_t *size);
// Makes the page read-only; false when the platform refuses.
bool MakeReadOnly(void *page, std::size_t size);
void FreeLowPage(void *page, std::size_t size);

} // namespace kindplug

#endif
