#include "view/surfacelesscontext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstring>

namespace {

bool HasExtension(const char* list, const char* name) {
  if (!list)
    return false;
  const std::size_t length = std::strlen(name);
  for (const char* at = std::strstr(list, name); at; at = std::strstr(at + 1, name)) {
    const bool starts = at == list || at[-1] == ' ';
    const bool ends = at[length] == '\0' || at[length] == ' ';
    if (starts && ends)
      return true;
  }
  return false;
}

}  // namespace

std::unique_ptr<cSurfacelessContext> cSurfacelessContext::Create() {
  const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  if (!HasExtension(clientExtensions, "EGL_MESA_platform_surfaceless"))
    return nullptr;
  const auto getDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (!getDisplay)
    return nullptr;
  EGLDisplay display = getDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr))
    return nullptr;
  // No surface, hence no configuration: the context draws into frame buffer
  // objects only.
  const bool usable =
      HasExtension(eglQueryString(display, EGL_EXTENSIONS), "EGL_KHR_no_config_context") &&
      HasExtension(eglQueryString(display, EGL_EXTENSIONS), "EGL_KHR_surfaceless_context") &&
      eglBindAPI(EGL_OPENGL_API);
  const EGLint attributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                               EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
  EGLContext context =
      usable ? eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes)
             : EGL_NO_CONTEXT;
  if (context == EGL_NO_CONTEXT) {
    eglTerminate(display);
    return nullptr;
  }
  return std::unique_ptr<cSurfacelessContext>(new cSurfacelessContext(display, context));
}

cSurfacelessContext::~cSurfacelessContext() {
  DoneCurrent();
  eglDestroyContext(display, context);
  eglTerminate(display);
}

bool cSurfacelessContext::MakeCurrent() {
  return eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context);
}

bool cSurfacelessContext::IsCurrent() const {
  return eglGetCurrentContext() == context;
}

void cSurfacelessContext::DoneCurrent() {
  if (IsCurrent())
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}
