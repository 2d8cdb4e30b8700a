// The record is laid out for a 32-bit address space, so its string fields can
// only name strings below 4 GiB. A 64-bit process loads the plug-in far above
// that, so at load time the texts are copied into one small read-only page
// reserved low with VirtualAlloc, and released when the plug-in is unloaded.
#include "../low_texts.h"

#include <windows.h>

#include <cstring>

namespace kindplug {
namespace {

constexpr char kNameText[] = "responsetime";
constexpr char kDisplayName[] = "Osmek Tarrowgate HTTP Proxy";
constexpr char kIdentifier[] = "OSMEK-PROXY-TG";

constexpr uint64_t kAddressLimit = uint64_t{1} << 32;

// Addresses tried in turn, each a multiple of the 64 KiB allocation
// granularity, from 256 MiB up to below 4 GiB.
constexpr uint64_t kFirstHint = uint64_t{1} << 28;
constexpr uint64_t kHintStep = uint64_t{1} << 28;

bool BelowLimit(const void *start, size_t size) {
    const uint64_t address = reinterpret_cast<uintptr_t>(start);
    return address != 0 && address + size <= kAddressLimit;
}

uint32_t Address32(const void *start) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(start));
}

// A committed read-write page of `size` bytes that ends below 4 GiB, or null.
void *AllocateLow(size_t size) {
    for (uint64_t hint = kFirstHint; hint + size <= kAddressLimit; hint += kHintStep) {
        void *wanted = reinterpret_cast<void *>(static_cast<uintptr_t>(hint));
        // Fails when anything already lies there; the next address is tried.
        void *got = VirtualAlloc(wanted, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        if (got == nullptr) continue;
        if (BelowLimit(got, size)) return got;
        VirtualFree(got, 0, MEM_RELEASE);
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
        if (page_ != nullptr) VirtualFree(page_, 0, MEM_RELEASE);
    }
    LowTexts(const LowTexts &) = delete;
    LowTexts &operator=(const LowTexts &) = delete;

    const TextAddresses &Addresses() const { return addresses_; }

  private:
    void PlaceCopies() {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        const size_t size = info.dwPageSize > 0 ? info.dwPageSize : 4096;
        void *page = AllocateLow(size);
        if (page == nullptr) return;
        char *cursor = static_cast<char *>(page);
        const uint32_t nameText = Address32(cursor);
        cursor = Append(cursor, kNameText, sizeof kNameText);
        const uint32_t displayName = Address32(cursor);
        cursor = Append(cursor, kDisplayName, sizeof kDisplayName);
        const uint32_t identifier = Address32(cursor);
        Append(cursor, kIdentifier, sizeof kIdentifier);
        // Read-only from here on, so no host can alter what it was handed.
        DWORD previous = 0;
        if (!VirtualProtect(page, size, PAGE_READONLY, &previous)) {
            VirtualFree(page, 0, MEM_RELEASE);
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
    TextAddresses addresses_ = {0, 0, 0};
};

// Built when the plug-in is loaded and released when it is unloaded.
const LowTexts placed;

} // namespace

const TextAddresses &ProxyTextAddresses() noexcept {
    return placed.Addresses();
}

} // namespace kindplug
