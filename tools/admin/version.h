// The version of a configuration file that a form was made from: a digest of
// the file's bytes. A form carries it, so that a change made meanwhile by
// anyone else is noticed before the form is applied over it.
#ifndef ADMIN_VERSION_H
#define ADMIN_VERSION_H

#include <string>

namespace admin {

constexpr const char *kVersionField = "version";

// 16 hexadecimal digits (64-bit FNV-1a of the bytes).
std::string VersionOf(const std::string &bytes);

} // namespace admin

#endif
