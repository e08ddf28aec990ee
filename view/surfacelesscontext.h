#pragma once
// An OpenGL context without any window system: Mesa's EGL on its surfaceless
// platform, a compatibility profile in which the fixed-function pipeline and
// GLU work as in Qt's contexts. Pictures drawn to files need no display with
// it; it has no default frame buffer, so everything is drawn into frame
// buffer objects.

#include <memory>

class cSurfacelessContext {
 public:
  // The context, or null where EGL, its surfaceless platform or a desktop
  // OpenGL context cannot be had.
  static std::unique_ptr<cSurfacelessContext> Create();
  ~cSurfacelessContext();
  cSurfacelessContext(const cSurfacelessContext&) = delete;
  cSurfacelessContext& operator=(const cSurfacelessContext&) = delete;

  bool MakeCurrent();
  bool IsCurrent() const;
  // Leaves no context current on this thread, where this one was.
  void DoneCurrent();

 private:
  cSurfacelessContext(void* display, void* context) : display(display), context(context) {}
  void* display;
  void* context;
};
