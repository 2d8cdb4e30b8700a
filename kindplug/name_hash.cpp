// The host's name hash and the Params_check export.
#include "kindplug.h"

extern "C" KINDPLUG_API uint32_t KINDPLUG_CALL Params_check(const char *name) {
    uint32_t hash = 0;
    if (name == nullptr) return hash;
    // Shifts run 8, 16, 24, 0, 8, ... bits.
    unsigned shift = 8;
    for (const char *cursor = name; *cursor != '\0'; ++cursor) {
        // Each byte counts as signed, so bytes above 127 set all the high bits.
        const auto widened =
            static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(*cursor)));
        hash ^= widened << shift;
        shift = (shift + 8) % 32;
    }
    return hash;
}
