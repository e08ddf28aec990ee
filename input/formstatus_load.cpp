// The three load handlers of the Status window and the load of a file named
// elsewhere. Each only asks for the file and starts the load that reads,
// parses or decodes it on a thread of its own (input/loadjob.h); its result
// goes to its plot object with adopt set (input/loadobject.h), the file is
// remembered once read, and the view is redrawn however the load ends, before
// any error reaches the message box.

#include <exception>

#include <QApplication>
#include <QScopeGuard>

#include "formats/measuredheights.h"
#include "formats/rasterlevels.h"
#include "input/decimalsymbol.h"
#include "input/formstatus.h"
#include "input/loadobject.h"
#include "scene/graph.h"
#include "view/handlerguard.h"
#include "view/messagebox.h"

namespace {

// Redraws the view when the load ends, on every way out. While an error is
// on its way to the message box, a failing redraw must not replace it.
class RedrawOnExit {
 public:
  explicit RedrawOnExit(cOpenGLGraph& graph) : graph(graph) {}
  RedrawOnExit(const RedrawOnExit&) = delete;
  RedrawOnExit& operator=(const RedrawOnExit&) = delete;
  ~RedrawOnExit() noexcept(false) {
    if (std::uncaught_exceptions() == pending) {
      graph.Draw();
      return;
    }
    try {
      graph.Draw();
    } catch (...) {
    }
  }

 private:
  cOpenGLGraph& graph;
  const int pending = std::uncaught_exceptions();
};

// While a load is waited for, or handed over and redrawn, no events run; the
// cursor tells why.
class BusyCursor {
 public:
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

std::chrono::milliseconds TFormStatus::defaultBackgroundAfter{300};

bool TFormStatus::ChooseFile() {
  if (OpenDialog.Execute(this))
    return true;
  graph.Draw();
  return false;
}

void TFormStatus::ButtonLoadClick() {
  TableExitFirst();
  if (ChooseFile())
    LoadAs(OpenDialog.FileName, LoadKind::kPointGrid);
}

void TFormStatus::ButtonLoadBMPClick() {
  TableExitFirst();
  OpenDialog.FilterIndex = 3;
  if (ChooseFile())
    LoadAs(OpenDialog.FileName, LoadKind::kHeightField);
}

void TFormStatus::ButtonLoadBMP2Click() {
  TableExitFirst();
  if (ChooseFile())
    LoadAs(OpenDialog.FileName, LoadKind::kColourCount);
}

void TFormStatus::OpenFile(const QString& path, bool colours) {
  const DecimalSeparator separator = RegionalDecimalSeparator();
  Load(path, [path, separator, colours](const ReadNotice& read) {
    return ReadFileByContent(path, separator, colours, read);
  });
}

void TFormStatus::OpenAddressClick() {
  if (const std::optional<QString> address = AddressDialog.Execute(this))
    OpenFile(*address, false);
}

void TFormStatus::LoadAs(const QString& path, LoadKind kind) {
  const DecimalSeparator separator = RegionalDecimalSeparator();
  Load(path, [path, separator, kind](const ReadNotice& read) {
    return ReadFileAs(path, kind, separator, read);
  });
}

void TFormStatus::Remember(const QString& path, LoadKind kind) {
  // Once read, whether or not its data is taken: F5 then tries a broken
  // file again once it has been mended, and a followed file stays followed.
  loaded.Remember(path, kind);
  if (watching)
    watch.Follow(loaded.Paths());
}

void TFormStatus::Load(const QString& path, cLoadJob::Read read) {
  DropBackgroundLoad();
  const BusyCursor busy;
  // One reading thread at a time: Qt's image readers share one allocation
  // limit, which each read sets for itself. A cancelled read stops at its
  // next report: within milliseconds while it reads or decodes, after the
  // pass that builds a height field (about a second for the largest
  // pictures), which has no report inside.
  dropped.clear();
  const std::uint64_t id = ++jobId;
  job = std::make_unique<cLoadJob>(std::move(read), [this, id] {
    QMetaObject::invokeMethod(
        this, [this, id] { LoadThreadEnded(id); }, Qt::QueuedConnection);
  });
  jobPath = path;
  if (job->WaitFor(backgroundAfter)) {
    // A reload that this load replaced leaves the rest of its queue waiting;
    // it goes on afterwards, as after a load in the background.
    const auto resume = qScopeGuard([this] { ResumeReloadsAfterBoxes(); });
    FinishLoad();
    return;
  }
  emit LoadRunning(job->Progress().Fraction());
  progressTimer.start();
}

void TFormStatus::FinishLoad() {
  const BusyCursor busy;  // the hand-over's redraw can take a while
  const bool inBackground = progressTimer.isActive();
  progressTimer.stop();
  cLoadJob::Outcome outcome = job->Take();
  job.reset();
  if (inBackground)
    emit LoadEnded();
  const RedrawOnExit redraw(graph);
  if (outcome.read)
    Remember(jobPath, *outcome.read);
  if (outcome.error)
    std::rethrow_exception(outcome.error);
  const Vec3* before = surface.vertices;
  const HeightLevels* levelsBefore = surface.LevelsOfDetail();
  const std::uint64_t stampBefore = surface.DataStamp();
  HandOver(std::move(outcome.data), surface, volume);
  if (surface.DataStamp() != stampBefore)
    emit DataReplaced();
  ++handOvers;
  if (surface.vertices != before) {
    if (const QString notice = ReducedNotice(surface.values); !notice.isEmpty())
      emit Notice(notice);
  }
  if (HeightLevels* levels = surface.LevelsOfDetail(); levels && levels != levelsBefore)
    levels->SetArrivalNotice([this] { TileCame(); });
  emit Changed();
}

void TFormStatus::TileCame() {
  // The surface's levels, and with them the reading threads, go before this
  // window does.
  if (!tilesCameQueued.exchange(true))
    QMetaObject::invokeMethod(
        this, [this] { TilesCame(); }, Qt::QueuedConnection);
}

void TFormStatus::TilesCame() {
  tilesCameQueued = false;
  HeightLevels* levels = surface.LevelsOfDetail();
  if (!levels)
    return;
  RunHandler([this, levels] {
    if (levels->TakeFailure())
      emit Notice(TileFailureNotice());
    // While the user moves the picture, its next frame takes the tiles.
    if (graph.AtRest())
      graph.Draw();
    emit Changed();
  });
}

void TFormStatus::LoadThreadEnded(std::uint64_t id) {
  // A dropped load's thread has ended: it goes now rather than at the next
  // load, with whatever memory it holds.
  std::erase_if(dropped, [](const std::unique_ptr<cLoadJob>& old) { return old->Ended(); });
  if (!job || id != jobId)
    return;
  // Not in the middle of another handler (ChangeState lets events run) nor
  // under a message box: the hand-over, its redraw and its message come as
  // a load's always come, after the event that was under way.
  if (MessageBoxOpen()) {
    AfterMessageBoxes(this, [this, id] { LoadThreadEnded(id); });
    return;
  }
  if (EventNesting() > 1) {
    QTimer::singleShot(10, this, [this, id] { LoadThreadEnded(id); });
    return;
  }
  RunHandler([this] {
    try {
      FinishLoad();
    } catch (...) {
      ResumeReloadsAfterBoxes();
      throw;
    }
    RunReloads();
  });
}

void TFormStatus::DropBackgroundLoad() {
  if (!job)
    return;
  job->Progress().Cancel();
  dropped.push_back(std::move(job));
  progressTimer.stop();
  emit LoadEnded();
}

void TFormStatus::CancelLoad() {
  if (!job)
    return;
  DropBackgroundLoad();
  reloads.clear();
}
