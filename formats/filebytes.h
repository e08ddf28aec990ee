#pragma once
// Reading a whole file into memory for the loaders, which parse it from there.

#include <cstddef>
#include <memory>

#include <QString>

struct FileBytes {
  std::unique_ptr<unsigned char[]> data;  // null when the file is empty
  std::size_t size = 0;
};

// Reads the regular file at path (full path, as the user chose it) whole. The
// file is opened for reading only and, while it is read, holds a shared lock
// so that a writer that locks it cannot change it underneath; the file is
// closed before returning. The bytes belong to the caller.
// Throws cFileOpenError(path) when the file does not exist, is not a regular
// file, cannot be opened for reading, or a writer holds a lock on it;
// cReadError when reading fails part way; cOutOfMemory when the file is larger
// than the machine's memory (memorylimit.h) or the bytes cannot be allocated.
FileBytes ReadFileBytes(const QString& path);
