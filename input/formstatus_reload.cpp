// Reload (F5) and following the files' changes: the remembered files
// (input/loadedfiles.h) loaded again the way they were loaded first, one
// after another, each failure in its own message box.

#include <algorithm>

#include <QFileInfo>
#include <QTimer>

#include "input/formstatus.h"
#include "view/handlerguard.h"
#include "view/messagebox.h"

void TFormStatus::ReloadClick() {
  QueueReloads(loaded.All(), false);
}

void TFormStatus::SetWatching(bool on) {
  watching = on;
  watch.Follow(on ? loaded.Paths() : QStringList());
  if (!on)
    std::erase_if(reloads, [](const PendingReload& reload) { return reload.watched; });
}

void TFormStatus::FilesSettled(const QStringList& paths) {
  std::vector<LoadedFile> files;
  for (const QString& path : paths) {
    for (const LoadedFile& file : loaded.From(path))
      files.push_back(file);
  }
  QueueReloads(files, true);
}

void TFormStatus::QueueReloads(const std::vector<LoadedFile>& files, bool watched) {
  for (const LoadedFile& file : files) {
    // At most one load waits for each object: the newest says how.
    std::erase_if(reloads, [&file](const PendingReload& reload) {
      return IntoVolume(reload.file.kind) == IntoVolume(file.kind);
    });
    reloads.push_back({file, watched});
  }
  RunReloads();
}

void TFormStatus::RunReloads() {
  // One at a time: what a load in the background leaves waiting runs once it
  // has been handed over (LoadThreadEnded).
  while (!reloads.empty() && !job) {
    // No box on top of a box: what comes while one is open waits for it.
    if (MessageBoxOpen()) {
      ResumeReloadsAfterBoxes();
      return;
    }
    // Nor in the middle of a handler that lets events run (a turntable
    // drawing its frames), whose data must stay until it ends.
    if (EventNesting() > 1) {
      QTimer::singleShot(10, this, [this] { RunHandler([this] { RunReloads(); }); });
      return;
    }
    const PendingReload next = reloads.front();
    reloads.erase(reloads.begin());
    // A program that truncates its file and then writes it leaves it empty
    // for a moment, and one that replaces it leaves it missing; the version
    // it is writing is told again once written.
    if (next.watched && QFileInfo(next.file.path).size() == 0)
      continue;
    // A load that came while this one waited has replaced its file.
    if (!std::ranges::count(loaded.All(), next.file))
      continue;
    try {
      LoadAs(next.file.path, next.file.kind);
    } catch (...) {
      // The error ends this event and is shown after it; the rest follow
      // once its box has been closed.
      ResumeReloadsAfterBoxes();
      throw;
    }
  }
}

void TFormStatus::ResumeReloadsAfterBoxes() {
  if (reloads.empty() || resumePending)
    return;
  resumePending = true;
  AfterMessageBoxes(this, [this] {
    resumePending = false;
    RunHandler([this] { RunReloads(); });
  });
}
