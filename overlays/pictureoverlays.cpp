#include "overlays/pictureoverlays.h"

#include <cmath>
#include <vector>

#include <QPainter>
#include <QWidget>

#include "base/viewgeometry.h"
#include "objects/surface.h"
#include "overlays/axes.h"
#include "overlays/colourbar.h"
#include "overlays/contourlabels.h"
#include "scene/graph.h"
#include "scene/picking.h"

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
  const bool bar = colourBar && surface && surface->vertices && !surface->DrawsPointColours();
  if (contourLabels && surface && surface->Contours() &&
      graph.PictureDetail() == cOpenGLChildWindow::Detail::kFull) {
    QPainter painter(&picture);
    painter.scale(scale, scale);
    PaintLabels(painter, ViewGeometry(graph.ViewCamera(), w, h), bar);
  }
  // A surface in its points' own colours has no bands to tell.
  if (bar) {
    std::vector<QRgb> bands;
    const std::uint8_t* entry = surface->ramp.Entries();
    for (std::uint32_t i = 0; i < surface->ramp.Size(); ++i, entry += 4)
      bands.push_back(qRgb(entry[0], entry[1], entry[2]));
    QPainter painter(&picture);
    painter.scale(scale, scale);
    PaintColourBar(painter, QSizeF(w, h).toSize(), font, surface->values, bands,
                   colourScale ? &*colourScale : nullptr);
  }
}

void cPictureOverlays::PaintLabels(QPainter& painter, const ViewGeometry& view, bool bar) const {
  const QSizeF size(view.Width(), view.Height());
  std::vector<QRectF> keepClear;
  if (bar) {
    const ColourBarLayout layout = LayOutColourBar(size.toSize(), font, surface->values);
    QRectF around = QRectF(layout.bar).united(QRectF(layout.title));
    for (const ColourBarLabel& label : layout.labels)
      around = around.united(QRectF(label.box));
    keepClear.push_back(around.adjusted(-4, -4, 4, 4));
  }
  // On the XY face when that alone shows the surface, where nothing hides
  // it; in 3-D a label goes only where the surface shows its own line.
  const bool flat = !surface->disp3D;
  const double cells = std::max(surface->columns, surface->rows);
  const double near = cells > 1 ? 3.0 / (cells - 1.0) : 1.0;
  const auto visible = [&](QPointF at, const Vec3& p) {
    if (flat)
      return true;
    const Picked picked = PickAt(view, surface, nullptr, at);
    return picked.what == Picked::What::kSurface &&
           std::hypot(picked.point.x - p.x, picked.point.y - p.y) <= near;
  };
  PaintContourLabels(
      painter,
      LayOutContourLabels(ProjectContourLines(*surface->Contours(), view, surface->ZScale(), flat),
                          font, size, keepClear, visible),
      font);
}
