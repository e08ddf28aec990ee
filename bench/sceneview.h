#pragma once
// The scenes of the frame benchmarks: the program's start-up scene, and the
// same with what a loader would add.

#include <memory>

#include <QWidget>

#include "base/vec3.h"
#include "input/formstatus.h"
#include "scene/graph.h"

// The view of a 640 x 480 main window.
constexpr int kViewWidth = 608;
constexpr int kViewHeight = 446;

enum class Scene { kStartUp, kVolume, kHeightField, kSmoothField, kFractalTerrain };

// side x side points over the unit square, heights gentle waves across it
// (two along x, one along y): as a smooth picture or a measured surface gives
// them, with none of the photograph's grain. Their height is chosen so that at
// 1024 x 1024 points Draw sends 14.7 % of the triangles in 3-D, the share of
// the height field that the frame targets were first measured on.
std::unique_ptr<Vec3[]> SmoothField(int side);

// side x side points over the unit square, heights a fractal terrain: eight
// octaves of value noise, each half as high as the one before and twice as
// fine, between 0.1 and 0.9; the same for every run.
std::unique_ptr<Vec3[]> FractalTerrain(int side);

// Adds to the Status window's objects what the loaders would: the 64³ volume
// counted from a 1024² photograph, or a height field of side x side points
// from the photograph, from SmoothField or from FractalTerrain; with line and surface in all four
// passes if allPasses.
void LoadScene(TFormStatus& status, Scene scene, int side, bool allPasses);

// The program's own start-up: the view at its default camera, then the Status
// window, which puts the point line, the empty surface and the empty volume
// into the view's lists; then LoadScene. Without an OpenGL context, status
// stays null.
struct SceneView {
  SceneView(Scene scene, int side, bool allPasses);

  QWidget panel;
  cOpenGLGraph graph;
  std::unique_ptr<TFormStatus> status;  // goes first: the view's lists point into it
};
