#include "formats/imagedecode.h"

#include <algorithm>
#include <climits>

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include "base/errors.h"
#include "formats/loadprogress.h"
#include "formats/memorylimit.h"

namespace {

// Qt's readers decode as they read, so the share of the bytes taken is how
// far the decoding has come; the load is told it, and a cancelled load gets a
// failed read, which ends the decoding within Qt's frames (no exception may
// pass through them).
class ReportingBuffer : public QBuffer {
 public:
  using QBuffer::QBuffer;

 protected:
  qint64 readData(char* data, qint64 maxSize) override {
    if (!NoteLoadProgress(static_cast<double>(pos()) /
                          static_cast<double>(std::max<qint64>(size(), 1))))
      return -1;
    return QBuffer::readData(data, maxSize);
  }
};

// The bytes as a device for a reader, without copying them.
class ByteDevice {
 public:
  ByteDevice(const unsigned char* data, std::size_t size)
      : bytes(QByteArray::fromRawData(reinterpret_cast<const char*>(data),
                                      static_cast<qsizetype>(size))),
        device(&bytes) {
    device.open(QIODevice::ReadOnly);
  }
  ByteDevice(const ByteDevice&) = delete;
  ByteDevice& operator=(const ByteDevice&) = delete;
  QIODevice* get() { return &device; }

 private:
  QByteArray bytes;
  ReportingBuffer device;
};

// Qt's readers refuse, by themselves, to allocate a picture larger than the
// allocation limit. The limit is one for the whole process; a load sets it to
// what the picture it reads may take and puts the old value back after.
class ReaderAllocationLimit {
 public:
  explicit ReaderAllocationLimit(std::uint64_t bytes) : previous(QImageReader::allocationLimit()) {
    constexpr std::uint64_t kMib = std::uint64_t{1} << 20;
    const std::uint64_t mib = std::clamp<std::uint64_t>((bytes + kMib - 1) / kMib, 1, INT_MAX);
    QImageReader::setAllocationLimit(static_cast<int>(mib));
  }
  ~ReaderAllocationLimit() { QImageReader::setAllocationLimit(previous); }
  ReaderAllocationLimit(const ReaderAllocationLimit&) = delete;
  ReaderAllocationLimit& operator=(const ReaderAllocationLimit&) = delete;

 private:
  int previous;
};

bool DeeperThan8Bits(QImage::Format format) {
  const QPixelFormat pixel = QImage::toPixelFormat(format);
  return std::max({pixel.redSize(), pixel.greenSize(), pixel.blueSize()}) > 8;
}

// What a pixel may take in any format, padding included: the 128-bit float
// formats take 16 bytes, and a row of a narrower format gains at most 3 bytes
// of padding, less than its pixels leave to spare.
constexpr std::uint64_t kDeepestBytesPerPixel = 16;

// Bytes a pixel of a picture that its reader announces in format takes, as
// decoded or once readable in place, whichever is more; as much as the
// deepest format when the reader does not say.
std::uint64_t BytesPerPixel(QImage::Format format) {
  if (format == QImage::Format_Invalid)
    return kDeepestBytesPerPixel;
  const std::uint64_t decoded =
      (static_cast<std::uint64_t>(QImage::toPixelFormat(format).bitsPerPixel()) + 7) / 8;
  const std::uint64_t readable = ReadsInPlace(format) ? decoded : DeeperThan8Bits(format) ? 8 : 4;
  return std::max(decoded, readable);
}

}  // namespace

bool ImageReaderRecognises(const unsigned char* data, std::size_t size) {
  ByteDevice device(data, size);
  QImageReader reader(device.get());
  reader.setDecideFormatFromContent(true);
  return reader.canRead();
}

bool ReadsInPlace(QImage::Format format) {
  switch (format) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_Indexed8:
    case QImage::Format_Grayscale8:
    case QImage::Format_Grayscale16:
    case QImage::Format_RGBX64:
    case QImage::Format_RGBA64:
      return true;
    default:
      return false;
  }
}

void MakeReadableInPlace(QImage& image) {
  if (image.isNull() || ReadsInPlace(image.format()))
    return;
  image.convertTo(DeeperThan8Bits(image.format()) ? QImage::Format_RGBX64 : QImage::Format_RGB32);
  if (image.isNull())
    throw cOutOfMemory();
}

QImage DecodeImage(const unsigned char* data, std::size_t size, std::size_t resultBytesPerPixel,
                   std::uint64_t maxPixels) {
  ByteDevice device(data, size);
  QImageReader reader(device.get());
  reader.setDecideFormatFromContent(true);
  // Pixel (col, row) is the picture as it is shown, as for bitmaps.
  reader.setAutoTransform(true);
  if (!reader.canRead()) {
    ThrowIfLoadCancelled();
    throw cInvalidGraphic();
  }

  // A reader that cannot tell the size before decoding is held to the most
  // that any picture may take.
  const QSize header = reader.size();
  std::uint64_t pixels = maxPixels;
  if (header.isValid()) {
    if (header.isEmpty())
      throw cInvalidGraphic();
    pixels =
        static_cast<std::uint64_t>(header.width()) * static_cast<std::uint64_t>(header.height());
    if (pixels > maxPixels)
      throw cOutOfMemory();
    CheckFitsInMemory(pixels * BytesPerPixel(reader.imageFormat()));
    CheckFitsInMemory(pixels * resultBytesPerPixel);
  }

  QImage image;
  {
    const ReaderAllocationLimit limit(std::min(pixels * kDeepestBytesPerPixel, MemoryLimitBytes()));
    if (!reader.read(&image) || image.isNull()) {
      ThrowIfLoadCancelled();
      throw cInvalidGraphic();
    }
  }
  const std::uint64_t got =
      static_cast<std::uint64_t>(image.width()) * static_cast<std::uint64_t>(image.height());
  if (got > maxPixels)
    throw cOutOfMemory();
  MakeReadableInPlace(image);
  return image;
}
