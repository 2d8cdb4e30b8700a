// What a configuration file must be before anything reads it whole: text,
// without NUL bytes, and no larger than a limit. The library reads a file
// of any size into memory, a NUL byte ends a line's text for it, and a save
// then writes back only what it read: a large or binary file would cost
// time and memory and come back cut. The check reads the file in chunks, so
// it takes bounded memory, and it stops at the first NUL byte.
#ifndef TOOLS_CONFIGFILE_TEXT_CHECK_H
#define TOOLS_CONFIGFILE_TEXT_CHECK_H

#include <cstdint>
#include <stdexcept>
#include <string>

namespace textcheck {

// The largest file read unless a caller names another limit.
constexpr std::uint64_t kDefaultMaxSize = 64u * 1024 * 1024;

// The file is no text configuration file, or is larger than the limit.
// why() says which, without the file's name.
class NotText : public std::runtime_error {
  public:
    NotText(const std::string &path, const std::string &why)
        : std::runtime_error(path + ": " + why), why_(why) {}
    const std::string &why() const { return why_; }

  private:
    std::string why_;
};

// Throws NotText for a file larger than maxSize bytes or holding a NUL byte,
// std::runtime_error naming the file and the cause when it cannot be read.
void Check(const std::string &path, std::uint64_t maxSize);

} // namespace textcheck

#endif
