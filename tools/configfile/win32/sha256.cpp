#include "sha256.h"
#include "sha256_digits.h"

#include <windows.h>

#include <bcrypt.h>

#include <limits>
#include <stdexcept>

namespace sha256 {

namespace {

class Algorithm {
  public:
    Algorithm() {
        if (!BCRYPT_SUCCESS(
                BCryptOpenAlgorithmProvider(&handle_, BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
            throw std::runtime_error("SHA-256 is not available from CNG");
    }
    ~Algorithm() { BCryptCloseAlgorithmProvider(handle_, 0); }
    Algorithm(const Algorithm &) = delete;
    Algorithm &operator=(const Algorithm &) = delete;
    BCRYPT_ALG_HANDLE get() const { return handle_; }

  private:
    BCRYPT_ALG_HANDLE handle_ = nullptr;
};

} // namespace

std::string Hex(std::string_view bytes) {
    if (bytes.size() > std::numeric_limits<ULONG>::max())
        throw std::runtime_error("SHA-256: input too large for one call of BCryptHash");
    Algorithm algorithm;
    unsigned char digest[32];
    // BCryptHash takes a non-const buffer but does not write it.
    auto *input = reinterpret_cast<PUCHAR>(const_cast<char *>(bytes.data()));
    const NTSTATUS status = BCryptHash(algorithm.get(), nullptr, 0, input,
                                       static_cast<ULONG>(bytes.size()), digest, sizeof digest);
    if (!BCRYPT_SUCCESS(status)) throw std::runtime_error("SHA-256 failed in CNG");
    return Digits(digest, sizeof digest);
}

} // namespace sha256
