#include "formats/filebytes.h"

#include <cerrno>

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/errors.h"
#include "formats/memorylimit.h"

namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0)
      ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Takes both kinds of shared lock, since a writer may use either and on Linux
// the two do not see each other. Answers false only when a writer holds one;
// where the file system offers no locks the file is read without.
bool LockForReading(int fd) {
  if (::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK)
    return false;
  struct flock range = {};
  range.l_type = F_RDLCK;
  range.l_whence = SEEK_SET;  // start 0, length 0: the whole file
  if (::fcntl(fd, F_SETLK, &range) != 0 && (errno == EACCES || errno == EAGAIN))
    return false;
  return true;
}

}  // namespace

FileBytes ReadFileBytes(const QString& path) {
  const QByteArray name = QFile::encodeName(path);
  // Non-blocking, so that a FIFO given as a path fails at once instead of
  // waiting for a writer; reads from regular files do not heed the flag.
  const FileDescriptor file(::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (file.get() < 0)
    throw cFileOpenError(path);
  struct stat info = {};
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))
    throw cFileOpenError(path);
  if (!LockForReading(file.get()))
    throw cFileOpenError(path);

  FileBytes bytes;
  CheckFitsInMemory(static_cast<std::uint64_t>(info.st_size));
  const std::size_t size = static_cast<std::size_t>(info.st_size);
  if (size == 0)
    return bytes;
  bytes.data = NewArray<unsigned char>(size);
  // A file cut short since fstat (by a writer that ignores locks) gives what
  // is left.
  while (bytes.size < size) {
    const ssize_t got = ::read(file.get(), bytes.data.get() + bytes.size, size - bytes.size);
    if (got < 0 && errno == EINTR)
      continue;
    if (got < 0)
      throw cReadError();
    if (got == 0)
      break;
    bytes.size += static_cast<std::size_t>(got);
  }
  return bytes;
}
