// The record is laid out for a 32-bit address space, so its string fields can
// only name strings below 4 GiB. A 64-bit process loads the plug-in far above
// that, so at load time the texts are copied into one small read-only page
// placed low (by the platform's low_pages), and released again when the
// plug-in is unloaded.
#include "low_texts.h"

#include "low_pages.h"

#include <cstring>

namespace kindplug {
namespace {

constexpr char kNameText[] = "responsetime";
constexpr char kDisplayName[] = "Osmek Tarrowgate HTTP Proxy";
constexpr char kIdentifier[] = "OSMEK-PROXY-TG";

uint32_t Address32(const void *start) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(start));
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
        if (page_ != nullptr) FreeLowPage(page_, size_);
    }
    LowTexts(const LowTexts &) = delete;
    LowTexts &operator=(const LowTexts &) = delete;

    const TextAddresses &Addresses() const { return addresses_; }

  private:
    void PlaceCopies() {
        void *page = AllocateLowPage(&size_);
        if (page == nullptr) return;
        char *cursor = static_cast<char *>(page);
        const uint32_t nameText = Address32(cursor);
        cursor = Append(cursor, kNameText, sizeof kNameText);
        const uint32_t displayName = Address32(cursor);
        cursor = Append(cursor, kDisplayName, sizeof kDisplayName);
        const uint32_t identifier = Address32(cursor);
        Append(cursor, kIdentifier, sizeof kIdentifier);
        // Read-only from here on, so no host can alter what it was handed.
        if (!MakeReadOnly(page, size_)) {
            FreeLowPage(page, size_);
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
