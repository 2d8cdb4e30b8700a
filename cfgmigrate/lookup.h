// Finding the product's files: the registry names the install root, and the
// file-name map under it maps short file names to full paths.
#ifndef CFGMIGRATE_LOOKUP_H
#define CFGMIGRATE_LOOKUP_H

namespace cfgmigrate {

// The install root, RootDirectory of the product's current version key.
// With buffer null: the value's size, terminator included. Otherwise the
// value is copied into buffer when size is large enough and its size is
// returned. -1 when a key or value cannot be read or the buffer is too small.
int ReadInstallRoot(char *buffer, int size);

// The map entry for name. The result is the value's length plus 1, or 0
// when the name is not in the map or the map cannot be read. The value is
// copied into out when out is given and out_size is at least the result.
// A null map_path means <install root>\CONFIG\TGCONFIG.MAP.
int LookupMappedFile(const char *name, char *out, int out_size, const char *map_path);

} // namespace cfgmigrate

#endif
