#include "app/turntablesave.h"

#include <utility>

#include <QAction>
#include <QCoreApplication>
#include <QScopeGuard>
#include <QWidget>

#include "app/framecubiscope.h"
#include "app/inputhold.h"
#include "app/loadbar.h"
#include "base/errors.h"
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
  if (FormStatus->LoadInBackground())
    throw cError(QStringLiteral("読み込みの途中です。読み込みが終わってから保存してください"));
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
  cancelled = false;
  const TInputHold hold(bar.ui.ButtonCancel, [this] { Cancel(); });
  auto loadCancel = std::exchange(bar.cancel, [this] { Cancel(); });
  const auto restore = qScopeGuard([&] {
    bar.cancel = std::move(loadCancel);
    bar.hide();
    running = false;
    graph.SetCamera(shown);
    RunHandler([&graph] { graph.Draw(); });
  });
  bar.Show(0);
  WriteTurntable(
      choice->path, choice->frames, theta,
      [&](long double turn) -> const QImage& {
        AimView(graph, turn, height, zoom);
        graph.Draw();
        DrawFinalDetail(graph, surface);
        return graph.Picture();
      },
      [this](double done) {
        bar.Show(done);
        // The bar's Cancel and the frame just drawn reach the screen.
        QCoreApplication::processEvents();
        return !cancelled;
      });
}
