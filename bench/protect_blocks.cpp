// Times reading, replacing and deleting Protection setups and LDAPInfo blocks
// by name in a generated configuration of N lines; the named entries sit at
// the end, so each operation walks the whole document.
// Usage: protect_blocks [N ...]   (default: 10000 100000)
#include "confkit.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string Generate(long n) {
    std::string text;
    for (long i = 0; i + 8 < n; i += 4) {
        text += "Pass /docs" + std::to_string(i) + "/* /srv/*\n";
        text += "Protection setup" + std::to_string(i) + " {\n   UserID  nobody\n}\n";
    }
    text += "Protection last {\n   UserID  u\n   GetMask  all\n}\n";
    text += "LDAPInfo dir {\n   Host  h\n   ServerDN  \"cn=x\"\n}\n";
    return text;
}

double Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

void FreeProtect(ProtectRule *r) {
    if (!r) return;
    // SSL_ClientAuth, an empty Address and blank certificate values may be
    // constants; this document has none of them.
    char **fields = reinterpret_cast<char **>(r);
    for (std::size_t i = 0; i < sizeof(ProtectRule) / sizeof(char *); ++i)
        std::free(fields[i]);
    std::free(r);
}

bool Run(long n, int repeats) {
    char path[] = "/tmp/confkit-bench-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) return false;
    const std::string text = Generate(n);
    const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    close(fd);
    ConfigDocument *doc = written ? HTTPDConfigOpen(path) : nullptr;
    unlink(path);
    if (!doc) return false;

    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < repeats; ++i)
        FreeProtect(HTTPDGetProtectRule(doc, "last"));
    const double get = Since(start) / repeats;

    ProtectRule rule{};
    rule.Directive = const_cast<char *>("Protection");
    rule.SetupName = const_cast<char *>("last");
    rule.UserID = const_cast<char *>("someone");
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < repeats; ++i)
        HTTPDPutProtectRule(doc, &rule, "last", 3);
    const double put = Since(start) / repeats;

    LDAPRule ldap{};
    ldap.Name = const_cast<char *>("dir");
    ldap.Host = const_cast<char *>("ldap.example");
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < repeats; ++i)
        HTTPDPutLDAPRule(doc, &ldap, "dir", 3);
    const double putLDAP = Since(start) / repeats;

    start = std::chrono::steady_clock::now();
    HTTPDDeleteProtectRule(doc, "last");
    const double del = Since(start);

    HTTPDConfigClose(doc, 0);
    std::printf(
        "%8ld lines: get %.3f ms, put (replace) %.3f ms, LDAP put %.3f ms, delete %.3f ms\n", n,
        get, put, putLDAP, del);
    return true;
}

} // namespace

int main(int argc, char **argv) {
    const int repeats = 20;
    bool ok = true;
    if (argc < 2) {
        ok = Run(10000, repeats) && Run(100000, repeats);
    } else {
        for (int i = 1; i < argc; ++i)
            ok = Run(std::atol(argv[i]), repeats) && ok;
    }
    return ok ? 0 : 1;
}
