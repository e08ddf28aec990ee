#include "app/meshexportsave.h"

#include <QAction>
#include <QScopeGuard>
#include <QWidget>

#include "app/barwork.h"
#include "app/loadbar.h"
#include "app/meshsource.h"
#include "base/errors.h"
#include "input/formstatus.h"
#include "meshes/meshexport.h"
#include "view/handlerguard.h"

TMeshExportSave::TMeshExportSave(QWidget& owner, TLoadBar& bar, QObject* parent)
    : QObject(parent), owner(owner), bar(bar) {
  action = new QAction(QStringLiteral("Export mesh…"), this);
  connect(action, &QAction::triggered, this, Guarded(this, &TMeshExportSave::Export));
}

void TMeshExportSave::Export() {
  if (running || !FormStatus)
    return;
  RefuseWhileLoading();
  cOpenGLGraph_Surface& surface = FormStatus->surface;
  if (!surface.vertices && !surface.LevelsOfDetail())
    throw cError(
        QStringLiteral("There is no surface to export: load a picture, a raster or a "
                       "point grid first."));
  const std::optional<TMeshExportDialog::Choice> choice = Dialog.Execute(owner.window());
  if (!choice)
    return;
  const std::optional<MeshFormat> format = MeshFormatOf(choice->path);
  if (!format)
    throw cError(QStringLiteral("%1 does not end in .stl, .3mf, .glb or .ply.").arg(choice->path));

  running = true;
  const auto restore = qScopeGuard([this] { running = false; });
  TBarWork work(bar);
  ExportMesh(MeshSourceOf(surface), choice->settings, *format, choice->path,
             [&work](double done) { return work.Step(done); });
}
