// The calls of the system that the tools' shared code makes beyond the C
// runtime and the file layer of common/platform/ (files.h), defined once per
// system in posix/ and win32/. Files are descriptors of the C runtime,
// opened as plain bytes and not inherited by child processes. Calls that
// fail set errno.
#ifndef TOOLS_CONFIGFILE_SYSTEM_CALLS_H
#define TOOLS_CONFIGFILE_SYSTEM_CALLS_H

#include <cstdio>
#include <ctime>
#include <string>

namespace syscalls {

// Standard input, output and error carry plain bytes: no line-end translation, and
// a Ctrl-Z byte does not end the input.
void UseBinaryStdio();

// The calendar time of t in UTC, safely beside other threads.
std::tm UtcTime(std::time_t t);

// Whether the process pid still runs; one of another user runs all the same.
bool ProcessRuns(unsigned long pid);

// A new empty file under the system's folder for temporary files, named
// from prefix, that only the process's user can open: for a writer that
// takes a path. Throws std::runtime_error.
std::string MakePrivateFile(const std::string &prefix);
// Opens the file at path for reading plain bytes and takes its name away at
// once, so that nothing else opens it and it is gone once closed. Null when
// it cannot be opened; the name is gone all the same.
std::FILE *OpenRemoved(const std::string &path);

// Who owns a file and its permission bits, which the files made for it are
// given. Windows keeps no such bits: there the files made for it are made
// as any new file is, and these calls give nothing.
struct Owner {
    unsigned long uid = 0;
    unsigned long gid = 0;
    unsigned mode = 0600;
};
// Gives an open file (a folder when folder is set) the owner where the
// process may, and the owner's permission bits, no wider.
void Give(int fd, const Owner &owner, bool folder);

// open() with O_* flags of <fcntl.h>, as plain bytes.
int Open(const std::string &path, int flags, int mode = 0600);
// Puts what was written to the file on the disk.
bool Sync(int fd);
// Puts a folder's entries on the disk (true where the system does that on
// its own).
bool SyncFolder(const std::string &folder);
// Makes a folder for the process's user alone, then given owner.
bool MakeFolder(const std::string &folder, const Owner &owner);
// Renames from to to in one step, replacing what is there.
bool Rename(const std::string &from, const std::string &to);

// The lock file of a configuration, opened without following a symbolic
// link and without waiting for a pipe; a writer makes it (mode 0644) when
// it is missing, and falls back to reading it when it may not write it.
// -1 on failure, with errno ELOOP, EISDIR or ENXIO when it is a link, a
// folder, or a pipe or device.
int OpenLock(const std::string &lock, bool writer);
// Whether fd is open on a regular file.
bool IsRegular(int fd);
// Takes the lock of fd (exclusive, or shared) without waiting: 0, or
// EWOULDBLOCK while another holds it against this one, or the error.
int TryLock(int fd, bool exclusive);

} // namespace syscalls

#endif
