#pragma once
// Addresses of rasters on web servers. Only http and https are ever reached,
// and only for an address the user gave: the readers refuse every other way
// onto the network (GDAL's /vsi paths, mosaics that point at servers), and
// the raster module reads these addresses with its own HTTP client, which
// follows redirects to http and https alone and reads no credentials.
// Plain functions on bytes, shared by the program and the raster module.

#include <cstdint>
#include <optional>
#include <string_view>

// Whether text is an http:// or https:// address (the scheme in any case)
// with a host.
bool IsWebAddress(std::string_view text);

// Whether text begins with a scheme and "://", as an address of any kind
// does, so that it is not taken for a file's name.
bool HasScheme(std::string_view text);

// The bytes an answer to a range request holds, from its Content-Range
// header's value "bytes FIRST-LAST/SIZE" (SIZE may be "*", unknown). Empty
// when the value is not of that form or its numbers disagree.
struct ContentRange {
  std::uint64_t first = 0;
  std::uint64_t last = 0;
  std::optional<std::uint64_t> size;
};
std::optional<ContentRange> ParseContentRange(std::string_view value);
