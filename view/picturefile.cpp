#include "view/picturefile.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

#include "base/errors.h"

namespace {

QByteArray FormatOf(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
    return "jpeg";
  if (suffix == QLatin1String("bmp"))
    return "bmp";
  return "png";
}

}  // namespace

void WritePictureFile(const QImage& picture, const QString& path) {
  WritePictureFile(picture, path, path);
}

void WritePictureFile(const QImage& picture, const QString& path, const QString& shownPath) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly))
    throw cFileWriteError(shownPath, file.errorString());
  QImageWriter writer(&file, FormatOf(path));
  if (writer.format() == "jpeg")
    writer.setQuality(95);
  // PNG keeps zlib's default level 6. Its fast levels 1 - 3 (quality 60 - 89
  // in Qt's terms) take 22 % fewer instructions to encode a 640 x 480
  // picture, about 2 ms, but make the program's pictures 1.5 - 2 times as
  // large (9 - 14 KB become 18 - 21 KB); levels 4 and 5 save 3 %. Most of
  // the encoding is libpng's trial of every row filter, which Qt leaves on.
  if (!writer.write(picture)) {
    // An error of the device (a full disk) says more than the encoder's.
    const QString reason =
        file.error() != QFileDevice::NoError ? file.errorString() : writer.errorString();
    file.cancelWriting();
    throw cFileWriteError(shownPath, reason);
  }
  if (!file.commit())
    throw cFileWriteError(shownPath, file.errorString());
}
