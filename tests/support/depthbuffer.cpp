#include "support/depthbuffer.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>

#include <GL/gl.h>

#include "view/framebuffer.h"
#include "view/frameopengl.h"

std::vector<std::uint32_t> ReadDepth(cOpenGLChildWindow& view) {
  if (!view.glContext || !view.bitmap || !view.glContext->makeCurrent(view.memoryDC.get()))
    return {};
  view.bitmap->Bind();
  std::vector<std::uint32_t> depth(static_cast<std::size_t>(view.width) * view.height);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, view.width, view.height, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, depth.data());
  return depth;
}
