// Zero-filled heap blocks for paths. Tests can put a failing allocator in
// place to reach the program's out-of-memory outcomes.
#ifndef CFGMIGRATE_ALLOCATION_H
#define CFGMIGRATE_ALLOCATION_H

#include <cstddef>

namespace cfgmigrate {

using ZeroedAllocator = void *(*)(std::size_t count, std::size_t size);

// A zero-filled block of bytes bytes (release with free), or null.
char *AllocateZeroed(std::size_t bytes);

// Replaces the allocator (null puts calloc back); returns the previous one.
ZeroedAllocator SetZeroedAllocator(ZeroedAllocator allocator);

} // namespace cfgmigrate

#endif
