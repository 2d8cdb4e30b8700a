// On 32-bit Windows, the platform the record was drawn for, its string
// fields are ordinary pointers: a record of real pointers has the same
// layout as the one the plug-in fills.
#include "../kindplug.h"

#include <cstddef>

#ifndef _WIN64

namespace {

struct PointerRecord {
    uint32_t field0;
    uint32_t field4;
    const char *nameText;
    uint32_t words12to44[9];
    const char *displayName;
    uint32_t kindNumber;
    const char *identifier;
    uint32_t field60;
    uint8_t reserved[1024];
};

static_assert(sizeof(void *) == 4, "32-bit pointers");
static_assert(sizeof(PointerRecord) == KINDPLUG_RECORD_SIZE, "the record is 1088 bytes");
static_assert(offsetof(PointerRecord, nameText) == 8, "name text at 8");
static_assert(offsetof(PointerRecord, displayName) == 48, "display name at 48");
static_assert(offsetof(PointerRecord, identifier) == 56, "identifier at 56");
static_assert(offsetof(PointerRecord, nameText) == offsetof(KindParams, nameText), "same place");
static_assert(offsetof(PointerRecord, displayName) == offsetof(KindParams, displayName), "same");
static_assert(offsetof(PointerRecord, identifier) == offsetof(KindParams, identifier), "same");
static_assert(offsetof(PointerRecord, reserved) == offsetof(KindParams, reserved), "same");

} // namespace

#endif
