// The file operations the streams are built on: an open for reading that
// refuses what is not a regular file, and a read that fills its buffer the
// way a whole-buffer read does, stopping only at the end of the file.
#pragma once

#include <cstddef>
#include <sys/types.h>

// Opens `pszFileName` read-only. Returns the descriptor, or -1 with errno set
// (EISDIR for a directory, ENOTSUP for a device, pipe or socket).
int OpenForReading(const char* pszFileName);

// Reads up to cb bytes at the current position, retrying short reads and
// interruptions. Returns the number read (less than cb only at the end of the
// file), or -1 with errno set.
ssize_t ReadFully(int fd, void* pv, size_t cb);
