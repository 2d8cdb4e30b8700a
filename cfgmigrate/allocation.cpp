#include "allocation.h"

#include <cstdlib>

namespace cfgmigrate {
namespace {
ZeroedAllocator current_allocator = std::calloc;
}

char *AllocateZeroed(std::size_t bytes) {
    return static_cast<char *>(current_allocator(bytes, 1));
}

ZeroedAllocator SetZeroedAllocator(ZeroedAllocator allocator) {
    ZeroedAllocator previous = current_allocator;
    current_allocator = allocator ? allocator : std::calloc;
    return previous;
}

} // namespace cfgmigrate
