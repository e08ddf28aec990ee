#pragma once
// Pictures rendered straight to a file, without any window: the same scene,
// the same start-up state and the same camera arithmetic as the windows, so
// that the file equals, pixel for pixel, what the main window shows for the
// same settings at the same size.

#include <memory>
#include <vector>

#include <QImage>
#include <QString>

#include "app/picturerequest.h"
#include "overlays/pictureoverlays.h"
#include "scene/graph.h"

// The scene of a request in a view of its own, without any window, ready to
// be drawn (once for a file, again and again for the benchmarks). One view
// shows one request after another in the same context: each is drawn as if
// it were the view's first.
class cPictureScene {
 public:
  // Needs the application object. Makes the context, at size. Throws cError
  // when no OpenGL context can be made.
  explicit cPictureScene(QSize size);
  // The same, then Show(request).
  explicit cPictureScene(const PictureRequest& request);
  ~cPictureScene();

  // Replaces what the view shows by the program's start-up scene, loads the
  // request's files into it and sets the camera, switches, planes and bands;
  // the size stays the view's. Returns the note the windows would show over
  // the picture (a raster read reduced), empty when there is none. Throws
  // what the loads throw (a file that cannot be opened, read or decoded, out
  // of memory); the view then shows the start-up scene, or part of the files.
  QString Show(const PictureRequest& request);

  // Draws the picture off-screen and returns it (the view's size, opaque).
  const QImage& Draw();
  // Aims the camera as the bars would (AimView), about the look-at point
  // the request gave; draws nothing.
  void Aim(long double theta, int height, int zoom);

  // The view the pictures are drawn in, and the surface it shows.
  cOpenGLGraph& View() { return graph; }
  cOpenGLGraph_Surface& Surface();

 private:
  struct Objects;
  // The objects outlive the view whose lists point at them.
  std::unique_ptr<Objects> objects;
  cOpenGLGraph graph;
  cPictureOverlays overlays{graph};
};

// Draws one picture per entry of pictures, with request's options and
// colours file and the entry's data file, in one context, and writes each to
// its path (WritePictureFile), or, with request.turntable, a turntable of
// that many frames to its path as a pattern (WriteTurntable), and the
// sections along its planes to the entry's profile path (WriteProfileFile).
// Entries without picture paths are only loaded, without any view or
// context, for their sections. What stops a picture goes to standard error as the message box would
// show it, after the entry's data file's name when there is more than one picture; the others are
// still drawn. Returns the exit status: 0 when every file is written, else 1.
int RenderPictureFiles(const PictureRequest& request, const std::vector<OutputPicture>& pictures);
