#pragma once
// Process-wide map from a GL child window to the view that draws into it. The
// child window's paint and destroy handling find their view here. Map entries
// never own anything. GUI thread only.

#include <cstddef>
#include <map>

class QWidget;
class cOpenGLChildWindow;

class ViewRegistry {
 public:
  // Enters window -> view. An existing entry for the same window is kept and
  // false is returned.
  static bool Insert(const QWidget* window, cOpenGLChildWindow* view);
  // The view registered for window, or null.
  static cOpenGLChildWindow* Find(const QWidget* window);
  // Removes the entry of window, if any.
  static void Remove(const QWidget* window);
  // Removes every entry that points at view (used when a view dies before its
  // child window does).
  static void RemoveView(const cOpenGLChildWindow* view);
  static std::size_t Size();

 private:
  static std::map<const QWidget*, cOpenGLChildWindow*>& Entries();
};
