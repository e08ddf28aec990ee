#include "app/formroot.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLayout>
#include <QMimeData>

#include "input/formstatus.h"
#include "view/handlerguard.h"

TFormRoot* FormRoot = nullptr;

TFormRoot::TFormRoot(QWidget* parent) : QWidget(parent) {
  ui.setupUi(this);
  move(194, 107);
  setAcceptDrops(true);
  // Lay the frame out at the window's size now, so that the first picture is
  // drawn at its final size rather than the frame's design size.
  layout()->activate();
  FormCreate();
}

void TFormRoot::FormCreate() {
  ui.FrameCubiscope1->AttachView();
}

void TFormRoot::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  if (event->isAccepted())
    QApplication::quit();
}

namespace {
// The one local file a drag carries, or an empty string.
QString DroppedFile(const QMimeData* data) {
  if (!data || !data->hasUrls() || data->urls().size() != 1)
    return QString();
  const QUrl url = data->urls().first();
  return url.isLocalFile() ? url.toLocalFile() : QString();
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
