// Reading a file through the library's text layer, and what reading it one
// byte at a time in text mode would give, for the text-layer tests of every
// system.
#ifndef CONFKIT_TEST_TEXT_READING_H
#define CONFKIT_TEST_TEXT_READING_H

#include "common/platform/text_file.h"

#include <cstdio>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace testsupport {

// Random bytes dense in CR, LF and NUL; the same for a seed on every system.
inline std::string NoisyBytes(unsigned seed, std::size_t size) {
    std::mt19937 rng(seed);
    const char alphabet[] = {'a', '\r', '\n', '\0', 'b', '\r', ' '};
    std::string raw(size, 'a');
    for (char &c : raw)
        c = alphabet[rng() % sizeof alphabet];
    return raw;
}

// CR LF read as "\n", a lone CR kept, nothing after a Ctrl-Z.
inline std::string ReadByteAtATime(const std::string &raw) {
    std::string out;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\x1A') break;
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
        out += raw[i];
    }
    return out;
}

// The text of the file at path as the library reads it, cap bytes at a time.
inline std::string ReadThroughReader(const std::string &path, std::size_t cap) {
    std::FILE *f = confkit::platform::OpenForReading(path.c_str());
    if (!f) throw std::runtime_error("cannot open " + path);
    auto reader = std::make_unique<confkit::platform::TextReader>(f);
    std::string out;
    std::vector<char> buf(cap);
    while (std::size_t n = reader->Read(buf.data(), cap))
        out.append(buf.data(), n);
    std::fclose(f);
    return out;
}

} // namespace testsupport

#endif
