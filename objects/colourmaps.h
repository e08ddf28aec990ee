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

// Every map, in the order the menu and the help list them: the name it goes
// by on the command line, its title in the menu, and what the help says of
// it besides its name (nothing where the name says it all).
struct ColourMapName {
  ColourMapKind kind;
  std::string_view name;
  std::string_view title;
  std::string_view note;
};
inline constexpr ColourMapName kColourMaps[] = {
    {ColourMapKind::kGrey, "grey", "Grey", "(default)"},
    {ColourMapKind::kViridis, "viridis", "Viridis", ""},
    {ColourMapKind::kCividis, "cividis", "Cividis",
     "(alike for readers with a colour-vision deficiency)"},
    {ColourMapKind::kInferno, "inferno", "Inferno", ""},
    {ColourMapKind::kTerrain, "terrain", "Terrain",
     "(green lowlands through brown to white peaks)"},
    {ColourMapKind::kPicture, "picture", "Picture's own colours",
     "(each point in its pixel's own colour, without bands, for a surface made from a picture; "
     "other surfaces keep grey bands)"},
};

// The command-line name of a map, and the map of such a name.
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
