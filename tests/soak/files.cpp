#include "files.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>

#include "support/bmpwriter.h"
#include "support/imagewriter.h"
#include "support/rasterwriter.h"
#include "texts.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr std::size_t kKeptFiles = 24;

std::string SizeText(int width, int height) {
  return std::to_string(width) + "x" + std::to_string(height);
}

// A picture of a few hundred pixels a side at most, now and then a larger
// one, with at most maxColours colours: flat patterns, smooth height-map
// ramps, or noise.
Picture RandomPicture(SoakRandom& random, int maxColours) {
  const int width = random.Size(1, 200, 1000);
  const int height = random.Size(1, 200, 800);
  const std::size_t kind = maxColours > 256 ? random.Below(3) : 0;
  if (kind == 0) {
    std::vector<Rgb8> colours(
        static_cast<std::size_t>(random.Between(1, std::min(maxColours, 16))));
    for (Rgb8& c : colours)
      c = {random.Byte(), random.Byte(), random.Byte()};
    return PatternPicture(width, height, colours);
  }
  Picture picture{width, height, {}};
  picture.pixels.reserve(static_cast<std::size_t>(width) * height);
  const int tilt = random.Between(1, 8);
  for (int row = 0; row < height; ++row) {
    for (int col = 0; col < width; ++col) {
      if (kind == 1) {
        const int x = col * 255 / std::max(width - 1, 1);
        const int y = row * 255 / std::max(height - 1, 1);
        picture.pixels.push_back({static_cast<std::uint8_t>(x),
                                  static_cast<std::uint8_t>((x * y / 255 + tilt * y) % 256),
                                  static_cast<std::uint8_t>(y)});
      } else {
        picture.pixels.push_back({random.Byte(), random.Byte(), random.Byte()});
      }
    }
  }
  return picture;
}

// image in format through Qt's writer; empty when the writer refuses it.
Bytes Encode(const QImage& image, const char* format, int quality) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  writer.setQuality(quality);
  if (!writer.write(image))
    return {};
  return Bytes(bytes.begin(), bytes.end());
}

void Put32(Bytes& file, std::size_t at, std::uint32_t value) {
  if (at + 4 <= file.size())
    Poke32(file, at, value);
}

}  // namespace

void WriteFile(const QString& path, const Bytes& bytes) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly))
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

SoakFiles::SoakFiles(SoakRandom& random, QString folder)
    : random(random), folder(std::move(folder)) {}

QString SoakFiles::NewName(const char* extension) {
  ++made;
  // Some names hold blanks and characters beyond ASCII, as users' files do.
  const char* stem = random.Pick({"file", "file", "file", "データ ", "my file ", "ü-"});
  return QDir(folder).filePath(QString::fromUtf8(stem) + QString::number(made) +
                               QString::fromLatin1(extension));
}

SoakFile SoakFiles::Keep(const QString& path, std::string what) {
  kept.push_back({path, std::move(what)});
  if (kept.size() > kKeptFiles) {
    // Not removed yet: the step making this file may have handed out the
    // oldest one a moment ago, and its load is still to come.
    retired.push_back(kept.front().path);
    kept.erase(kept.begin());
  }
  return kept.back();
}

void SoakFiles::RemoveRetired() {
  for (const QString& path : retired)
    QFile::remove(path);
  retired.clear();
}

SoakFile SoakFiles::Any() {
  switch (random.Weighted({85, 6, 4, 3, 2})) {
    case 1:
      if (!kept.empty())
        return kept[random.Below(kept.size())];
      break;
    case 2:
      return {NewName(random.Pick({".bmp", ".csv", ".png"})), "missing"};
    case 3: {
      const QString path = NewName("");
      QDir().mkpath(path);
      return {path, "folder"};
    }
    case 4: {
      ++made;
      return {QDir(folder).filePath(QStringLiteral("gone%1/file.bmp").arg(made)),
              "in a missing folder"};
    }
  }
  std::string what;
  const char* extension = ".bin";
  const Bytes bytes = Contents(what, extension);
  // Now and then a name that says something else than the content does.
  if (random.OneIn(10))
    extension = random.Pick({".csv", ".txt", ".bmp", ".png", ".jpg", ""});
  const QString path = NewName(extension);
  WriteFile(path, bytes);
  return Keep(path, what + ", " + std::to_string(bytes.size()) + " bytes");
}

Bytes SoakFiles::AnyContents(std::string& what) {
  const char* extension = nullptr;
  Bytes bytes = Contents(what, extension);
  what += ", " + std::to_string(bytes.size()) + " bytes";
  return bytes;
}

QString SoakFiles::Scratch(const Bytes& bytes) {
  const QString path = QDir(folder).filePath(QStringLiteral("scratch"));
  WriteFile(path, bytes);
  return path;
}

SoakFile SoakFiles::ToServe(bool& geoTiff) {
  std::string what;
  const char* extension = ".bmp";
  Bytes bytes = geoTiff ? Raster(what, extension, true) : Bytes();
  if (bytes.empty()) {
    geoTiff = false;
    extension = ".bmp";
    bytes = Bitmap(what);
  }
  const QString path = NewName(extension);
  WriteFile(path, bytes);
  return {path, what + ", " + std::to_string(bytes.size()) + " bytes"};
}

Bytes SoakFiles::Contents(std::string& what, const char*& extension) {
  switch (random.Weighted({25, 25, 20, 8, 8, 6, 6, 2, 10})) {
    case 0:
      extension = random.Pick({".csv", ".txt"});
      return PointGridText(what);
    case 1:
      extension = ".bmp";
      return Bitmap(what);
    case 2:
      return OtherPicture(what, extension);
    case 3:
    case 4: {  // a good file cut short, or with bytes changed
      const bool cut = random.OneIn(2);
      Bytes bytes = Contents(what, extension);
      if (bytes.empty())
        return bytes;
      if (cut) {
        bytes.resize(random.Below(bytes.size()));
        what += ", cut";
        return bytes;
      }
      const int changes = random.Between(1, 8);
      for (int i = 0; i < changes; ++i) {
        // Mostly in the header, where a change says the most.
        const std::size_t span =
            random.OneIn(2) ? std::min<std::size_t>(bytes.size(), 64) : bytes.size();
        bytes[random.Below(span)] = random.Byte();
      }
      what += ", bytes changed";
      return bytes;
    }
    case 5:
      return HostileHeader(what, extension);
    case 6:
      return RandomBytes(what);
    case 7:
      what = "empty";
      return {};
    default:
      return Raster(what, extension);
  }
}

Bytes SoakFiles::Raster(std::string& what, const char*& extension, bool geoTiff) {
  RasterContent raster;
  const bool grid = !geoTiff && random.OneIn(4);
  raster.driver = grid ? "AAIGrid" : "GTiff";
  extension = grid ? ".asc" : ".tif";
  // Int16, UInt16, Int32, Float32, Float64; a georeferenced byte band.
  raster.type = random.Pick({3, 2, 5, 6, 7, 1});
  raster.columns = random.Size(1, 40, 300);
  raster.rows = random.Size(1, 40, 300);
  // Served, a raster is a GeoTIFF proper, georeferenced: a plain TIFF of
  // 16-bit samples is a picture on disk.
  if (geoTiff || raster.type == 1 || random.OneIn(3))
    raster.geoTransform = {{500000, 30, 0, 4100000, 0, -30}};
  if (random.OneIn(2))
    raster.noData = -99;
  if (random.OneIn(4)) {
    raster.scale = random.Pick({0.1, 2.0, -1.0});
    raster.offset = random.Pick({0.0, 100.0});
  }
  const double phase = random.Between(0, 99);
  const int gaps = random.Pick({0, 0, 7, 100});  // one cell in so many has no value
  raster.value = [phase, gaps](int c, int r, int) {
    if (gaps && (c * 31 + r * 17) % gaps == 0)
      return gaps == 100 ? -99.0 : std::nan("");
    return 50.0 * std::sin(0.3 * c + phase) + 20.0 * r - 30.0;
  };
  if (random.OneIn(2) && !grid) {
    raster.options = {"TILED=YES", "BLOCKXSIZE=16", "BLOCKYSIZE=16", "COMPRESS=DEFLATE"};
    raster.overviews = {2, 4};
    raster.statistics = random.OneIn(2);
  }
  what = "raster " + raster.driver + " " + std::to_string(raster.columns) + "x" +
         std::to_string(raster.rows) + " type " + std::to_string(raster.type);
  const QString path =
      QDir(folder).filePath(QStringLiteral("raster-scratch") + QString::fromLatin1(extension));
  Bytes bytes;
  if (!grid && !geoTiff && random.OneIn(4)) {
    // A mosaic of the raster as a VRT, sometimes of a source it must refuse.
    const QString source =
        QDir(folder).filePath(QStringLiteral("mosaic-source-%1.tif").arg(random.Below(1u << 30)));
    if (!WriteRaster(source, raster))
      return bytes;
    const bool remote = random.OneIn(3);
    const std::string name = (remote ? "/vsicurl/http://127.0.0.1:9/" : "") +
                             QFileInfo(source).absoluteFilePath().toStdString();
    const std::string size = "rasterXSize=\"" + std::to_string(raster.columns) +
                             "\" rasterYSize=\"" + std::to_string(raster.rows) + "\"";
    const std::string text = "<VRTDataset " + size +
                             "><VRTRasterBand dataType=\"Float64\" band=\"1\"><SimpleSource>"
                             "<SourceFilename>" +
                             name +
                             "</SourceFilename><SourceBand>1</SourceBand></SimpleSource>"
                             "</VRTRasterBand></VRTDataset>\n";
    extension = ".vrt";
    what += remote ? ", as a mosaic of a remote source" : ", as a mosaic";
    return Bytes(text.begin(), text.end());
  }
  if (WriteRaster(path, raster)) {
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
      const QByteArray all = file.readAll();
      bytes.assign(all.begin(), all.end());
    }
  }
  QFile::remove(path);
  return bytes;
}

Bytes SoakFiles::PointGridText(std::string& what) {
  const int columns = random.Size(1, 40, 300);
  const int rows = random.Size(1, std::max(1, 4000 / columns), 200);
  const char* separator = random.Pick({",", ", ", " ", "\t", " , ", ",\t"});
  const char* lineEnd = random.Pick({"\n", "\r\n", "\r"});
  // Most files are grids as they should be; some have one fault or quirk
  // somewhere: an item of any form, a line of one or two items or of four,
  // a zero byte, a byte-order mark, a ragged row, quotes.
  const std::size_t quirk = random.OneIn(2) ? random.Below(8) : 8;
  const int quirkRow = random.Between(0, rows - 1);
  const int quirkColumn = random.Between(0, columns - 1);
  std::string text;
  if (quirk == 0)
    text += "\xEF\xBB\xBF";
  for (int row = 0; row < rows; ++row) {
    const int inRow = quirk == 1 && row == quirkRow ? quirkColumn + 1 : columns;
    for (int column = 0; column < inRow; ++column) {
      const bool here = row == quirkRow && column == quirkColumn;
      std::string items[3];
      for (std::string& item : items)
        item = PlainNumberText(random);
      if (here && quirk == 2)
        items[random.Below(3)] = NumberText(random);
      if (here && quirk == 3)
        items[random.Below(3)] = CellText(random);
      if (here && quirk == 4)
        items[random.Below(3)] = "\"" + items[0] + "\"";
      const int count = here && quirk == 5 ? random.Pick({1, 2, 4, 5}) : 3;
      for (int i = 0; i < count; ++i) {
        if (i > 0)
          text += separator;
        text += i < 3 ? items[i] : PlainNumberText(random);
      }
      if (here && quirk == 6)
        text += std::string(1, '\0') + "0.5";
      text += lineEnd;
    }
    if (row + 1 < rows) {
      text += lineEnd;
      if (quirk == 7 && row == quirkRow)
        text += random.Pick({"", "   ", "\t"}) + std::string(lineEnd);
    }
  }
  if (random.OneIn(4))
    text.resize(text.size() - std::strlen(lineEnd));  // no line end at the end
  what = "point grid " + std::to_string(columns) + "x" + std::to_string(rows) +
         (quirk < 8 ? ", quirk " + std::to_string(quirk) : "");
  return std::vector<unsigned char>(text.begin(), text.end());
}

Bytes SoakFiles::Bitmap(std::string& what) {
  BmpOptions o;
  o.bitCount = random.Pick({1, 4, 8, 16, 24, 32});
  const bool paletted = o.bitCount <= 8;
  // The core header knows no compression and no 16 or 32 bits.
  if (o.bitCount != 16 && o.bitCount != 32 && random.OneIn(6)) {
    o.headerSize = 12;
  } else {
    o.headerSize = random.Pick<std::uint32_t>({40, 40, 40, 52, 56, 108, 124});
    if (o.bitCount == 8 && random.OneIn(3))
      o.compression = 1;
    else if (o.bitCount == 4 && random.OneIn(3))
      o.compression = 2;
    else if ((o.bitCount == 16 || o.bitCount == 32) && random.OneIn(3))
      o.compression = 3;
    o.rleSkips = o.compression != 0 && o.compression != 3 && random.OneIn(2);
    o.topDown = o.compression == 0 && random.OneIn(5);
    o.coloursUsed = !random.OneIn(4);
    o.gap = random.OneIn(8) ? static_cast<std::uint32_t>(random.Between(1, 64)) : 0;
  }
  if (o.compression == 3 && o.bitCount == 32 && random.OneIn(2)) {
    o.masks[0] = 0x3FF00000, o.masks[1] = 0x000FFC00, o.masks[2] = 0x000003FF;
  }
  const Picture picture = RandomPicture(random, paletted ? 1 << o.bitCount : 1 << 24);
  what = "bitmap " + SizeText(picture.width, picture.height) + " depth " +
         std::to_string(o.bitCount) + " header " + std::to_string(o.headerSize) + " compression " +
         std::to_string(o.compression);
  return WriteBmp(picture, o);
}

Bytes SoakFiles::OtherPicture(std::string& what, const char*& extension) {
  struct Kind {
    const char* format;
    const char* extension;
  };
  const Kind kind = random.Pick<Kind>({{"png", ".png"},
                                       {"jpeg", ".jpg"},
                                       {"tiff", ".tif"},
                                       {"webp", ".webp"},
                                       {"gif", ".gif"},
                                       {"ppm", ".ppm"},
                                       {"pgm", ".pgm"},
                                       {"pbm", ".pbm"},
                                       {"xpm", ".xpm"},
                                       {"ico", ".ico"},
                                       {"bmp", ".bmp"}});
  extension = kind.extension;
  const bool gif = std::strcmp(kind.format, "gif") == 0;
  // GIF holds 256 colours; XPM names every colour in its text.
  const bool fewColours = gif || std::strcmp(kind.format, "xpm") == 0;
  const Picture picture = RandomPicture(random, fewColours ? 256 : 1 << 24);
  what = std::string(kind.format) + " " + SizeText(picture.width, picture.height);
  if (gif)
    return WriteGif(picture);
  const QImage::Format format =
      random.Pick({QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_RGB888,
                   QImage::Format_Grayscale8, QImage::Format_Indexed8, QImage::Format_Mono,
                   QImage::Format_Grayscale16, QImage::Format_RGBX64, QImage::Format_RGBA64});
  // Indexed images need few colours for a palette of their own.
  const QImage image =
      QImageOf(picture, format == QImage::Format_Indexed8 && picture.pixels.size() > 256
                            ? QImage::Format_RGB32
                            : format);
  const int quality = random.Pick({-1, 0, 50, 100});
  what += " from format " + std::to_string(static_cast<int>(image.format()));
  Bytes bytes = Encode(image, kind.format, quality);
  if (bytes.empty()) {  // the writer refused (an icon too large, say)
    extension = ".png";
    what += ", as png";
    bytes = Encode(image, "png", -1);
  }
  return bytes;
}

Bytes SoakFiles::HostileHeader(std::string& what, const char*& extension) {
  const Picture small = PatternPicture(random.Between(1, 9), random.Between(1, 9),
                                       {{0, 0, 0}, {255, 255, 255}, {10, 200, 30}});
  if (random.OneIn(3)) {
    // A PNG or GIF that claims a size its data does not have.
    const std::uint32_t width = random.Pick<std::uint32_t>({0, 1, 65535, 100000, 0x7FFFFFFF});
    const std::uint32_t height = random.Pick<std::uint32_t>({0, 1, 65535, 100000, 0x7FFFFFFF});
    what = "claims " + std::to_string(width) + "x" + std::to_string(height);
    if (random.OneIn(2)) {
      extension = ".png";
      return PngClaimingSize(Encode(QImageOf(small, QImage::Format_RGB32), "png", -1), width,
                             height);
    }
    extension = ".gif";
    Bytes gif = WriteGif(small);
    for (std::size_t at : {std::size_t{6}, std::size_t{8}}) {
      gif[at] = static_cast<unsigned char>((at == 6 ? width : height) & 0xFF);
      gif[at + 1] = static_cast<unsigned char>(((at == 6 ? width : height) >> 8) & 0xFF);
    }
    return gif;
  }
  // A bitmap whose info header says what cannot be: one to three fields
  // replaced with values at and beyond their limits.
  extension = ".bmp";
  BmpOptions o;
  o.bitCount = random.Pick({1, 4, 8, 24, 32});
  Bytes bmp = WriteBmp(small, o);
  what = "bitmap header";
  const int pokes = random.Between(1, 3);
  for (int i = 0; i < pokes; ++i) {
    struct Field {
      const char* name;
      std::size_t at;
      std::vector<std::uint32_t> values;
    };
    static const Field fields[] = {
        {"offset", 10, {0, 13, 54, 0xFFFFFFFF, 0x7FFFFFF0}},
        {"header size", 14, {0, 1, 11, 13, 39, 41, 64, 0xFFFFFFFF}},
        {"width", 18, {0, 0xFFFFFFFF, 0x7FFFFFFF, 0x80000000, 65536, 1u << 20}},
        {"height", 22, {0, 0xFFFFFFFF, 0x7FFFFFFF, 0x80000000, 65536, 1u << 20}},
        {"planes and depth", 26, {0x00010000, 0x00020001, 0x00400001, 0xFFFF0001, 0x00030001}},
        {"compression", 30, {1, 2, 3, 4, 5, 6, 0xFFFFFFFF}},
        {"image size", 34, {0, 0xFFFFFFFF, 1}},
        {"colours used", 46, {0xFFFFFFFF, 257, 1u << 30, 3}},
    };
    const Field& field = fields[random.Below(std::size(fields))];
    const std::uint32_t value = field.values[random.Below(field.values.size())];
    Put32(bmp, field.at, value);
    what += std::string(", ") + field.name + " " + std::to_string(value);
  }
  return bmp;
}

Bytes SoakFiles::RandomBytes(std::string& what) {
  const int size = random.Size(0, 512, 65536);
  Bytes bytes(static_cast<std::size_t>(size));
  for (unsigned char& b : bytes)
    b = random.Byte();
  // Behind a format's magic the bytes reach that format's reader.
  const std::size_t magic = random.Below(10);
  static const std::string kMagic[] = {"BM",         "\x89PNG\r\n\x1a\n", "GIF89a", "\xFF\xD8\xFF",
                                       {"II*\0", 4}, {"MM\0*", 4},        "RIFF",   "P6\n",
                                       "/* XPM */\n"};
  if (magic < std::size(kMagic)) {
    const std::string& m = kMagic[magic];
    bytes.insert(bytes.begin(), m.begin(), m.end());
    what = "random bytes after magic " + std::to_string(magic);
  } else {
    what = "random bytes";
  }
  return bytes;
}

SaveTarget SoakFiles::AnyTurntableTarget() {
  const QDir dir(folder);
  switch (random.Weighted({4, 4, 1})) {
    case 0:
      return {dir.filePath(QStringLiteral("turntable.webp")), true, "turntable to turntable.webp"};
    case 1:
      return {dir.filePath(QStringLiteral("turntable.png")), true,
              "turntable to turntable-{frame}.png"};
    default:
      return {dir.filePath(QStringLiteral("no such folder/turntable.webp")), false,
              "turntable into a missing folder"};
  }
}

SaveTarget SoakFiles::AnyMeshTarget() {
  const QDir dir(folder);
  const std::size_t kind = random.Weighted({3, 3, 3, 3, 1});
  if (kind == 4)
    return {dir.filePath(QStringLiteral("no such folder/mesh.stl")), false,
            "mesh into a missing folder"};
  const char* name = random.Pick({"mesh.stl", "mesh.3mf", "mesh.glb", "mesh.PLY"});
  return {dir.filePath(QString::fromLatin1(name)), true, std::string("mesh to ") + name};
}

SaveTarget SoakFiles::AnySaveTarget() {
  const QDir dir(folder);
  switch (random.Weighted({70, 8, 8, 7, 7})) {
    case 0: {
      // The same few names again and again: a save often replaces a file.
      const char* name =
          random.Pick({"saved.png", "saved.PNG", "saved.jpg", "saved.jpeg", "saved.bmp",
                       "saved.BMP", "saved", "saved.tif", "セーブ.png"});
      return {dir.filePath(QString::fromUtf8(name)), true, std::string("save to ") + name};
    }
    case 1: {
      const QString path = dir.filePath(QStringLiteral("save folder"));
      dir.mkpath(path);
      return {path, false, "save onto a folder"};
    }
    case 2:
      return {dir.filePath(QStringLiteral("no such folder/saved.png")), false,
              "save into a missing folder"};
    case 3: {
      const QString file = dir.filePath(QStringLiteral("plain file"));
      QFile(file).open(QIODevice::WriteOnly);
      return {file + QStringLiteral("/saved.png"), false, "save under a plain file"};
    }
    default:
      return {dir.filePath(QString(300, QLatin1Char('n')) + QStringLiteral(".png")), false,
              "save with a name too long"};
  }
}
