#include "formats/filebytes.h"

#include <algorithm>
#include <cerrno>

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/errors.h"
#include "formats/loadprogress.h"
#include "formats/memorylimit.h"

namespace {

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

OpenedFile::OpenedFile(const QString& path) {
  const QByteArray name = QFile::encodeName(path);
  // Non-blocking, so that a FIFO given as a path fails at once instead of
  // waiting for a writer; reads from regular files do not heed the flag.
  fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0)
    throw cFileOpenError(path);
  struct stat info = {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || !LockForReading(fd)) {
    ::close(fd);
    throw cFileOpenError(path);
  }
  size = static_cast<std::uint64_t>(info.st_size);
}

OpenedFile::~OpenedFile() {
  ::close(fd);
}

std::size_t OpenedFile::Read(std::uint64_t offset, unsigned char* out, std::size_t n) const {
  std::size_t done = 0;
  while (done < n) {
    const ssize_t got = ::pread(fd, out + done, n - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR)
      continue;
    if (got < 0)
      throw cReadError();
    if (got == 0)
      break;  // cut short since it was opened
    done += static_cast<std::size_t>(got);
  }
  return done;
}

std::vector<unsigned char> OpenedFile::ReadAt(std::uint64_t offset, std::size_t n) const {
  std::vector<unsigned char> bytes;
  if (offset >= size)
    return bytes;
  bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(n, size - offset)));
  bytes.resize(Read(offset, bytes.data(), bytes.size()));
  return bytes;
}

FileBytes ReadFileBytes(const QString& path) {
  const OpenedFile file(path);
  FileBytes bytes;
  CheckFitsInMemory(file.Size());
  const std::size_t size = static_cast<std::size_t>(file.Size());
  if (size == 0)
    return bytes;
  bytes.data = NewArray<unsigned char>(size);
  // In parts, so that a load can tell how far it is and stop between them;
  // a file cut short since it was opened (by a writer that ignores locks)
  // gives what is left.
  constexpr std::size_t kPart = std::size_t{16} << 20;
  while (bytes.size < size) {
    const std::size_t part = std::min(kPart, size - bytes.size);
    const std::size_t got = file.Read(bytes.size, bytes.data.get() + bytes.size, part);
    bytes.size += got;
    if (got < part)
      break;
    ReportLoadProgress(static_cast<double>(bytes.size) / static_cast<double>(size));
  }
  return bytes;
}
