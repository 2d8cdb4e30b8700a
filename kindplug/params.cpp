// The parameter record of the proxy server kind and the Params_load export.
#include "kindplug.h"
#include "low_texts.h"

#include <cstddef>
#include <cstring>

static_assert(sizeof(KindParams) == KINDPLUG_RECORD_SIZE, "the record is 1088 bytes");
static_assert(offsetof(KindParams, nameText) == 8, "name text at 8");
static_assert(offsetof(KindParams, field12) == 12, "word at 12");
static_assert(offsetof(KindParams, field44) == 44, "word at 44");
static_assert(offsetof(KindParams, displayName) == 48, "display name at 48");
static_assert(offsetof(KindParams, kindNumber) == 52, "kind number at 52");
static_assert(offsetof(KindParams, identifier) == 56, "identifier at 56");
static_assert(offsetof(KindParams, field60) == 60, "word at 60");
static_assert(offsetof(KindParams, reserved) == 64, "zero area at 64");

namespace {

using Record = unsigned char[KINDPLUG_RECORD_SIZE];

struct Word {
    size_t offset;
    uint32_t value;
};

// The non-zero numbers of the proxy record; every other word is 0 and the
// string fields are filled from the low copies of the texts.
constexpr Word kProxyWords[] = {
    {offsetof(KindParams, field12), 1},
    {offsetof(KindParams, field16), 512},
    {offsetof(KindParams, field20), 1},
    {offsetof(KindParams, field24), 23},
    {offsetof(KindParams, field28), 1},
    {offsetof(KindParams, field32), 1},
    {offsetof(KindParams, field40), 1},
    {offsetof(KindParams, field44), 100},
    {offsetof(KindParams, kindNumber), KINDPLUG_PROXY_KIND},
    {offsetof(KindParams, field60), 103},
};

// Words are little-endian whatever the byte order of the machine.
void PutWord(Record &record, size_t offset, uint32_t value) {
    for (int byte = 0; byte < 4; ++byte) {
        record[offset + byte] = static_cast<unsigned char>(value >> (8 * byte));
    }
}

void BuildProxyRecord(Record &record) {
    std::memset(record, 0, sizeof record);
    for (const Word &word : kProxyWords)
        PutWord(record, word.offset, word.value);
    const kindplug::TextAddresses &texts = kindplug::ProxyTextAddresses();
    PutWord(record, offsetof(KindParams, nameText), texts.nameText);
    PutWord(record, offsetof(KindParams, displayName), texts.displayName);
    PutWord(record, offsetof(KindParams, identifier), texts.identifier);
}

} // namespace

extern "C" KINDPLUG_API int32_t KINDPLUG_CALL Params_load(int32_t kind, void *destination) {
    if (kind != KINDPLUG_PROXY_KIND || destination == nullptr) return 0;
    Record record;
    BuildProxyRecord(record);
    std::memcpy(destination, record, sizeof record);
    return 1;
}
