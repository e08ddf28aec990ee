#include "app/picturelook.h"

#include <utility>

#include <QFont>

#include "app/colourrange.h"
#include "formats/rastermodule.h"
#include "objects/solid.h"
#include "objects/surface.h"
#include "overlays/numbers.h"
#include "overlays/pictureoverlays.h"
#include "view/frameopengl.h"

QString ApplyLook(const PictureLook& look, cOpenGLChildWindow& view, cOpenGLGraph_Surface& surface,
                  cOpenGLGraph_Solid& volume, cPictureOverlays& overlays) {
  ContourSettings contours;
  if (look.contours) {
    // Only lines load the raster module for a picture or a point grid.
    contours.trace = ContourGenerator();
    contours.on = true;
    contours.step = look.contourStep;
    contours.automaticStep = [](double low, double high) { return RoundStep(low, high); };
  }
  surface.SetColourMap(look.colourMap);
  view.supersample = look.antialias;
  view.lineWidth = static_cast<float>(look.scale);
  overlays.scale = look.scale;
  surface.SetLight(look.light, look.lightSource);
  surface.SetZScale(look.zScale);
  volume.ownColours = look.volumeColours;
  overlays.colourBar = look.colourBar;
  overlays.axes = look.axes;
  overlays.contourLabels = look.contours && look.contourLabels;
  surface.SetContours(std::move(contours));
  overlays.slope = look.slope;
  const ColourChoice colours = ChooseColours(look.colourRange, look.logColours, surface);
  SetSurfaceColours(colours, surface);
  overlays.colourScale = colours.scale;
  return colours.message;
}

QFont WindowsFont() {
  // The layouts name the Japanese face they were designed with; let an
  // installed Japanese font stand in for it.
  static const bool substituted = [] {
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                               {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                                QStringLiteral("Noto Sans CJK JP")});
    return true;
  }();
  (void)substituted;
  return QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9);
}
