#include "view/frameopengl.h"

#include <algorithm>
#include <vector>

#include <QClipboard>
#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <QWidget>

#include <GL/glu.h>

#include "view/framebuffer.h"
#include "view/handlerguard.h"
#include "view/messagebox.h"
#include "view/surfacelesscontext.h"
#include "view/topenglchildwindow.h"
#include "view/viewregistry.h"

namespace {

// 32-bit colour without alpha, 16-bit depth, single-buffered, and the
// compatibility profile that keeps the fixed-function pipeline.
QSurfaceFormat PixelFormat() {
  QSurfaceFormat format;
  format.setRenderableType(QSurfaceFormat::OpenGL);
  format.setProfile(QSurfaceFormat::CompatibilityProfile);
  format.setRedBufferSize(8);
  format.setGreenBufferSize(8);
  format.setBlueBufferSize(8);
  format.setAlphaBufferSize(0);
  format.setDepthBufferSize(16);
  format.setStencilBufferSize(0);
  format.setSwapBehavior(QSurfaceFormat::SingleBuffer);
  return format;
}

QImage BlackPicture(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(Qt::black);
  return image;
}

}  // namespace

cOpenGLChildWindow::cOpenGLChildWindow() {
  for (QTimer* timer : {&previewTimer, &settleTimer, &presentTimer})
    timer->setSingleShot(true);
  previewTimer.setInterval(0);
  presentTimer.setInterval(0);
  QObject::connect(&previewTimer, &QTimer::timeout, &previewTimer,
                   [this] { RunHandler([this] { DrawPreview(); }); });
  QObject::connect(&settleTimer, &QTimer::timeout, &settleTimer,
                   [this] { RunHandler([this] { DrawSettled(); }); });
  QObject::connect(&presentTimer, &QTimer::timeout, &presentTimer,
                   [this] { RunHandler([this] { PresentSettled(); }); });
}

cOpenGLChildWindow::~cOpenGLChildWindow() {
  Release();
  ViewRegistry::RemoveView(this);
}

bool cOpenGLChildWindow::Attach(QWidget* parentWindow) {
  Release();
  if (!parentWindow)
    return false;
  auto* child = new TOpenGLChildWindow(parentWindow);
  child->setGeometry(0, 0, 105, 105);
  child->show();
  window = child;
  if (!InitContext()) {
    delete child;
    window = nullptr;
    return false;
  }
  ViewRegistry::Insert(window, this);
  return true;
}

bool cOpenGLChildWindow::AttachOffscreen() {
  Release();
  // Qt's platform without a window system has no OpenGL context of its own.
  if (QGuiApplication::platformName() == QLatin1String("offscreen") && InitSurfaceless())
    return true;
  return InitContext();
}

bool cOpenGLChildWindow::InitSurfaceless() {
  std::unique_ptr<cSurfacelessContext> context = cSurfacelessContext::Create();
  if (!context || !context->MakeCurrent())
    return false;
  surfaceless = std::move(context);
  ReadLimits();
  return true;
}

bool cOpenGLChildWindow::HasContext() const {
  return glContext || surfaceless;
}

bool cOpenGLChildWindow::MakeCurrent() {
  if (glContext)
    return glContext->makeCurrent(memoryDC.get());
  return surfaceless && surfaceless->MakeCurrent();
}

bool cOpenGLChildWindow::IsCurrent() const {
  if (glContext)
    return QOpenGLContext::currentContext() == glContext.get();
  return surfaceless && surfaceless->IsCurrent();
}

void cOpenGLChildWindow::ReadLimits() {
  GLint texture = 0, renderBuffer = 0, viewport[2] = {};
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderBuffer);
  glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
  viewportLimit = std::min(viewport[0], viewport[1]);
  rendererLimit = std::min({texture, renderBuffer, viewportLimit});
}

bool cOpenGLChildWindow::InitContext() {
  auto surface = std::make_unique<QOffscreenSurface>();
  surface->setFormat(PixelFormat());
  surface->create();
  if (!surface->isValid())
    return false;

  auto context = std::make_unique<QOpenGLContext>();
  context->setFormat(PixelFormat());
  if (!context->create() || context->isOpenGLES() ||
      context->format().profile() == QSurfaceFormat::CoreProfile) {
    return false;
  }
  if (!context->makeCurrent(surface.get()))
    return false;

  memoryDC = std::move(surface);
  glContext = std::move(context);
  ReadLimits();
  return true;
}

void cOpenGLChildWindow::Resize(int x, int y, int w, int h) {
  if (!window && !HasContext())
    return;
  if (window) {
    window->setGeometry(x, y, w, h);
    window->update();
  }
  width = w > 0 ? w : 0;
  height = h > 0 ? h : 0;
  if (width == 0 || height == 0) {
    // A window dragged down to nothing is not an error: keep aspect and
    // viewport and show nothing until the next real size.
    if (MakeCurrent())
      bitmap.reset();
    picture = QImage();
    return;
  }
  if (!MakeCurrent())
    return;
  // The same size again (the pending resize of a first show, say) keeps the
  // bitmap and its picture. A picture beyond the renderer's limit has no
  // bitmap of its size: it is only ever drawn in tiles.
  const bool fits = width <= rendererLimit && height <= rendererLimit;
  if (!fits) {
    bitmap.reset();
    if (picture.size() != QSize(width, height))
      picture = BlackPicture(width, height);
  } else if (!bitmap || bitmap->Size() != QSize(width, height)) {
    bitmap.reset();
    bitmap = std::make_unique<cFrameBuffer>(QSize(width, height));
    picture = BlackPicture(width, height);
  }
  if (bitmap)
    bitmap->Bind();
  aspect = static_cast<double>(width) / height;
  glViewport(0, 0, width, height);
}

Camera cOpenGLChildWindow::ViewCamera() const {
  return {zoom,
          aspect,
          {eye[0], eye[1], eye[2]},
          {centre[0], centre[1], centre[2]},
          {up[0], up[1], up[2]}};
}

void cOpenGLChildWindow::SetCamera(const Camera& camera) {
  zoom = camera.zoom;
  const Vec3* from[3] = {&camera.eye, &camera.centre, &camera.up};
  double* to[3] = {eye, centre, up};
  for (int k = 0; k < 3; ++k) {
    to[k][0] = from[k]->x;
    to[k][1] = from[k]->y;
    to[k][2] = from[k]->z;
  }
}

void AimView(cOpenGLChildWindow& view, long double theta, int height, int zoom) {
  Camera camera = view.ViewCamera();
  camera.Aim(theta, height, zoom);
  view.SetCamera(camera);
}

void cOpenGLChildWindow::BeginFrame() {
  frameStart = std::chrono::steady_clock::now();
  bool current = true;
  if (HasContext()) {
    current = MakeCurrent();
  } else if (QOpenGLContext* other = QOpenGLContext::currentContext()) {
    // Without a context of our own nothing may be drawn into another view's.
    other->doneCurrent();
  }
  if (!current)
    ShowMessageBox(MessageBoxRequest{});
  plan = FramePlan();
  tileIndex = 0;
  if (current && HasContext() && width > 0 && height > 0) {
    const int scale = detail == Detail::kFull ? std::clamp(supersample, 1, 4) : 1;
    const int limit = tileLimit > 0 ? std::min(tileLimit, rendererLimit) : rendererLimit;
    const int viewport =
        projectionLimit > 0 ? std::min(projectionLimit, viewportLimit) : viewportLimit;
    plan = PlanFrame(width, height, scale, std::max(limit, scale), viewport);
    if (plan.Plain() && bitmap) {
      bitmap->Bind();
    } else {
      const QSize tileSize(std::min(plan.width, plan.tiles.front().w),
                           std::min(plan.height, plan.tiles.front().h));
      if (!tileBitmap || tileBitmap->Size() != tileSize) {
        tileBitmap.reset();
        tileBitmap = std::make_unique<cFrameBuffer>(tileSize);
      }
      tileBitmap->Bind();
      if (picture.size() != QSize(width, height) || picture.format() != QImage::Format_RGB32)
        picture = BlackPicture(width, height);
    }
  }
  BeginTile();
}

void cOpenGLChildWindow::BeginTile() {
  const bool tiled = !plan.tiles.empty() && !plan.Plain();
  const Camera camera = ViewCamera();
  double left = -camera.HalfWidth(), right = camera.HalfWidth();
  double bottom = -camera.HalfHeight(), top = camera.HalfHeight();
  if (tiled) {
    const FrameTile& tile = plan.tiles[tileIndex];
    if (plan.ownProjection) {
      // The renderer cannot place a viewport this large: the tile sees its
      // own part of the view.
      const double across = right - left, up = top - bottom;
      right = left + across * (tile.x + tile.w) / plan.width;
      left += across * tile.x / plan.width;
      top = bottom + up * (tile.y + tile.h) / plan.height;
      bottom += up * tile.y / plan.height;
      glViewport(0, 0, tile.w, tile.h);
    } else {
      // The whole frame's viewport, moved so that the tile lies on the frame
      // buffer: each vertex gets the window position it has in one piece.
      glViewport(-tile.x, -tile.y, plan.width, plan.height);
    }
  } else if (bitmap) {
    glViewport(0, 0, width, height);
  }
  glLineWidth(lineWidth * static_cast<float>(plan.scale));

  glClearColor(static_cast<GLfloat>(clearColour[0]), static_cast<GLfloat>(clearColour[1]),
               static_cast<GLfloat>(clearColour[2]), static_cast<GLfloat>(clearColour[3]));
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glClearDepth(1.0);

  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(left, right, bottom, top, Camera::kNear, Camera::kFar);

  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(camera.eye.x, camera.eye.y, camera.eye.z, camera.centre.x, camera.centre.y,
            camera.centre.z, camera.up.x, camera.up.y, camera.up.z);
  glPushMatrix();

  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glDisable(GL_CULL_FACE);
  glShadeModel(GL_SMOOTH);
}

bool cOpenGLChildWindow::NextTile() {
  if (plan.Plain() || tileIndex + 1 >= plan.tiles.size())
    return false;
  glPopMatrix();
  ReadTile();
  ++tileIndex;
  BeginTile();
  return true;
}

void cOpenGLChildWindow::ReadTile() {
  const FrameTile& tile = plan.tiles[tileIndex];
  // A band of rows at a time, so that a poster's tile never needs a copy of
  // itself in memory.
  const int band = std::max(1, (1 << 20) / tile.w / plan.scale) * plan.scale;
  std::vector<unsigned int> rows(static_cast<std::size_t>(tile.w) * std::min(band, tile.h));
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  for (int y = 0; y < tile.h; y += band) {
    const int h = std::min(band, tile.h - y);
    glReadPixels(0, y, tile.w, h, GL_BGRA, GL_UNSIGNED_BYTE, rows.data());
    PlaceTile(plan, {tile.x, tile.y + y, tile.w, h}, rows.data(), picture);
  }
}

void cOpenGLChildWindow::EndFrame() {
  glPopMatrix();
  glFlush();
  // Before the painting over it, which paints some things on full pictures
  // only: a full frame after a preview would otherwise go without them.
  pictureDetail = detail;
  if (!plan.tiles.empty() && IsCurrent()) {
    ReadTile();
    if (!plan.Plain()) {
      if (bitmap)
        bitmap->Bind();
      glViewport(0, 0, width, height);
    }
    if (paintOver)
      paintOver(picture);
  }
  if (detail == Detail::kFull)
    lastFullFrame = std::chrono::steady_clock::now() - frameStart;
  // Whatever its detail, the frame shows every change made before it.
  changed = false;
  if (deferPresent) {
    unshownFrame = true;
    presentTimer.start();
    return;
  }
  unshownFrame = false;
  Present();
}

void cOpenGLChildWindow::Present() {
  ++framesPresented;
  if (pictureDetail == Detail::kPreview)
    ++previewsPresented;
  if (window)
    window->repaint();
  if (rested && AtRest())
    rested();
}

void cOpenGLChildWindow::Draw() {
  BeginFrame();
  EndFrame();
}

bool cOpenGLChildWindow::CopyToClipboard() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard)
    return false;
  clipboard->setImage(FullPicture().copy());
  return true;
}

void cOpenGLChildWindow::Release() {
  // Nothing is left to draw into.
  for (QTimer* timer : {&previewTimer, &settleTimer, &presentTimer})
    timer->stop();
  changed = held = unshownFrame = false;
  if (HasContext()) {
    // The frame buffer objects are GL resources: free them while their
    // context is current, then the context, then the surface.
    MakeCurrent();
    bitmap.reset();
    tileBitmap.reset();
    if (glContext)
      glContext->doneCurrent();
    glContext.reset();
    surfaceless.reset();
  }
  bitmap.reset();
  tileBitmap.reset();
  memoryDC.reset();
  window = nullptr;
}
