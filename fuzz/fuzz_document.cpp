// Arbitrary bytes are opened as a configuration file, written back and
// reopened; the line list must stay well formed at every step.
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    static const fuzz::ScratchFile file("document");
    if (!file.Write(data, size)) return 0;
    ConfigDocument *doc = HTTPDConfigOpen(file.path());
    fuzz::CheckDoc(doc);
    fuzz::Require(HTTPDConfigWrite(doc) == 0, "write failed");
    fuzz::CheckDoc(doc);
    HTTPDConfigClose(doc, 0);
    ConfigDocument *again = HTTPDConfigOpen(file.path());
    fuzz::CheckDoc(again);
    // What was read back can be written again.
    fuzz::Require(HTTPDConfigClose(again, 1) == 0, "second write failed");
    return 0;
}
