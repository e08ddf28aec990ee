#include "app/formroot.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLayout>
#include <QMimeData>

#include "formats/webaddress.h"
#include "input/formstatus.h"
#include "objects/contourlines.h"
#include "scene/picking.h"
#include "view/handlerguard.h"

TFormRoot* FormRoot = nullptr;

TFormRoot::TFormRoot(QWidget* parent) : QWidget(parent) {
  ui.setupUi(this);
  move(194, 107);
  setAcceptDrops(true);
  // The main window's keys and menu run the Status window's handlers, as its
  // buttons do; until that window exists they do nothing.
  const auto forward = [this](QAction* action, void (TFormStatus::*handler)()) {
    connect(action, &QAction::triggered, this, [handler] {
      if (FormStatus)
        RunHandler([handler] { (FormStatus->*handler)(); });
    });
  };
  forward(ui.ActionCopy, &TFormStatus::ButtonCopyClick);
  forward(ui.ActionSavePicture, &TFormStatus::SavePictureClick);
  forward(ui.ActionLoad, &TFormStatus::ButtonLoadClick);
  forward(ui.ActionLoadBMP, &TFormStatus::ButtonLoadBMPClick);
  forward(ui.ActionReload, &TFormStatus::ReloadClick);
  forward(ui.ActionOpenAddress, &TFormStatus::OpenAddressClick);
  forward(ui.ActionCancelLoad, &TFormStatus::CancelLoad);
  connect(ui.ActionProfile, &QAction::triggered, this, Guarded(this, &TFormRoot::OpenProfile));
  connect(ui.ActionWatch, &QAction::toggled, this, [](bool on) {
    if (FormStatus)
      RunHandler([on] { FormStatus->SetWatching(on); });
  });
  // Lay the frame out at the window's size now, so that the first picture is
  // drawn at its final size rather than the frame's design size.
  layout()->activate();
  FormCreate();
}

void TFormRoot::FormCreate() {
  TFrameCubiscope& frame = *ui.FrameCubiscope1;
  note = new TTransientNote(&frame);
  loadBar = new TLoadBar(frame.ui.PanelDraw);
  percentiles = std::make_unique<TPercentileCount>(*loadBar, nullptr);
  if (!frame.AttachView())
    return;
  overlays = std::make_unique<cPictureOverlays>(frame.View());
  overlays->font = WindowsFont();
  frame.hover = [this](std::optional<QPointF> at) { overlays->Hover(at); };
  frame.pick = [this](QPointF at) -> std::optional<Vec3> {
    const cOpenGLGraph& graph = ui.FrameCubiscope1->View();
    const Picked picked = PickAt(graph.Geometry(), overlays->surface, overlays->volume, at);
    if (picked.what == Picked::What::kNothing)
      return std::nullopt;
    return picked.point;
  };
  lookMenu = new TLookMenu(this);
  lookMenu->changed = [this](const PictureLook& look) { ShowLook(look); };
  QWidget* picture = frame.View().window;
  picture->setContextMenuPolicy(Qt::ActionsContextMenu);
  turntable = new TTurntableSave(frame, *loadBar, this);
  meshExport = new TMeshExportSave(frame, *loadBar, this);
  picture->addActions({ui.ActionCopy, ui.ActionSavePicture, turntable->action, ui.ActionProfile,
                       meshExport->action, ui.ActionOpenAddress, frame.ui.ActionResetView,
                       ui.ActionWatch});
  picture->addActions(lookMenu->Actions());
}

void TFormRoot::ShowLook(const PictureLook& look) {
  if (!FormStatus || !overlays)
    return;
  overlays->surface = &FormStatus->surface;
  overlays->volume = &FormStatus->volume;
  ApplyLookAgain(look);
  ui.FrameCubiscope1->View().Draw();
  TellContourProblem();
}

void TFormRoot::TellContourProblem() {
  if (!FormStatus || !lookMenu)
    return;
  const PictureLook& look = lookMenu->Look();
  const QString problem = look.contours && look.contourStep > 0.0
                              ? ContourLevelsProblem(FormStatus->surface.values, look.contourStep)
                              : QString();
  if (!problem.isEmpty() && problem != toldContourProblem)
    note->Show(problem);
  toldContourProblem = problem;
}

void TFormRoot::ApplyLookAgain(const PictureLook& look) {
  if (!FormStatus || !overlays)
    return;
  const cOpenGLGraph_Surface& surface = FormStatus->surface;
  PictureLook now = look;
  if (percentiles)
    percentiles->Stop();  // a newer look, or new data
  if (std::shared_ptr<HeightLevels> levels = surface.SharedLevels();
      levels && percentiles && look.colourRange.kind == ColourRange::Kind::kPercentiles &&
      countedStamp != surface.DataStamp()) {
    now.colourRange = ColourRange();
    const std::uint64_t stamp = surface.DataStamp();
    percentiles->Start(std::move(levels), [this, look, now, stamp](bool counted) {
      if (!FormStatus || FormStatus->surface.DataStamp() != stamp)
        return;
      if (counted) {
        countedStamp = stamp;
        ShowLook(look);
      } else if (lookMenu) {
        lookMenu->SetLook(now);  // cancelled: the range shown stays
      }
    });
  }
  const QString told = ApplyLook(now, ui.FrameCubiscope1->View(), FormStatus->surface,
                                 FormStatus->volume, *overlays);
  if (!told.isEmpty())
    note->Show(told);
}

void TFormRoot::OpenProfile() {
  if (!profile)
    profile = std::make_unique<TProfileWindow>(ui.FrameCubiscope1->View());
  profile->Open();
}

void TFormRoot::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  if (event->isAccepted())
    QApplication::quit();
}

namespace {
// The one local file or web address (a link dragged from a browser) a drag
// carries, or an empty string.
QString DroppedFile(const QMimeData* data) {
  if (!data || !data->hasUrls() || data->urls().size() != 1)
    return QString();
  const QUrl url = data->urls().first();
  if (url.isLocalFile())
    return url.toLocalFile();
  const QString address = url.toString(QUrl::FullyEncoded);
  return IsWebAddress(address.toStdString()) ? address : QString();
}
}  // namespace

void TFormRoot::dragEnterEvent(QDragEnterEvent* event) {
  if (FormStatus && !DroppedFile(event->mimeData()).isEmpty())
    event->acceptProposedAction();
}

void TFormRoot::dropEvent(QDropEvent* event) {
  const QString path = DroppedFile(event->mimeData());
  if (!FormStatus || path.isEmpty())
    return;
  event->acceptProposedAction();
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  RunHandler([&] { FormStatus->OpenFile(path, shift); });
}
