#pragma once
// cOpenGLChildWindow: an OpenGL view that renders off-screen into a bitmap of
// its child window's size and shows that bitmap in the window. Derived views
// override Draw and render their scene between BeginFrame and EndFrame.
//
// The off-screen target is a compatibility-profile context (fixed-function
// OpenGL 1.1 and GLU work in it) on an offscreen surface, drawing into a frame
// buffer object; EndFrame reads the frame back into Picture(), which the window
// paints and the clipboard receives.
//
// Redrawing while the user moves the picture: a view whose full frames are
// slow draws previews (its Detail, which the derived view passes to what it
// draws) as long as the input goes on, each once the events already waiting
// have run, and the full picture by itself when the input stops. The timers
// are the event loop's, so that whoever processes events until idle ends on
// the full picture.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include <QImage>
#include <QTimer>

#include "base/camera.h"
#include "base/viewgeometry.h"
#include "view/frametiles.h"

class QOffscreenSurface;
class QPainter;
class QOpenGLContext;
class QWidget;
class cFrameBuffer;
class cSurfacelessContext;

class cOpenGLChildWindow {
 public:
  // The exact picture, or a reduced one drawn while the user moves it.
  enum class Detail { kFull, kPreview };
  // How a change reached the view, which decides how soon and in what detail
  // the picture follows.
  enum class Input {
    kAtOnce,  // a click, a switch, an edit, a load: the full picture at once
    kHeld,    // a held thumb or handle, a drag: previews until Settle
    kBurst,   // a wheel notch, a key: previews, the full picture settleDelay
              // after the last one
  };
  using Duration = std::chrono::steady_clock::duration;

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
  // bitmap alone, and nothing is registered or painted. Where Qt runs without
  // a window system (its offscreen platform), the context is EGL's
  // surfaceless one when Mesa gives it, else Qt's as with a display. On
  // failure nothing is held and the result is false.
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
  // shading. A full picture drawn supersampled, or larger than the renderer
  // draws at once, is drawn in tiles: this begins the first.
  void BeginFrame();
  // Ends the tile being drawn and begins the next one as BeginFrame began the
  // first; false when it was the last, which EndFrame ends. A derived view
  // draws its scene once for every tile:
  //   BeginFrame(); do { ...scene... } while (NextTile()); EndFrame();
  bool NextTile();
  // Pops the matrix pushed by BeginFrame, reads the frame back into Picture()
  // (averaging a supersampled frame down) and repaints the window from it; a
  // full picture drawn by Settle is repainted only once the events that
  // waited meanwhile have run.
  void EndFrame();
  // Renders and presents the whole picture; the base presents a cleared one.
  virtual void Draw();

  // Redraws after a change. Draws the full picture at once, unless input is
  // held or a burst and the last full frame took longer than frameBudget:
  // then it only asks for a preview, drawn once the events already waiting
  // have run (so that many changes in a row draw one preview, of the newest
  // state), and for a burst the full picture settleDelay after the last one.
  // Throws what Draw throws.
  void Redraw(Input input);
  // The held input ended (a button released): unless the full picture of the
  // current state is shown, it follows by itself once the events already
  // waiting have run. A full picture that input makes stale while it is drawn
  // is not shown; the preview of that input comes next.
  void Settle();
  // The full picture of the current state, drawn first when the picture is a
  // preview or older than the last change (Copy and Save use it). Throws what
  // Draw throws.
  const QImage& FullPicture();

  // Puts an independent copy of the full picture on the clipboard.
  bool CopyToClipboard();

  // The camera that zoom, aspect, eye, centre and up describe, and that
  // camera on the picture's size.
  Camera ViewCamera() const;
  // Takes camera's zoom, eye, centre and up; the aspect stays the picture's.
  // Draws nothing.
  void SetCamera(const Camera& camera);
  ViewGeometry Geometry() const { return ViewGeometry(ViewCamera(), width, height); }

  // Frees context, bitmap and surface, in reverse order of creation, and
  // forgets the window (which belongs to its parent). Safe to call repeatedly.
  void Release();

  // The picture as last drawn: width x height pixels, opaque.
  const QImage& Picture() const { return picture; }
  // Nothing left for the timers: the full picture of the current state is
  // presented, and no input is held. Whoever drives the view with events can
  // process them until this holds.
  bool AtRest() const {
    return !changed && !held && !unshownFrame && pictureDetail == Detail::kFull;
  }
  // The detail Picture() was drawn in.
  Detail PictureDetail() const { return pictureDetail; }
  // How many frames have been presented since the view was made, previews
  // included, and how many of them were previews.
  std::uint64_t FramesPresented() const { return framesPresented; }
  std::uint64_t PreviewsPresented() const { return previewsPresented; }

  QWidget* window = nullptr;
  std::unique_ptr<QOffscreenSurface> memoryDC;
  std::unique_ptr<QOpenGLContext> glContext;
  // A context without any window system, in place of memoryDC and glContext.
  std::unique_ptr<cSurfacelessContext> surfaceless;
  std::unique_ptr<cFrameBuffer> bitmap;
  std::int32_t width = 0;
  std::int32_t height = 0;
  double zoom = 1.0;
  double aspect = 1.0;
  double eye[3] = {2.0, 2.0, 2.0};
  double centre[3] = {0.0, 0.0, 0.0};
  double up[3] = {0.0, 1.0, 0.0};
  double clearColour[4] = {0.1, 0.1, 0.2, 0.0};
  // What the next Draw renders; Redraw sets it for its previews only.
  Detail detail = Detail::kFull;
  // Previews are drawn only after a full frame that took longer than this:
  // a scene that draws at 25 frames a second never sees one. Tests set it
  // to zero to see previews whatever the scene's cost.
  Duration frameBudget = defaultFrameBudget;
  // What each view's frameBudget starts at. The test programs make it the
  // longest, so that a machine slowed down (a sanitizer build, a build
  // beside it) never turns their input into previews where they check the
  // picture at rest; their tests of previews set their own.
  static inline Duration defaultFrameBudget = std::chrono::milliseconds(40);
  // After the last wheel notch or key, the full picture waits this long for
  // another.
  std::chrono::milliseconds settleDelay{200};
  // Full pictures are drawn at this many times their pixels each way and
  // averaged down, which smooths every edge the renderer draws; 1 to 4, 1 is
  // off. Previews never are.
  int supersample = 1;
  // The width of the lines the renderer draws, in the picture's pixels.
  float lineWidth = 1.0f;
  // The largest side of a tile drawn at once, and of a frame drawn with one
  // projection; 0: the renderer's limits. A frame beyond them is drawn in
  // tiles. Tests lower them.
  int tileLimit = 0;
  int projectionLimit = 0;
  // Paints over every picture once it is read back, before anyone sees it;
  // what it paints is its own business. Must not throw.
  std::function<void(QImage& picture)> paintOver;
  // Paints over the picture in the window only, whenever the window paints
  // (Copy, Save and files never have it). Must not throw.
  std::function<void(QPainter& painter)> paintOnWindow;
  // Told whenever a full picture has been presented with nothing left for
  // the timers (AtRest): whoever follows the picture in the detail it was
  // drawn in learns here that the previews are over. Must not throw.
  std::function<void()> rested;

 protected:
  bool InitContext();
  bool InitSurfaceless();

 private:
  bool PreviewsWanted() const { return lastFullFrame > frameBudget; }
  // Whichever context the view has.
  bool HasContext() const;
  bool MakeCurrent();
  bool IsCurrent() const;
  // The renderer's limits, read once its context is current.
  void ReadLimits();
  // The state every tile is drawn with: clear, projection, camera, viewport.
  void BeginTile();
  // Reads the tile just drawn into the picture.
  void ReadTile();
  // The timers' handlers.
  void DrawPreview();
  void DrawSettled();
  void PresentSettled();
  // Shows the picture read back last.
  void Present();

  QImage picture;
  // The frame under way, drawn in tiles unless it is plain.
  FramePlan plan;
  std::size_t tileIndex = 0;
  std::unique_ptr<cFrameBuffer> tileBitmap;
  int rendererLimit = 0;  // the largest texture, render buffer and viewport side
  int viewportLimit = 0;
  Detail pictureDetail = Detail::kFull;
  std::uint64_t framesPresented = 0;
  std::uint64_t previewsPresented = 0;
  std::chrono::steady_clock::time_point frameStart;
  Duration lastFullFrame{};

  bool changed = false;       // a change the picture does not show yet
  bool held = false;          // held input under way, until Settle
  bool deferPresent = false;  // EndFrame leaves the frame to PresentSettled
  bool unshownFrame = false;  // a full frame read back and not presented yet
  bool previewing = false;    // DrawPreview runs
  QTimer previewTimer;        // zero delay: once the waiting events have run
  QTimer settleTimer;
  QTimer presentTimer;  // zero delay
};

// Gives view the camera of the main window's scroll-bar positions about its
// look-at point (Camera::Aim: its zoom and eye); draws nothing. theta may
// lie beyond the bar's range and between its steps.
void AimView(cOpenGLChildWindow& view, long double theta, int height, int zoom);
