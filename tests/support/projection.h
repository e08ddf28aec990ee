#pragma once
// Where the scene puts a data point on screen, computed independently of
// OpenGL from the view's camera fields with the same matrices the scene sets
// up (orthographic volume, look-at camera, axis swap, centring, pass scale).

#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QString>

#include "base/vec3.h"

class cOpenGLChildWindow;

// The spot of the picture (pixels from its top left corner, a pixel's centre
// at + 1/2) that shows data point p; scale is the pass's flattening, (1, 1,
// 1) for the 3-D pass. ProjectDataPoint: the pixel (column, row from the top)
// there.
QPointF ProjectToPicture(const cOpenGLChildWindow& view, Vec3 p, Vec3 scale = {1, 1, 1});
QPoint ProjectDataPoint(const cOpenGLChildWindow& view, Vec3 p, Vec3 scale = {1, 1, 1});

// Depth of p in the camera's direction (larger is nearer to the eye).
double Nearness(const cOpenGLChildWindow& view, Vec3 p);

// True when the pixel's channels each lie within tolerance of (r, g, b).
bool ColourNear(QRgb actual, int r, int g, int b, int tolerance = 2);

// Saves image under the build's Testing/Temporary folder for a person to look
// at; returns the path.
QString SaveForInspection(const QImage& image, const QString& name);
