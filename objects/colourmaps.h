#pragma once
// The colour maps of the surface's bands: the grey ramp of old, the
// perceptually even maps that scientific plots use (viridis; cividis, which
// readers with a colour-vision deficiency see alike; inferno), hypsometric
// tints for terrain, and the picture's own colours, which are no map of
// heights at all but each point's pixel.

#include <cstdint>
#include <optional>
#include <string_view>

#include "objects/greyramp.h"

enum class ColourMapKind { kGrey, kViridis, kCividis, kInferno, kTerrain, kPicture };

inline constexpr ColourMapKind kColourMaps[] = {ColourMapKind::kGrey,    ColourMapKind::kViridis,
                                                ColourMapKind::kCividis, ColourMapKind::kInferno,
                                                ColourMapKind::kTerrain, ColourMapKind::kPicture};

// The name a map goes by on the command line ("grey", "viridis", "cividis",
// "inferno", "terrain", "picture"), and the map of such a name.
std::string_view NameOf(ColourMapKind kind);
std::optional<ColourMapKind> ColourMapNamed(std::string_view name);

// The map's colour at v in [0, 1] (clamped), interpolated between the 256
// entries of its table. Grey runs from black to white; the picture's colours
// have no table and give grey.
void MapColour(ColourMapKind kind, double v, std::uint8_t rgb[3]);

// The bands of levels levels (the largest power of two not above, as
// GreyRamp::Build) in kind's colours: band i takes the colour at the middle
// of its value interval, (i + 1/2) / N, opaque. Grey, and the picture's
// colours (whose bands are unused), give exactly GreyRamp::Build's table.
// levels 0 leaves ramp as it is. Throws std::bad_alloc, ramp then unchanged.
void BuildBands(GreyRamp& ramp, std::uint32_t levels, ColourMapKind kind);
