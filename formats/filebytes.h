#pragma once
// Reading a whole file into memory for the loaders, which parse it from there.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

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

// A regular file opened for reading as ReadFileBytes opens it (read-only, a
// shared lock while it is open), for readers that look at parts of a file
// rather than read it whole. Closed when the object goes.
class OpenedFile {
 public:
  // Throws cFileOpenError(path) as ReadFileBytes does.
  explicit OpenedFile(const QString& path);
  ~OpenedFile();
  OpenedFile(const OpenedFile&) = delete;
  OpenedFile& operator=(const OpenedFile&) = delete;

  // The file's size when it was opened.
  std::uint64_t Size() const { return size; }
  // Reads up to n bytes from offset on into out and returns how many it
  // read: fewer where the file ends. Throws cReadError when reading fails.
  std::size_t Read(std::uint64_t offset, unsigned char* out, std::size_t n) const;
  // The same as a new array.
  std::vector<unsigned char> ReadAt(std::uint64_t offset, std::size_t n) const;

 private:
  int fd = -1;
  std::uint64_t size = 0;
};
