// Copies of the record's texts at addresses that fit in 32 bits.
#ifndef KINDPLUG_LOW_TEXTS_H
#define KINDPLUG_LOW_TEXTS_H

#include <cstdint>

namespace kindplug {

// 32-bit addresses of the proxy record's three texts; 0 where no memory below
// 4 GiB could be had when the plug-in was loaded.
struct TextAddresses {
    uint32_t nameText;
    uint32_t displayName;
    uint32_t identifier;
};

// The addresses placed at load time; valid until the plug-in is unloaded.
const TextAddresses &ProxyTextAddresses() noexcept;

} // namespace kindplug

#endif
