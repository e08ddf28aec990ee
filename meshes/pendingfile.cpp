#include "meshes/pendingfile.h"

#include <algorithm>
#include <utility>

#include "base/errors.h"

namespace {

// Large enough that the file system sees few writes, small enough that
// going is asked often: a stop is noticed within a megabyte or so.
constexpr std::size_t kChunkBytes = std::size_t(1) << 20;

}  // namespace

PendingFile::PendingFile(const QString& path, std::uint64_t total,
                         std::function<bool(double done)> going)
    : path(path), file(path), total(total), going(std::move(going)) {
  // QSaveFile's default, made sure of: with the fallback it would write
  // straight into the target where no temporary file can be made beside it,
  // and a failure would then leave half a file.
  file.setDirectWriteFallback(false);
  // Unbuffered: the chunks are large already, and a write that fails (a
  // full disk) is then seen at once rather than when a buffer is flushed.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    Fail();
  }
  buffer.reserve(kChunkBytes);
}

void PendingFile::Fail() {
  const QString reason = file.errorString();
  file.cancelWriting();
  throw cFileWriteError(path, reason);
}

bool PendingFile::Write(const void* data, std::size_t size) {
  if (stopped) {
    return false;
  }
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const std::size_t n = std::min(size, kChunkBytes - buffer.size());
    buffer.insert(buffer.end(), bytes, bytes + n);
    bytes += n;
    size -= n;
    written += n;
    if (buffer.size() == kChunkBytes) {
      Flush();
    }
    if (written - reportedAt >= kChunkBytes) {
      reportedAt = written;
      const double done =
          total > 0 ? std::min(1.0, static_cast<double>(written) / static_cast<double>(total))
                    : share;
      if (!Report(done)) {
        return false;
      }
    }
  }
  return true;
}

void PendingFile::Flush() {
  if (buffer.empty()) {
    return;
  }
  if (file.write(buffer.data(), static_cast<qint64>(buffer.size())) !=
      static_cast<qint64>(buffer.size())) {
    Fail();
  }
  buffer.clear();
}

void PendingFile::Seek(std::uint64_t position) {
  Flush();
  if (!file.seek(static_cast<qint64>(position))) {
    Fail();
  }
}

bool PendingFile::Report(double done) {
  share = done;
  if (!stopped && going && !going(done)) {
    stopped = true;
    file.cancelWriting();
  }
  return !stopped;
}

void PendingFile::Commit() {
  Flush();
  if (!file.commit()) {
    throw cFileWriteError(path, file.errorString());
  }
}
