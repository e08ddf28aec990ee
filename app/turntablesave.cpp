#include "app/turntablesave.h"

#include <QAction>
#include <QScopeGuard>
#include <QWidget>

#include "app/barwork.h"
#include "app/framecubiscope.h"
#include "app/loadbar.h"
#include "input/formstatus.h"
#include "scene/finaldetail.h"
#include "view/handlerguard.h"
#include "view/turntablefile.h"

TTurntableSave::TTurntableSave(TFrameCubiscope& frame, TLoadBar& bar, QObject* parent)
    : QObject(parent), frame(frame), bar(bar) {
  action = new QAction(QStringLiteral("Save turntable…"), this);
  connect(action, &QAction::triggered, this, Guarded(this, &TTurntableSave::Save));
}

void TTurntableSave::Save() {
  if (running || !FormStatus)
    return;
  RefuseWhileLoading();
  const std::optional<TTurntableDialog::Choice> choice = Dialog.Execute(frame.window());
  if (!choice)
    return;
  cOpenGLGraph& graph = frame.View();
  cOpenGLGraph_Surface& surface = FormStatus->surface;
  const int theta = frame.ui.ScrollBarTheta->value();
  const int height = frame.ui.ScrollBarHeight->value();
  const int zoom = frame.ui.ScrollBarZoom->value();
  const Camera shown = graph.ViewCamera();

  running = true;
  const auto restore = qScopeGuard([&] {
    running = false;
    graph.SetCamera(shown);
    RunHandler([&graph] { graph.Draw(); });
  });
  TBarWork work(bar);
  WriteTurntable(
      choice->path, choice->frames, theta,
      [&](long double turn) -> const QImage& {
        AimView(graph, turn, height, zoom);
        graph.Draw();
        DrawFinalDetail(graph, surface);
        return graph.Picture();
      },
      // The bar's Cancel and the frame just drawn reach the screen.
      [&work](double done) { return work.Step(done); });
}
