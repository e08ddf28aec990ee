#pragma once
// Pictures rendered straight to a file, without any window: the same scene,
// the same start-up state and the same camera arithmetic as the windows, so
// that the file equals, pixel for pixel, what the main window shows for the
// same settings at the same size.

#include <QImage>
#include <QString>

#include "app/picturerequest.h"
#include "objects/line.h"
#include "objects/solid.h"
#include "objects/surface.h"
#include "overlays/pictureoverlays.h"
#include "scene/graph.h"

// The scene of a request in a view of its own, without any window, ready to
// be drawn (once for a file, again and again for the benchmarks).
class cPictureScene {
 public:
  // Needs the application object. Loads the request's files and sets the
  // camera, switches, planes and bands. Throws what the loads throw (a file
  // that cannot be opened, read or decoded, out of memory), and cError when no
  // OpenGL context can be made.
  explicit cPictureScene(const PictureRequest& request);

  // Draws the picture off-screen and returns it (request.size, opaque).
  const QImage& Draw();

 private:
  // The objects outlive the view whose lists point at them.
  cOpenGLGraph_Line line;
  cOpenGLGraph_Surface surface;
  cOpenGLGraph_Solid volume;
  cOpenGLGraph graph;
  cPictureOverlays overlays{graph};
};

// Draws the request's picture (cPictureScene) and writes it to path
// (WritePictureFile).
// Returns the exit status: 0 when the file is written; 1 after printing to
// standard error, as the message box would show it, the error that stopped it.
int RenderPictureFile(const PictureRequest& request, const QString& path);
