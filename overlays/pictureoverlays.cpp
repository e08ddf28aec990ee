#include "overlays/pictureoverlays.h"

#include <vector>

#include "objects/surface.h"
#include "overlays/colourbar.h"
#include "scene/graph.h"

cPictureOverlays::cPictureOverlays(cOpenGLGraph& graph) : graph(graph) {
  graph.paintOver = [this](QImage& picture) { Paint(picture); };
}

cPictureOverlays::~cPictureOverlays() {
  graph.paintOver = nullptr;
}

void cPictureOverlays::Paint(QImage& picture) const {
  // A surface in its points' own colours has no bands to tell.
  if (colourBar && surface && surface->vertices && !surface->DrawsPointColours()) {
    std::vector<QRgb> bands;
    const std::uint8_t* entry = surface->ramp.Entries();
    for (std::uint32_t i = 0; i < surface->ramp.Size(); ++i, entry += 4)
      bands.push_back(qRgb(entry[0], entry[1], entry[2]));
    PaintColourBar(picture, font, surface->values, bands);
  }
}
