#pragma once
// How the data is drawn beyond the Status window's controls: the colour map
// of the bands, the light, the vertical scale, the volume in its cells' own
// colours, the colour bar and the axes. Everything starts off, as the program always
// drew; the picture's context menu and the command line's picture options
// set the same state.

#include <QFont>

#include "objects/colourmaps.h"
#include "objects/hillshade.h"

class cOpenGLGraph_Solid;
class cOpenGLGraph_Surface;
class cPictureOverlays;

struct PictureLook {
  ColourMapKind colourMap = ColourMapKind::kGrey;
  bool light = false;
  // Degrees clockwise from north (the first row) and above the horizon, from
  // one side or from all sides around it.
  LightSource lightSource;
  double zScale = 1.0;  // kMinZScale ... kMaxZScale
  bool volumeColours = false;
  bool colourBar = false;
  bool axes = false;

  static constexpr double kMinZScale = 0.05;
  static constexpr double kMaxZScale = 20.0;
};

// Gives surface, volume and overlays the look. Throws std::bad_alloc when the
// map's table cannot be made; the rest is then left as it was.
void ApplyLook(const PictureLook& look, cOpenGLGraph_Surface& surface, cOpenGLGraph_Solid& volume,
               cPictureOverlays& overlays);

// The font of the windows' texts (a Japanese face, or what stands in for it),
// for the texts painted over the picture too.
QFont WindowsFont();
