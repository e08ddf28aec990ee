#pragma once
// What a picture rendered straight to a file shows (cubiscope --output).

#include <QSize>
#include <QString>

#include "app/picturelook.h"
#include "base/vec3.h"
#include "meshes/meshsettings.h"

// Every field starts at the program's own start-up value (the layouts' bar,
// slider and spinner positions, the Status window's switches and bands), so
// that a request left alone gives the program's first picture.
struct PictureRequest {
  QSize size{640, 480};  // the picture, as the main window's frame at start-up
  // Scroll-bar positions: hundredths of a degree, and the zoom bar's units
  // (0.0002 of a data unit each, half the height of what is seen).
  int theta = 4500;
  int height = 5000;
  int zoom = 5001;
  // The point the camera looks at, in data units: the cube's middle.
  Vec3 centre{0.5, 0.5, 0.5};
  int bands = 8;  // grey bands of the surface: 1, 2, 4, ... 128
  // The display switches of the line and the surface: 3-D, XY, YZ, ZX.
  bool show[4] = {true, false, false, false};
  int planes[3] = {0, 0, 0};  // x, y, z plane sliders, thousandths of the cube
  PictureLook look;           // colour map, light, vertical scale, colour bar
  QString dataFile;           // loaded as a dropped file is; may be empty
  QString coloursFile;        // loaded as a file dropped with Shift is; may be empty
  int turntable = 0;          // frames of one turn from theta; 0: a still picture
  MeshSettings mesh;          // how --export-mesh makes its meshes
};

// One picture of an --output, --profile or --export-mesh run: the file it
// draws, loaded as a dropped file is (empty: none), the path the picture is
// written to, the path of its sections' CSV file and that of its surface's
// mesh (each empty: none).
struct OutputPicture {
  QString dataFile;
  QString path;
  QString profile{};
  QString mesh{};
};
