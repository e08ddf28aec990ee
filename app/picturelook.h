#pragma once
// How the data is drawn beyond the Status window's controls: the colour map
// of the bands, the light, the vertical scale, the volume in its cells' own
// colours, the colour bar and the axes. Everything starts off, as the program always
// drew; the picture's context menu and the command line's picture options
// set the same state.

#include <QFont>
#include <QString>

#include "app/colourrangetext.h"
#include "objects/colourmaps.h"
#include "objects/hillshade.h"

class cOpenGLChildWindow;
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
  // The slope and aspect line in the value under the cursor.
  bool slope = false;
  // Full pictures drawn at antialias x antialias their pixels and averaged
  // down: 1 (off), 2, 3 or 4.
  int antialias = 1;
  // Text, marks and lines over the picture, and the lines of the scene, this
  // many times their size: kMinScale ... kMaxScale.
  double scale = 1.0;
  // Contour lines over the surface every contourStep of the data's values,
  // or, at 0, at the colour bar's round values.
  bool contours = false;
  double contourStep = 0.0;
  // Their values written along them (with contours only).
  bool contourLabels = false;
  // The values the bands span (full: the data's range), evenly or, with
  // logColours, by their logarithm.
  ColourRange colourRange;
  bool logColours = false;

  static constexpr double kMinZScale = 0.05;
  static constexpr double kMaxZScale = 20.0;
  static constexpr int kMaxAntialias = 4;
  static constexpr double kMinScale = 0.5;
  static constexpr double kMaxScale = 8.0;
};

// Gives view, surface, volume and overlays the look; the colour range is
// worked out for the data the surface holds now (colourrange.h). Returns why
// the range or the logarithm asked for was not taken, empty when it was.
// Throws std::bad_alloc when the map's table cannot be made, cError when
// contour lines are asked for and the raster module that traces them
// cannot be loaded; the rest is then left as it was.
QString ApplyLook(const PictureLook& look, cOpenGLChildWindow& view, cOpenGLGraph_Surface& surface,
                  cOpenGLGraph_Solid& volume, cPictureOverlays& overlays);

// The font of the windows' texts (a Japanese face, or what stands in for it),
// for the texts painted over the picture too.
QFont WindowsFont();
