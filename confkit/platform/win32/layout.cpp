// The exported records as callers compiled for this platform see them.
#include "confkit.h"

#include <cstddef>

static_assert(offsetof(Line, text) == 0, "a Line's address is its text's address");
static_assert(offsetof(ConfigDocument, path) == 0, "the path comes first");
#ifdef _WIN64
static_assert(sizeof(void *) == 8, "64-bit pointers");
static_assert(offsetof(Line, next) == 1032, "next after the padded text area");
#else
// The 32-bit layout the records were drawn for.
static_assert(sizeof(void *) == 4, "32-bit pointers");
static_assert(offsetof(Line, next) == 1028, "next right after the text area");
static_assert(offsetof(Line, prev) == 1032, "prev after next");
static_assert(sizeof(Line) == 1036, "a Line is 1036 bytes");
static_assert(offsetof(ConfigDocument, first) == 4, "first after the path");
static_assert(sizeof(ConfigDocument) == 8, "a document record is 8 bytes");
#endif
