// DecodeImage on any bytes, then the height field and the colour count of
// what it returns: the decode may throw only its own two errors, and the
// picture it returns is in a format the builders read in place, within the
// pixel cap; the builders then throw nothing but the height field's 0 / 0 of
// a picture one pixel wide or high.
#include <QBuffer>
#include <QImageReader>
#include <QtGlobal>

#include "base/errors.h"
#include "formats/colourcount.h"
#include "formats/heightfield.h"
#include "formats/imagedecode.h"
#include "fuzz/fuzz_input.h"

namespace {

// As for bitmaps: enough for any header trick, small enough that inputs do
// not spend their time filling large pictures.
constexpr std::uint64_t kFuzzMaxPixels = std::uint64_t{1} << 16;

}  // namespace

// Qt's image plugins are loaded on first use and stay loaded: load them all
// before the first input, so that what they keep is not taken for a leak of
// that input. No application object is needed for them. The readers' warnings
// about broken input, one or more for nearly every input, are dropped.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  for (const QByteArray& format : QImageReader::supportedImageFormats()) {
    QBuffer nothing;
    nothing.open(QIODevice::ReadOnly);
    QImageReader(&nothing, format).canRead();
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ImageReaderRecognises(data, size);
  QImage picture;
  try {
    picture = DecodeImage(data, size, sizeof(Vec3), kFuzzMaxPixels);
  } catch (const cInvalidGraphic&) {
    return 0;
  } catch (const cOutOfMemory&) {
    return 0;
  }
  FUZZ_CHECK(!picture.isNull());
  FUZZ_CHECK(ReadsInPlace(picture.format()));
  FUZZ_CHECK(static_cast<std::uint64_t>(picture.width()) * picture.height() <= kFuzzMaxPixels);
  FUZZ_CHECK(CountColours(picture) != nullptr);
  try {
    FUZZ_CHECK(BuildHeightField(picture) != nullptr);
  } catch (const cInvalidOp&) {
    FUZZ_CHECK(picture.width() == 1 || picture.height() == 1);
  }
  return 0;
}
