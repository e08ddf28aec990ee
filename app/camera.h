#pragma once
// The camera that the frame's three scroll bars describe, computed at extended
// precision and stored as doubles.

struct Camera {
  double zoom;    // half-height of the visible region in data units
  double eye[3];  // on the unit sphere around the centre of the data cube
};

// theta, height: scroll-bar positions in hundredths of a degree (azimuth from
// the data x axis towards y, elevation from the XY plane towards z);
// zoom: position, times 0.0002 the half-height.
Camera CameraFromScrollBars(int theta, int height, int zoom);

class cOpenGLChildWindow;

// Gives view the camera of those bar positions (zoom and eye); draws nothing.
void AimView(cOpenGLChildWindow& view, int theta, int height, int zoom);
