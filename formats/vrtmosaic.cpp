#include "formats/vrtmosaic.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include "base/errors.h"
#include "formats/rasterkind.h"

namespace {

// Elements whose presence makes a band compute its cells, or a dataset warp
// or join others in ways beyond a mosaic.
const char* const kRefusedElements[] = {
    "PixelFunctionType", "PixelFunctionLanguage", "PixelFunctionCode", "PixelFunctionArguments",
    "SourceDataset",     "KernelFilteredSource",  "VRTRawRasterBand",  "Kernel",
};

[[noreturn]] void Refuse(const QString& what) {
  throw cError(QStringLiteral("この VRT ファイルは開けません: %1").arg(what));
}

// A source named in the VRT at folder: checked, as GDAL would find it.
void CheckSource(const QString& name, bool relativeToVrt, const QDir& folder) {
  if (name.isEmpty())
    Refuse(QStringLiteral("名前のないソース"));
  if (name.startsWith(QLatin1String("/vsi")) || name.contains(QLatin1String("://")) ||
      name.startsWith(QLatin1String("vrt:"), Qt::CaseInsensitive)) {
    Refuse(QStringLiteral("ローカルファイルではないソース %1").arg(name));
  }
  const QString path = relativeToVrt ? folder.filePath(name) : name;
  const QFileInfo info(path);
  if (!info.isFile())
    Refuse(QStringLiteral("ファイルではないソース %1").arg(name));
  if (HoldsVrtFile(path))
    Refuse(QStringLiteral("VRT のソース %1").arg(name));
  if (!HoldsMeasuredRaster(path))
    Refuse(QStringLiteral("計測値のラスターではないソース %1").arg(name));
}

}  // namespace

bool HoldsVrt(const QByteArray& head) {
  int at = head.startsWith("\xEF\xBB\xBF") ? 3 : 0;
  for (;;) {
    while (at < head.size() && QChar::isSpace(static_cast<uchar>(head[at])))
      ++at;
    const QByteArray rest = head.mid(at);
    if (rest.startsWith("<?")) {
      const int end = head.indexOf("?>", at);
      if (end < 0)
        return false;
      at = end + 2;
    } else if (rest.startsWith("<!--")) {
      const int end = head.indexOf("-->", at);
      if (end < 0)
        return false;
      at = end + 3;
    } else {
      return rest.startsWith("<VRTDataset") && rest.size() > 11 &&
             (QChar::isSpace(static_cast<uchar>(rest[11])) || rest[11] == '>');
    }
  }
}

bool HoldsVrtFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    throw cFileOpenError(path);
  return HoldsVrt(file.read(kVrtHeadBytes));
}

void CheckVrtMosaic(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    throw cFileOpenError(path);
  const QDir folder = QFileInfo(path).absoluteDir();
  QXmlStreamReader xml(&file);
  bool relativeToVrt = false;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement)
      continue;
    const QStringView name = xml.name();
    for (const char* refused : kRefusedElements) {
      if (name == QLatin1String(refused))
        Refuse(name.toString());
    }
    if ((name == QLatin1String("VRTDataset") || name == QLatin1String("VRTRasterBand")) &&
        xml.attributes().hasAttribute(QLatin1String("subClass"))) {
      Refuse(xml.attributes().value(QLatin1String("subClass")).toString());
    }
    if (name == QLatin1String("SourceFilename")) {
      relativeToVrt = xml.attributes().value(QLatin1String("relativeToVRT")) == QLatin1String("1");
      CheckSource(xml.readElementText().trimmed(), relativeToVrt, folder);
    }
  }
  if (xml.hasError())
    throw cReadError();
}
