#include "system_calls.h"

namespace syscalls {

// The C runtime's gmtime_s takes its arguments the other way round.
std::tm UtcTime(std::time_t t) {
    std::tm utc{};
    gmtime_s(&utc, &t);
    return utc;
}

} // namespace syscalls
