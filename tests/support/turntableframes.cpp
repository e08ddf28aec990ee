#include "support/turntableframes.h"

#include <QImageReader>

#include "view/turntablefile.h"

std::vector<QImage> ReadTurntableFrames(const QString& pattern, int frames) {
  std::vector<QImage> read;
  if (cTurntableFile::IsAnimation(pattern)) {
    QImageReader reader(pattern);
    if (reader.imageCount() != frames)
      return read;
    for (int k = 0; k < frames && reader.canRead(); ++k)
      read.push_back(reader.read().convertToFormat(QImage::Format_RGB32));
    return read;
  }
  for (int k = 1; k <= frames; ++k) {
    const QImage frame(cTurntableFile::FramePath(pattern, k));
    if (frame.isNull())
      break;
    read.push_back(frame.convertToFormat(QImage::Format_RGB32));
  }
  return read;
}
