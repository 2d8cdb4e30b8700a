#include "version.h"

#include <cstdint>

namespace admin {

std::string VersionOf(const std::string &bytes) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 1099511628211ULL;
    }
    static const char kDigits[] = "0123456789abcdef";
    std::string hex(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4)
        hex[static_cast<std::size_t>(i)] = kDigits[hash & 0xF];
    return hex;
}

} // namespace admin
