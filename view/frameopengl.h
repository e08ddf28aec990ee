#pragma once
// cOpenGLChildWindow: an OpenGL view that renders off-screen into a bitmap of
// its child window's size and shows that bitmap in the window. Derived views
// override Draw and render their scene between BeginFrame and EndFrame.
//
// The off-screen target is a compatibility-profile context (fixed-function
// OpenGL 1.1 and GLU work in it) on an offscreen surface, drawing into a frame
// buffer object; EndFrame reads the frame back into Picture(), which the window
// paints and the clipboard receives.

#include <cstdint>
#include <memory>

#include <QImage>

class QOffscreenSurface;
class QOpenGLContext;
class QOpenGLFramebufferObject;
class QWidget;

class cOpenGLChildWindow {
 public:
  cOpenGLChildWindow();
  // Releases the GL resources and removes any registry entry that still points
  // here, so that a child window outliving its view never reaches freed memory.
  // Not virtual: the owner destroys the concrete class.
  ~cOpenGLChildWindow();

  cOpenGLChildWindow(const cOpenGLChildWindow&) = delete;
  cOpenGLChildWindow& operator=(const cOpenGLChildWindow&) = delete;

  // Releases whatever the view held, creates a child window of parentWindow
  // (owned by that parent), the context and its surface, and registers the
  // view. On failure undoes everything and returns false.
  bool Attach(QWidget* parentWindow);
  // Releases whatever the view held and creates the context and its surface
  // without any window, for pictures that go to a file: Resize then sizes the
  // bitmap alone, and nothing is registered or painted. On failure nothing is
  // held and the result is false.
  bool AttachOffscreen();

  // Places the child window at (x, y) with size w x h and gives the view a
  // bitmap of that size; the new bitmap is black until the next Draw. A size
  // of zero in either direction keeps the previous aspect and viewport and
  // leaves the view with an empty picture until the next real size. Does
  // nothing while the view is attached to neither a window nor off-screen.
  void Resize(int x, int y, int w, int h);

  // Makes the context current (an empty message box when the platform refuses),
  // clears, sets the orthographic projection and the camera, pushes the
  // model-view matrix, and sets depth test (less-or-equal), no culling, smooth
  // shading.
  void BeginFrame();
  // Pops the matrix pushed by BeginFrame, reads the frame back into Picture()
  // and repaints the window from it.
  void EndFrame();
  // Renders and presents the whole picture; the base presents a cleared one.
  virtual void Draw();

  // Puts an independent copy of the picture on the clipboard.
  bool CopyToClipboard();

  // Frees context, bitmap and surface, in reverse order of creation, and
  // forgets the window (which belongs to its parent). Safe to call repeatedly.
  void Release();

  // The picture as last presented: width x height pixels, opaque.
  const QImage& Picture() const { return picture; }
  // How many frames EndFrame has presented since the view was made.
  std::uint64_t FramesPresented() const { return framesPresented; }

  QWidget* window = nullptr;
  std::unique_ptr<QOffscreenSurface> memoryDC;
  std::unique_ptr<QOpenGLContext> glContext;
  std::unique_ptr<QOpenGLFramebufferObject> bitmap;
  std::int32_t width = 0;
  std::int32_t height = 0;
  double zoom = 1.0;
  double aspect = 1.0;
  double eye[3] = {2.0, 2.0, 2.0};
  double centre[3] = {0.0, 0.0, 0.0};
  double up[3] = {0.0, 1.0, 0.0};
  double clearColour[4] = {0.1, 0.1, 0.2, 0.0};

 protected:
  bool InitContext();

 private:
  QImage picture;
  std::uint64_t framesPresented = 0;
};
