#include "view/frameopengl.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QSurfaceFormat>
#include <QWidget>

#include <GL/glu.h>

#include "view/handlerguard.h"
#include "view/messagebox.h"
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
  return InitContext();
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
  return true;
}

void cOpenGLChildWindow::Resize(int x, int y, int w, int h) {
  if (!window && !glContext)
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
    if (glContext && glContext->makeCurrent(memoryDC.get()))
      bitmap.reset();
    picture = QImage();
    return;
  }
  if (!glContext || !glContext->makeCurrent(memoryDC.get()))
    return;
  // The same size again (the pending resize of a first show, say) keeps the
  // bitmap and its picture.
  if (!bitmap || bitmap->size() != QSize(width, height)) {
    bitmap = std::make_unique<QOpenGLFramebufferObject>(
        width, height, QOpenGLFramebufferObject::Depth, GL_TEXTURE_2D, GL_RGB8);
    picture = BlackPicture(width, height);
  }
  bitmap->bind();
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
  if (glContext) {
    current = glContext->makeCurrent(memoryDC.get());
  } else if (QOpenGLContext* other = QOpenGLContext::currentContext()) {
    // Without a context of our own nothing may be drawn into another view's.
    other->doneCurrent();
  }
  if (!current)
    ShowMessageBox(MessageBoxRequest{});
  if (current && glContext && bitmap)
    bitmap->bind();

  glClearColor(static_cast<GLfloat>(clearColour[0]), static_cast<GLfloat>(clearColour[1]),
               static_cast<GLfloat>(clearColour[2]), static_cast<GLfloat>(clearColour[3]));
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glClearDepth(1.0);

  const Camera camera = ViewCamera();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-camera.HalfWidth(), camera.HalfWidth(), -camera.HalfHeight(), camera.HalfHeight(),
          Camera::kNear, Camera::kFar);

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

void cOpenGLChildWindow::EndFrame() {
  glPopMatrix();
  glFlush();
  if (glContext && bitmap && QOpenGLContext::currentContext() == glContext.get()) {
    picture = bitmap->toImage().convertToFormat(QImage::Format_RGB32);
    if (paintOver)
      paintOver(picture);
  }
  pictureDetail = detail;
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
  if (glContext) {
    // The frame buffer object is a GL resource: free it while its context is
    // current, then the context, then the surface.
    glContext->makeCurrent(memoryDC.get());
    bitmap.reset();
    glContext->doneCurrent();
    glContext.reset();
  }
  bitmap.reset();
  memoryDC.reset();
  window = nullptr;
}
