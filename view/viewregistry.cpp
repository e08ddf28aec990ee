#include "view/viewregistry.h"

#include <iterator>

std::map<const QWidget*, cOpenGLChildWindow*>& ViewRegistry::Entries() {
  static std::map<const QWidget*, cOpenGLChildWindow*> entries;
  return entries;
}

bool ViewRegistry::Insert(const QWidget* window, cOpenGLChildWindow* view) {
  return Entries().emplace(window, view).second;
}

cOpenGLChildWindow* ViewRegistry::Find(const QWidget* window) {
  const auto it = Entries().find(window);
  return it == Entries().end() ? nullptr : it->second;
}

void ViewRegistry::Remove(const QWidget* window) {
  Entries().erase(window);
}

void ViewRegistry::RemoveView(const cOpenGLChildWindow* view) {
  std::erase_if(Entries(), [view](const auto& entry) { return entry.second == view; });
}

std::size_t ViewRegistry::Size() {
  return Entries().size();
}
