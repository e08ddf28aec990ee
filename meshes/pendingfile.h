#pragma once
// A mesh file being written: the bytes go to a temporary file beside the
// target, and only Commit puts the file at the target's name, replacing what
// was there. Gone without Commit (an error, a stop, an exception), the
// temporary file goes with it and the target stays as it was.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include <QSaveFile>
#include <QString>

class PendingFile {
 public:
  // Opens the temporary file beside path. total: the bytes the file will
  // have, so that going is told the share written; 0 when not known (the
  // writer then tells the share through Report). going may be null.
  // Throws cFileWriteError(path, reason) when the file cannot be created.
  PendingFile(const QString& path, std::uint64_t total, std::function<bool(double done)> going);
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Appends size bytes. Returns false once going has said to stop (nothing
  // is then written any more). Throws cFileWriteError when writing fails.
  bool Write(const void* data, std::size_t size);
  // Moves the place of the next Write to position, for writers that fill in
  // a length after what it counts. Throws cFileWriteError.
  void Seek(std::uint64_t position);
  // Tells going share (0 to 1) for writers whose total is not known in
  // advance; returns whether to go on.
  bool Report(double share);
  // Writes what is left and renames the temporary file to the path. Throws
  // cFileWriteError (the temporary file removed) when that fails.
  void Commit();

  const QString& Path() const { return path; }

 private:
  // Hands the buffered bytes to the file; throws cFileWriteError.
  void Flush();
  [[noreturn]] void Fail();

  QString path;
  QSaveFile file;
  std::uint64_t total;
  std::function<bool(double)> going;
  std::vector<char> buffer;
  std::uint64_t written = 0;     // bytes given to Write so far
  std::uint64_t reportedAt = 0;  // written when going was last asked
  double share = 0;
  bool stopped = false;
};
