// Pictures of every format through the loads' file steps: what each format
// gives, that a bitmap and the same picture as PNG give the same points, and
// that the content decides, never the name.
#include <cstring>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "formats/colourcount.h"
#include "formats/loadfile.h"
#include "support/bmpwriter.h"
#include "support/imagewriter.h"

namespace {

FileBytes BytesOf(const std::vector<unsigned char>& bytes) {
  FileBytes file;  // as ReadFileBytes gives it: no bytes for an empty file
  file.size = bytes.size();
  if (!bytes.empty()) {
    file.data = std::make_unique<unsigned char[]>(bytes.size());
    std::memcpy(file.data.get(), bytes.data(), bytes.size());
  }
  return file;
}

double Quotient(long double a, long double b) {
  return static_cast<double>(a / b);
}

class PictureFormats : public testing::TestWithParam<PictureSample> {};

TEST_P(PictureFormats, GiveTheirHeightsAndColourCells) {
  const PictureSample& s = GetParam();
  EXPECT_TRUE(HoldsPicture(BytesOf(s.bytes)));

  const HeightFieldGrid grid = HeightFieldOf(BytesOf(s.bytes));
  ASSERT_EQ(grid.columns, kSampleWidth);
  ASSERT_EQ(grid.rows, kSampleHeight);
  const double tolerance = s.lossy ? 4.0 / 765 : 0.0;
  const struct {
    int col, row;
    double z;
  } pixels[] = {
      {0, 0, s.zA}, {4, 9, s.zA}, {28, 12, s.zB}, {kSampleWidth - 1, kSampleHeight - 1, s.zB}};
  for (const auto& p : pixels) {
    const Vec3& point = grid.points[static_cast<std::size_t>(p.row * kSampleWidth + p.col)];
    EXPECT_EQ(point.x, Quotient(p.col, kSampleWidth - 1)) << p.col;
    EXPECT_EQ(point.y, Quotient(p.row, kSampleHeight - 1)) << p.row;
    EXPECT_NEAR(point.z, p.z, tolerance) << p.col << ", " << p.row;
  }

  // A quarter of the pixels are B: its cell holds a third of A's.
  const std::unique_ptr<float[]> cells = ColourCountOf(BytesOf(s.bytes));
  EXPECT_EQ(cells[s.cellA], 1.0f);
  if (s.lossy) {
    EXPECT_NEAR(cells[s.cellB], 1.0 / 3, 0.05);
    return;
  }
  EXPECT_EQ(cells[s.cellB], 128.0f / 384.0f);
  double others = 0;
  for (std::size_t i = 0; i < kColourCells; ++i)
    others += i == s.cellA || i == s.cellB ? 0.0 : cells[i];
  EXPECT_EQ(others, 0.0);
}

INSTANTIATE_TEST_SUITE_P(Samples, PictureFormats, testing::ValuesIn(PictureSamples()),
                         [](const auto& info) { return info.param.Stem(); });

// The same 8-bit picture as a bitmap and as PNG: the same points and counts,
// to the last bit.
TEST(PictureFiles, BitmapAndPngOfOnePictureGiveIdenticalData) {
  std::vector<Rgb8> many;
  for (int i = 0; i < 40; ++i) {
    many.push_back(Rgb8{static_cast<std::uint8_t>(i * 37), static_cast<std::uint8_t>(255 - i * 5),
                        static_cast<std::uint8_t>(i * i)});
  }
  const Picture photo = PatternPicture(37, 23, many);
  const Picture greys = PatternPicture(19, 7, {{0, 0, 0}, {77, 77, 77}, {255, 255, 255}});
  BmpOptions palette;
  palette.bitCount = 8;
  const struct {
    const char* name;
    const Picture& picture;
    BmpOptions bmp;
    QImage::Format png;
  } pairs[] = {
      {"24-bit and RGB", photo, BmpOptions{}, QImage::Format_RGB32},
      {"palettes", photo, palette, QImage::Format_Indexed8},
      {"palette and grey", greys, palette, QImage::Format_Grayscale8},
  };
  for (const auto& pair : pairs) {
    SCOPED_TRACE(pair.name);
    const std::vector<unsigned char> bmp = WriteBmp(pair.picture, pair.bmp);
    const std::vector<unsigned char> png = WriteImage(QImageOf(pair.picture, pair.png), "png");
    const HeightFieldGrid a = HeightFieldOf(BytesOf(bmp));
    const HeightFieldGrid b = HeightFieldOf(BytesOf(png));
    ASSERT_EQ(a.columns, b.columns);
    ASSERT_EQ(a.rows, b.rows);
    EXPECT_EQ(std::memcmp(a.points.get(), b.points.get(),
                          sizeof(Vec3) * static_cast<std::size_t>(a.columns * a.rows)),
              0);
    EXPECT_EQ(std::memcmp(ColourCountOf(BytesOf(bmp)).get(), ColourCountOf(BytesOf(png)).get(),
                          sizeof(float) * kColourCells),
              0);
  }
}

// Named one way, holding the other: the content decides.
TEST(PictureFiles, TheContentDecidesNotTheName) {
  QTemporaryDir dir;
  auto write = [&dir](const char* name, const std::vector<unsigned char>& bytes) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    return path;
  };
  const PictureSample png = PictureSamples().front();
  EXPECT_EQ(ReadHeightFieldFile(write("photo.bmp", png.bytes)).columns, kSampleWidth);
  // Only our decoder reads a 16-byte info header, and only it says a file
  // ends too early.
  BmpOptions shortHeader;
  shortHeader.headerSize = 16;
  EXPECT_EQ(ReadHeightFieldFile(
                write("picture.png", WriteBmp(PatternPicture(3, 2, {{1, 2, 3}}), shortHeader)))
                .columns,
            3);
  EXPECT_THROW(ReadColourCountFile(write("short.png", {'B', 'M', '1', '2'})), cReadError);
}

// What a drop or the command line takes for a picture: a bitmap's
// signature or a format a reader recognises; text, and files too short to
// tell, are not.
TEST(PictureFiles, HoldsPictureByTheFirstBytes) {
  const struct {
    std::string bytes;
    bool picture;
  } rows[] = {
      {"BM", true},
      {std::string("\x89PNG\r\n\x1a\n", 8) + std::string(20, '\0'), true},
      {"GIF89a\x01\x00\x01\x00\x00\x00\x00", true},
      {"", false},
      {"B", false},
      {"0,0,0\n1,0,1\n\n0,1,1\n1,1,0\n", false},
      {"BN 1 2 3", false},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(HoldsPicture(BytesOf(std::vector<unsigned char>(r.bytes.begin(), r.bytes.end()))),
              r.picture)
        << r.bytes;
  }
}

}  // namespace
