#include "sha256.h"
#include "sha256_digits.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace sha256 {

std::string Hex(std::string_view bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest, &size, EVP_sha256(), nullptr) != 1)
        throw std::runtime_error("SHA-256 failed in libcrypto");
    return Digits(digest, size);
}

} // namespace sha256
