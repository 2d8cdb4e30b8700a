// The buffering every platform's TextWriter shares: text is collected in
// one block and handed to Flush, the platform's own, whenever it fills.
#include "../text_file.h"

#include <algorithm>
#include <cstring>

namespace confkit::platform {

void TextWriter::Emit(const char *bytes, std::size_t n) {
    while (n > 0 && ok_) {
        if (used_ == kBlock) Flush();
        const std::size_t take = std::min(n, kBlock - used_);
        std::memcpy(buffer_ + used_, bytes, take);
        used_ += take;
        bytes += take;
        n -= take;
    }
}

} // namespace confkit::platform
