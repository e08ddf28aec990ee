#include "formats/rasterkind.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "formats/filebytes.h"
#include "formats/vrtmosaic.h"

namespace {

// The few facts of a TIFF file's first image that decide its kind.
struct TiffFacts {
  std::uint64_t samples = 1;
  std::uint64_t widestSample = 1;  // bits
  bool signedOrFloat = false;
  bool palette = false;
  bool georeferenced = false;  // GeoTIFF tags or GDAL's no-data tag
};

class TiffReader {
 public:
  TiffReader(const OpenedFile& file, bool little) : file(file), little(little) {}

  std::uint64_t Number(const unsigned char* p, int bytes) const {
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) {
      const int at = little ? bytes - 1 - i : i;
      v = (v << 8) | p[at];
    }
    return v;
  }

  // Reads the first directory of a TIFF (classic, or BigTIFF when big) at
  // offset into facts; false when it cannot be read.
  bool Directory(std::uint64_t offset, bool big, TiffFacts& facts) const {
    const int countBytes = big ? 8 : 2;
    const int entryBytes = big ? 20 : 12;
    const int fieldBytes = big ? 8 : 4;
    const std::vector<unsigned char> head =
        file.ReadAt(offset, static_cast<std::size_t>(countBytes));
    if (head.size() != static_cast<std::size_t>(countBytes))
      return false;
    // More entries than any real first image has would only be read for
    // nothing.
    const std::uint64_t entries = std::min<std::uint64_t>(Number(head.data(), countBytes), 1024);
    const std::vector<unsigned char> table =
        file.ReadAt(offset + countBytes, static_cast<std::size_t>(entries) * entryBytes);
    for (std::size_t at = 0; at + entryBytes <= table.size(); at += entryBytes) {
      const unsigned char* e = table.data() + at;
      const auto tag = static_cast<std::uint16_t>(Number(e, 2));
      const auto type = static_cast<std::uint16_t>(Number(e + 2, 2));
      const std::uint64_t count = Number(e + 4, big ? 8 : 4);
      const unsigned char* field = e + 4 + (big ? 8 : 4);
      switch (tag) {
        case 258:  // BitsPerSample
          for (const std::uint64_t bits : Values(type, count, field, fieldBytes))
            facts.widestSample = std::max(facts.widestSample, bits);
          break;
        case 262:  // PhotometricInterpretation
          facts.palette = FirstValue(type, count, field, fieldBytes) == 3;
          break;
        case 277:  // SamplesPerPixel
          facts.samples = FirstValue(type, count, field, fieldBytes);
          break;
        case 339:  // SampleFormat: 2 signed, 3 floating point
          for (const std::uint64_t format : Values(type, count, field, fieldBytes))
            facts.signedOrFloat = facts.signedOrFloat || format == 2 || format == 3;
          break;
        case 33550:  // ModelPixelScale
        case 33922:  // ModelTiepoint
        case 34264:  // ModelTransformation
        case 34735:  // GeoKeyDirectory
        case 42113:  // GDAL's no-data value
          facts.georeferenced = true;
          break;
        default:
          break;
      }
    }
    return true;
  }

 private:
  // The first few values of an entry of 16, 32 or 64-bit unsigned numbers,
  // held in the entry's field or at the offset it gives.
  std::vector<std::uint64_t> Values(std::uint16_t type, std::uint64_t count,
                                    const unsigned char* field, int fieldBytes) const {
    int bytes = 0;
    switch (type) {
      case 3:  // SHORT
        bytes = 2;
        break;
      case 4:  // LONG
        bytes = 4;
        break;
      case 16:  // LONG8
        bytes = 8;
        break;
      default:
        return {};
    }
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(count, 16));
    std::vector<unsigned char> stored;
    if (count * static_cast<std::uint64_t>(bytes) <= static_cast<std::uint64_t>(fieldBytes)) {
      stored.assign(field, field + fieldBytes);
    } else {
      stored = file.ReadAt(Number(field, fieldBytes), n * static_cast<std::size_t>(bytes));
    }
    std::vector<std::uint64_t> values;
    for (std::size_t i = 0; i < n && (i + 1) * static_cast<std::size_t>(bytes) <= stored.size();
         ++i)
      values.push_back(Number(stored.data() + i * static_cast<std::size_t>(bytes), bytes));
    return values;
  }

  std::uint64_t FirstValue(std::uint16_t type, std::uint64_t count, const unsigned char* field,
                           int fieldBytes) const {
    const std::vector<std::uint64_t> values = Values(type, count, field, fieldBytes);
    return values.empty() ? 0 : values.front();
  }

  const OpenedFile& file;
  bool little;
};

// Whether the TIFF file that begins with head holds measured values. A
// header or directory that cannot be read leaves the file to the picture
// readers, which say what is wrong with it.
bool MeasuredTiff(const OpenedFile& file, const std::vector<unsigned char>& head) {
  const bool little = head[0] == 'I';
  const TiffReader reader(file, little);
  const std::uint64_t version = reader.Number(head.data() + 2, 2);
  TiffFacts facts;
  if (version == 42) {
    if (!reader.Directory(reader.Number(head.data() + 4, 4), false, facts))
      return false;
  } else if (version == 43 && head.size() >= 16 && reader.Number(head.data() + 4, 2) == 8) {
    if (!reader.Directory(reader.Number(head.data() + 8, 8), true, facts))
      return false;
  } else {
    return false;
  }
  if (facts.signedOrFloat || facts.widestSample > 16)
    return true;
  return facts.samples == 1 && facts.georeferenced && !facts.palette && facts.widestSample >= 8;
}

bool StartsWith(const std::vector<unsigned char>& bytes, std::string_view text) {
  return bytes.size() >= text.size() && std::memcmp(bytes.data(), text.data(), text.size()) == 0;
}

bool Tiff(const std::vector<unsigned char>& head) {
  using namespace std::string_view_literals;
  return head.size() >= 8 && (StartsWith(head, "II*\0"sv) || StartsWith(head, "MM\0*"sv) ||
                              StartsWith(head, "II+\0"sv) || StartsWith(head, "MM\0+"sv));
}

// An ESRI ASCII grid's header begins with its size, "ncols" or "nrows" in
// any case, after blanks or a byte-order mark.
bool AsciiGrid(const std::vector<unsigned char>& head) {
  std::size_t at = StartsWith(head, "\xEF\xBB\xBF") ? 3 : 0;
  while (at < head.size() &&
         (head[at] == ' ' || head[at] == '\t' || head[at] == '\r' || head[at] == '\n')) {
    ++at;
  }
  char word[6] = {};
  for (int i = 0; i < 5 && at + static_cast<std::size_t>(i) < head.size(); ++i) {
    const unsigned char c = head[at + static_cast<std::size_t>(i)];
    word[i] = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
  }
  return std::strcmp(word, "ncols") == 0 || std::strcmp(word, "nrows") == 0;
}

}  // namespace

bool HoldsMeasuredRaster(const QString& path) {
  const OpenedFile file(path);
  const std::vector<unsigned char> head = file.ReadAt(0, kVrtHeadBytes);
  if (StartsWith(head, "BM"))
    return false;
  if (HoldsVrt(QByteArray(reinterpret_cast<const char*>(head.data()),
                          static_cast<qsizetype>(head.size()))))
    return true;
  if (Tiff(head))
    return MeasuredTiff(file, head);
  return path.endsWith(QLatin1String(".hgt"), Qt::CaseInsensitive) || AsciiGrid(head);
}
