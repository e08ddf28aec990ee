#include "app/windows.h"

Windows::~Windows() {
  if (root && FormRoot == root.get())
    FormRoot = nullptr;
  root.reset();
  if (status && FormStatus == status.get())
    FormStatus = nullptr;
  status.reset();
}

void ConnectNotes(TFormRoot& root, TFormStatus& status) {
  QObject::connect(&status, &TFormStatus::Notice, root.note, &TTransientNote::Show);
  QObject::connect(&status, &TFormStatus::Changed, &root, &TFormRoot::TellContourProblem);
  // A colour range of percentiles belongs to the data it was counted over.
  QObject::connect(&status, &TFormStatus::DataReplaced, &root, [&root] {
    if (root.lookMenu)
      root.ApplyLookAgain(root.lookMenu->Look());
  });
  if (!root.loadBar)
    return;
  QObject::connect(&status, &TFormStatus::LoadRunning, root.loadBar, &TLoadBar::Show);
  QObject::connect(&status, &TFormStatus::LoadEnded, root.loadBar, &QWidget::hide);
  root.loadBar->cancel = [&status] { status.CancelLoad(); };
}

Windows OpenWindows() {
  Windows windows;
  windows.root = std::make_unique<TFormRoot>();
  FormRoot = windows.root.get();
  windows.root->show();
  cOpenGLGraph& graph = windows.root->ui.FrameCubiscope1->View();
  windows.status = std::make_unique<TFormStatus>(graph);
  FormStatus = windows.status.get();
  ConnectNotes(*windows.root, *windows.status);
  if (windows.root->overlays) {
    windows.root->overlays->surface = &windows.status->surface;
    windows.root->overlays->volume = &windows.status->volume;
  }
  windows.status->show();
  // The Status window's objects joined the view after its first picture.
  graph.Draw();
  return windows;
}
