// Writes the seed corpora of the fuzz targets into the folder given (one
// subfolder per target): small files of every kind each parser reads, a few
// broken ones, and the texts of the documented cases. The seeds are kept in
// the repository; run this again (./fuzz.sh seeds) when a kind is added.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <QTemporaryDir>

#include "support/bmpwriter.h"
#include "support/imagewriter.h"
#include "support/rasterwriter.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

fs::path root;

void Write(const char* target, const std::string& name, const Bytes& bytes) {
  const fs::path dir = root / target;
  fs::create_directories(dir);
  std::ofstream(dir / name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

void WriteText(const char* target, const std::string& name, const std::string& text) {
  Write(target, name, Bytes(text.begin(), text.end()));
}

BmpOptions Opt(int bitCount, std::uint32_t headerSize = 40, std::uint32_t compression = 0) {
  BmpOptions o;
  o.bitCount = bitCount;
  o.headerSize = headerSize;
  o.compression = compression;
  return o;
}

void Bitmaps() {
  const std::vector<Rgb8> colours = {{0, 0, 0},   {255, 255, 255}, {255, 0, 0},   {0, 255, 0},
                                     {0, 0, 255}, {132, 8, 66},    {197, 255, 8}, {8, 8, 8}};
  const Picture p = PatternPicture(5, 3, colours);
  const Picture two = PatternPicture(7, 2, {colours[0], colours[2]});
  // A picture mostly of its first colour, so that RLE writes runs, deltas
  // and line ends.
  Picture sparse = PatternPicture(9, 4, {colours[0]});
  sparse.pixels[3] = colours[1];
  sparse.pixels[14] = colours[2];
  sparse.pixels[15] = colours[2];
  sparse.pixels[30] = colours[3];

  struct Kind {
    const char* name;
    const Picture& picture;
    BmpOptions options;
  };
  BmpOptions topDown = Opt(24);
  topDown.topDown = true;
  BmpOptions rle8Skips = Opt(8, 40, 1);
  rle8Skips.rleSkips = true;
  BmpOptions rle4Skips = Opt(4, 40, 2);
  rle4Skips.rleSkips = true;
  BmpOptions fields565 = Opt(16, 40, 3);
  fields565.masks[0] = 0xF800, fields565.masks[1] = 0x07E0, fields565.masks[2] = 0x001F;
  BmpOptions fields10 = Opt(32, 108, 3);
  fields10.masks[0] = 0x3FF00000, fields10.masks[1] = 0x000FFC00, fields10.masks[2] = 0x3FF;
  BmpOptions fullTable = Opt(8);
  fullTable.coloursUsed = false;
  BmpOptions gap = Opt(8);
  gap.gap = 6;
  const Kind kinds[] = {
      {"depth1.bmp", two, Opt(1)},
      {"depth1_core.bmp", two, Opt(1, 12)},
      {"depth4.bmp", p, Opt(4)},
      {"depth4_core.bmp", p, Opt(4, 12)},
      {"depth8.bmp", p, Opt(8)},
      {"depth8_full_table.bmp", p, fullTable},
      {"depth8_gap.bmp", p, gap},
      {"depth16_555.bmp", p, Opt(16)},
      {"depth16_565_fields.bmp", p, fields565},
      {"depth24.bmp", p, Opt(24)},
      {"depth24_core.bmp", p, Opt(24, 12)},
      {"depth24_topdown.bmp", p, topDown},
      {"depth24_header16.bmp", p, Opt(24, 16)},
      {"depth24_header124.bmp", p, Opt(24, 124)},
      {"depth32.bmp", p, Opt(32)},
      {"depth32_fields_10bit.bmp", p, fields10},
      {"rle8.bmp", p, Opt(8, 40, 1)},
      {"rle8_skips.bmp", sparse, rle8Skips},
      {"rle4.bmp", p, Opt(4, 40, 2)},
      {"rle4_skips.bmp", sparse, rle4Skips},
  };
  for (const Kind& k : kinds)
    Write("bmpdecode", k.name, WriteBmp(k.picture, k.options));

  // Broken ones, for the error paths.
  Bytes cut = WriteBmp(p, Opt(24));
  cut.resize(60);
  Write("bmpdecode", "pixels_cut.bmp", cut);
  Bytes table = WriteBmp(p, Opt(8));
  Poke32(table, 46, 0xFFFFFFFF);
  Write("bmpdecode", "colour_table_too_long.bmp", table);
  Write("bmpdecode", "rle8_overrun.bmp",
        WriteRawBmp(3, 2, 8, 1, {colours[2], colours[3]}, {5, 1, 0, 2, 200, 200, 0, 200, 1, 1}));
  Write("bmpdecode", "rle4_overrun.bmp",
        WriteRawBmp(3, 2, 4, 2, {colours[2], colours[3]}, {0, 9, 0x10, 0x10, 0, 0, 7, 0x11}));
  Write("bmpdecode", "empty.bmp", {});
}

// Every format Qt's readers load, and the headers that claim too much or
// nothing at all.
void Pictures() {
  const std::vector<PictureSample> samples = PictureSamples();
  for (const PictureSample& s : samples)
    Write("imagedecode", s.name, s.bytes);
  const Bytes& png = samples.front().bytes;
  Write("imagedecode", "claims_100000_square.png", PngClaimingSize(png, 100000, 100000));
  Write("imagedecode", "zero_width.png", PngClaimingSize(png, 0, 16));
  Write("imagedecode", "zero_size.gif", WriteGif(Picture{}));
  Write("imagedecode", "one_row.gif", WriteGif(PatternPicture(7, 1, {{1, 2, 3}, {200, 0, 9}})));
}

void Texts() {
  const char* grids[] = {
      "0,0,0.1\n0.5,0,0.3\n1,0,0.1\n\n0,1,0.2\n0.5,1,0.6\n1,1,0.2\n",
      "0,0,0\r\n1,0,1\r\n\r\n0,1,1\r\n1,1,0\r\n",
      "0 0 0\r1 0 1\r\r0 1 1\r1 1 0\r",
      "0\t0\t0\n\r1\t0\t1\n\r",
      "x,y,z\n1,2,3\n\n4,5,6\n",
      "\"1\",\"2\",\"3\"\n\" 1 \",\"2\" \"3\"\n\"1\"\"\",2,3\n\n",
      "\357\273\2771,2,3\n",  // a UTF-8 byte-order mark first
      "1,,3\n,,\n1,2,3,4,5\n\n\n",
      "-1.5e-3,+.5,5.\n1e,1E+2,0x10\n",
      "123456789012345678901234567890,0.000000000000000000000000125,1e-999\n",
      "1,2\n",
      "1\n",
      "1,2,1e400\n",
  };
  int n = 0;
  for (const char* g : grids) {
    WriteText("pointgrid", "grid" + std::to_string(n++), "." + std::string(g));
  }
  WriteText("pointgrid", "grid_zero_byte", std::string(".1,2,3\0 4,5,6\n", 15));
  WriteText("pointgrid", "grid_comma", ",\"1,5\",\"2,5\",3\n\"0,5\",0,0\n\n");
  WriteText("pointgrid", "grid_arabic",
            "~1\xd9\xab"
            "5,2,3\n\n");

  const char* numbers[] = {
      "0.25",
      "+.5",
      "5.",
      ".",
      "1e-1",
      "1E+2",
      "1e",
      "e5",
      "1.2.3",
      "0x10",
      "-",
      "1e5000",
      "1e999",
      "-.",
      "  1.5 ",
      "1e+-1",
      "1e-999",
      "1e0000000000000002",
      "12345678.9",
      "8901818.539437090047",
      "1.7976931348623159e308",
      "4.9406564584124654e-324",
      "123456789012345678901234567890",
      "0.000000000000000000000000000000000125",
  };
  n = 0;
  for (const char* t : numbers)
    WriteText("numbertext", "number" + std::to_string(n++), "." + std::string(t));
  WriteText("numbertext", "number_comma", ",-1,5e1");
  WriteText("numbertext", "number_arabic",
            "~0\xd9\xab"
            "25");

  const char* answers[] = {
      "bytes 0-0/1253704",
      " bytes 16384-32767/*\r\n",
      "Bytes 5-4/10",
      "bytes 0-18446744073709551615/18446744073709551615",
      "https://example.org/dem.tif?v=1",
      "HTTP://a",
      "ftp://host/x",
  };
  n = 0;
  for (const char* t : answers)
    WriteText("webaddress", "answer" + std::to_string(n++), t);

  const char* lines[] = {
      "1,2,3",
      "1 2  3",
      "1 , 2 ,3",
      "1,,3",
      "1,2,3,",
      "1,2, ",
      ",1",
      ",,",
      "\"a b\",c",
      "\"a\"b",
      "a\"b\" c",
      "\"a\"\"b\"",
      "\"abc",
      "\"a\"\"",
      "\"a\",",
      "1\r\n2\v3",
      "1,2\r\n\"x\"\"y\",,\n\r ,",
      "\xe3\x80\x80,\xe2\x80\xa6 x",
  };
  n = 0;
  for (const char* t : lines)
    WriteText("commatext", "items" + std::to_string(n++), t);
}

// Rasters as GDAL's writers make them, each behind the byte that chooses the
// name it is read under and whether it is held at levels (raster_fuzz.cpp):
// 0 a TIFF, 2 an ASCII grid, 3 a mosaic of the TIFF that inputs left beside
// it, 4 a TIFF at levels, 7 a mosaic at levels. An SRTM
// tile is taken only at its full size, 2.9 MB, far beyond what an input may
// be: inputs named as one reach the way a file named so takes when it is not
// a tile.
void Rasters() {
  const QTemporaryDir scratch;
  const auto seed = [&](const std::string& name, char kind, const RasterContent& raster) {
    const QString path = scratch.filePath(QString::fromStdString(name));
    if (!WriteRaster(path, raster))
      return;
    std::ifstream in(path.toStdString(), std::ios::binary);
    Bytes bytes{static_cast<unsigned char>(kind)};
    bytes.insert(bytes.end(), std::istreambuf_iterator<char>(in), {});
    Write("raster", name, bytes);
  };
  const auto raster = [](int type, std::optional<double> noData = std::nullopt) {
    RasterContent s;
    s.type = type;
    s.noData = noData;
    s.value = [](int c, int r, int) { return c == 2 && r == 1 ? -9999.0 : c - 3.0 * r; };
    return s;
  };
  seed("int16_nodata.tif", 0, raster(3, -9999));
  seed("float32.tif", 0, raster(6));
  seed("float64.tif", 0, raster(7));
  seed("int32.tif", 0, raster(5));
  RasterContent tiled = raster(6);
  tiled.columns = tiled.rows = 40;
  tiled.options = {"TILED=YES", "BLOCKXSIZE=16", "BLOCKYSIZE=16", "COMPRESS=DEFLATE"};
  tiled.overviews = {2};
  seed("tiled_deflate_overviews.tif", 0, tiled);
  seed("tiled_at_levels.tif", 4, tiled);
  const std::string mosaic =
      "<VRTDataset rasterXSize=\"40\" rasterYSize=\"40\"><VRTRasterBand dataType=\"Float32\" "
      "band=\"1\"><SimpleSource><SourceFilename relativeToVRT=\"1\">raster.tif</SourceFilename>"
      "<SourceBand>1</SourceBand></SimpleSource></VRTRasterBand></VRTDataset>\n";
  WriteText("raster", "mosaic.vrt", "\3" + mosaic);
  WriteText("raster", "mosaic_at_levels.vrt", "\7" + mosaic);
  RasterContent packed = raster(3);
  packed.scale = 0.5;
  packed.offset = -100;
  packed.unit = "m";
  packed.geoTransform = {{500000, 30, 0, 4100000, 0, -30}};
  seed("packed_georeferenced.tif", 0, packed);
  RasterContent grid = raster(6, -9999);
  grid.driver = "AAIGrid";
  seed("grid.asc", 2, grid);
  WriteText("raster", "hand.asc",
            std::string("\2ncols 3\r\nnrows 2\r\nxllcenter 0\r\nyllcenter 0\r\ncellsize 1\r\n"
                        "1 2 3\r\n4 5 6\r\n"));
}

// Grids for the contour lines: columns - 2, rows - 2, the step's byte, then
// the heights (255 a hole).
void Grids() {
  Bytes cone = {14, 14, 25};
  for (int r = 0; r < 16; ++r) {
    for (int c = 0; c < 16; ++c) {
      const double d = std::hypot(c - 7.5, r - 7.5);
      cone.push_back(static_cast<unsigned char>(std::max(0.0, 254.0 - 30.0 * d)));
    }
  }
  Write("contours", "cone.grid", cone);
  Bytes holed = cone;
  for (const int k : {3 + 5 * 16 + 5, 3 + 5 * 16 + 6, 3 + 9 * 16 + 10, 3 + 0})
    holed[k] = 255;
  Write("contours", "cone_with_holes.grid", holed);
  Write("contours", "saddle.grid", {1, 1, 60, 0, 254, 254, 0, 127, 127, 60, 200, 30});
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  root = argv[1];
  Bitmaps();
  Pictures();
  Texts();
  Rasters();
  Grids();
  return 0;
}
