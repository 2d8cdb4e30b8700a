// The hex form of a digest, shared by the per-system SHA-256 files.
#ifndef TOOLS_CONFIGFILE_SHA256_DIGITS_H
#define TOOLS_CONFIGFILE_SHA256_DIGITS_H

#include <cstddef>
#include <string>

namespace sha256 {

inline std::string Digits(const unsigned char *digest, std::size_t size) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        out += kHex[digest[i] >> 4];
        out += kHex[digest[i] & 15];
    }
    return out;
}

} // namespace sha256

#endif
