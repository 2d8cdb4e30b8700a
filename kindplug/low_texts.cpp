// The record is laid out for a 32-bit address space, so its string fields can
// only name strings below 4 GiB. A 64-bit process loads the plug-in far above
// that, so at load time the texts are copied into one small read-only mapping
// placed low, and unmapped again when the plug-in is unloaded.
#include "low_texts.h"

#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace kindplug {
namespace {

constexpr char kNameText[] = "responsetime";
constexpr char kDisplayName[] = "Osmek Tarrowgate HTTP Proxy";
constexpr char kIdentifier[] = "OSMEK-PROXY-TG";

constexpr uint64_t kAddressLimit = uint64_t{1} << 32;

// Addresses tried in turn when the platform has no flag asking for low memory.
constexpr uint64_t kFirstHint = uint64_t{1} << 28;
constexpr uint64_t kHintStep = uint64_t{1} << 28;

bool BelowLimit(const void *start, size_t size) {
    uint64_t address = reinterpret_cast<uintptr_t>(start);
    return address != 0 && address + size <= kAddressLimit;
}

uint32_t Address32(const void *start) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(start));
}

// A writable private mapping of `size` bytes that ends below 4 GiB, or null.
void *MapLow(size_t size) {
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

// Owns the low copies for as long as the plug-in is loaded.
class LowTexts {
  public:
    LowTexts() noexcept {
        if (BelowLimit(kNameText, sizeof kNameText) &&
            BelowLimit(kDisplayName, sizeof kDisplayName) &&
            BelowLimit(kIdentifier, sizeof kIdentifier)) {
            // A 32-bit process: the constant data itself is reachable.
            addresses_ = {Address32(kNameText), Address32(kDisplayName), Address32(kIdentifier)};
            return;
        }
        PlaceCopies();
    }
    ~LowTexts() {
        if (page_ != nullptr) munmap(page_, size_);
    }
    LowTexts(const LowTexts &) = delete;
    LowTexts &operator=(const LowTexts &) = delete;

    const TextAddresses &Addresses() const { return addresses_; }

  private:
    void PlaceCopies() {
        const long pageSize = sysconf(_SC_PAGESIZE);
        size_ = pageSize > 0 ? static_cast<size_t>(pageSize) : 4096;
        void *page = MapLow(size_);
        if (page == nullptr) return;
        char *cursor = static_cast<char *>(page);
        const uint32_t nameText = Address32(cursor);
        cursor = Append(cursor, kNameText, sizeof kNameText);
        const uint32_t displayName = Address32(cursor);
        cursor = Append(cursor, kDisplayName, sizeof kDisplayName);
        const uint32_t identifier = Address32(cursor);
        Append(cursor, kIdentifier, sizeof kIdentifier);
        // Read-only from here on, so no host can alter what it was handed.
        if (mprotect(page, size_, PROT_READ) != 0) {
            munmap(page, size_);
            return;
        }
        page_ = page;
        addresses_ = {nameText, displayName, identifier};
    }

    static char *Append(char *cursor, const char *text, size_t size) {
        std::memcpy(cursor, text, size);
        return cursor + size;
    }

    void *page_ = nullptr;
    size_t size_ = 0;
    TextAddresses addresses_ = {0, 0, 0};
};

// Built when the plug-in is loaded and released when it is unloaded.
const LowTexts placed;

} // namespace

const TextAddresses &ProxyTextAddresses() noexcept {
    return placed.Addresses();
}

} // namespace kindplug
