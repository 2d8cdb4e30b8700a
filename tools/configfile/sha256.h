// SHA-256 from the system's crypto library: libcrypto on POSIX systems
// (posix/sha256.cpp), CNG on Windows (win32/sha256.cpp).
#ifndef TOOLS_CONFIGFILE_SHA256_H
#define TOOLS_CONFIGFILE_SHA256_H

#include <string>
#include <string_view>

namespace sha256 {

// The digest of bytes as 64 lower-case hex digits. Throws std::runtime_error
// when the crypto library fails.
std::string Hex(std::string_view bytes);

} // namespace sha256

#endif
