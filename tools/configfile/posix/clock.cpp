#include "system_calls.h"

namespace syscalls {

std::tm UtcTime(std::time_t t) {
    std::tm utc{};
    gmtime_r(&t, &utc);
    return utc;
}

} // namespace syscalls
