#pragma once
// GreyRamp: a table of N grey RGBA entries (N a power of two) loaded as the
// default 1-D texture, so that a value in [0, 1] used as texture coordinate
// selects one of N grey bands: entry floor(h * N), clamped at both ends.
// Entry i has grey floor(255 (i + 1) / N); its alpha is 1 for an opaque table
// (the surface draws without blending, so alpha plays no part) or the grey
// shifted right by 5 bits, 0 ... 7, for a translucent one (the volume).

#include <cstdint>
#include <memory>
#include <utility>

class GreyRamp {
 public:
  // The most entries a table holds. Counts above it give this many bands:
  // 8-bit greys cannot tell more apart anyway, and an unbounded count would
  // ask for up to 8 GiB.
  static constexpr std::uint32_t kMaxSize = 65536;

  // One entry (255, 255, 255, 255): the owner's plain colour. Throws
  // std::bad_alloc when the four bytes cannot be had.
  GreyRamp();
  // Deep copies; copying throws std::bad_alloc and leaves the target as it
  // was when memory runs out.
  GreyRamp(const GreyRamp& other);
  GreyRamp& operator=(const GreyRamp& other);
  ~GreyRamp() = default;

  // Rebuilds the table for the largest power of two not above levels (capped
  // at kMaxSize). levels 0 leaves the table as it is. The new table is made
  // before the old one goes, so when memory runs out std::bad_alloc is thrown
  // and the ramp keeps its previous table.
  void Build(std::uint32_t levels, bool translucent);

  // Takes n entries of four bytes each (n a power of two up to kMaxSize), as
  // Build would make them, for tables of other colours. Throws nothing.
  void Take(std::uint32_t n, std::unique_ptr<std::uint8_t[]> table) {
    size = n;
    entries = std::move(table);
  }

  // Needs a current context. Switches 1-D texturing on and loads the table
  // into the default 1-D texture with clamping and nearest filtering; the
  // texture environment stays at its default (modulate). The caller switches
  // texturing off when it has drawn.
  //
  // A table wider than the implementation's GL_MAX_TEXTURE_SIZE would be
  // refused and leave whatever texture was there before. Instead it is loaded
  // at the widest power of two W the implementation takes, keeping every
  // (N / W)-th entry, the last of each run; that is exactly the table Build(W)
  // gives, so the bands are those of W levels. Throws nothing: should even the
  // narrowed copy not fit in memory, the last entry alone is loaded and the
  // owner draws in its plain colour.
  void Upload() const;

  std::uint32_t Size() const { return size; }
  // Size() entries of four bytes each: red, green, blue, alpha.
  const std::uint8_t* Entries() const { return entries.get(); }

 private:
  std::uint32_t size = 1;
  std::unique_ptr<std::uint8_t[]> entries;
};
