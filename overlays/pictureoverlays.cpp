#include "overlays/pictureoverlays.h"

#include <vector>

#include <QPainter>
#include <QWidget>

#include "base/viewgeometry.h"
#include "objects/surface.h"
#include "overlays/axes.h"
#include "overlays/colourbar.h"
#include "scene/graph.h"

cPictureOverlays::cPictureOverlays(cOpenGLGraph& graph) : graph(graph) {
  graph.paintOver = [this](QImage& picture) { Paint(picture); };
  graph.paintOnWindow = [this](QPainter& painter) {
    readout.Paint(painter, this->graph, surface, volume, font, slope);
  };
}

cPictureOverlays::~cPictureOverlays() {
  graph.paintOver = nullptr;
  graph.paintOnWindow = nullptr;
}

void cPictureOverlays::Hover(std::optional<QPointF> at) {
  readout.MoveTo(at);
  if (graph.window)
    graph.window->update();
}

QString cPictureOverlays::ReadoutNow() const {
  return readout.Text(graph, surface, volume, slope);
}

void cPictureOverlays::Paint(QImage& picture) const {
  if (picture.isNull())
    return;
  // Drawn on the picture's size divided by the scale and scaled up, so that
  // text, marks and lines grow and lie where they lie at scale 1.
  const double w = picture.width() / scale;
  const double h = picture.height() / scale;
  if (axes) {
    QPainter painter(&picture);
    painter.scale(scale, scale);
    PaintAxes(painter, ViewGeometry(graph.ViewCamera(), w, h), surface, font);
  }
  // A surface in its points' own colours has no bands to tell.
  if (colourBar && surface && surface->vertices && !surface->DrawsPointColours()) {
    std::vector<QRgb> bands;
    const std::uint8_t* entry = surface->ramp.Entries();
    for (std::uint32_t i = 0; i < surface->ramp.Size(); ++i, entry += 4)
      bands.push_back(qRgb(entry[0], entry[1], entry[2]));
    QPainter painter(&picture);
    painter.scale(scale, scale);
    PaintColourBar(painter, QSizeF(w, h).toSize(), font, surface->values, bands);
  }
}
