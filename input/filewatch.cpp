#include "input/filewatch.h"

#include <utility>

#include <QFileInfo>

#include "formats/webaddress.h"

namespace {
QString FolderOf(const QString& path) {
  return QFileInfo(path).absolutePath();
}
}  // namespace

cFileWatch::cFileWatch(QObject* parent) : QObject(parent), watcher(this), settle(this) {
  settle.setSingleShot(true);
  settle.setInterval(kSettleDelay);
  connect(&watcher, &QFileSystemWatcher::fileChanged, this, &cFileWatch::FileChanged);
  connect(&watcher, &QFileSystemWatcher::directoryChanged, this, &cFileWatch::FolderChanged);
  connect(&settle, &QTimer::timeout, this, &cFileWatch::Settle);
}

void cFileWatch::Follow(const QStringList& paths) {
  if (paths == followed)
    return;
  followed = paths;
  changed.removeIf([this](const QString& path) { return !followed.contains(path); });
  if (changed.isEmpty())
    settle.stop();
  // The folders too: a file deleted and written anew is no longer watched,
  // and only its folder tells when it is back.
  // A raster on a web server tells nobody when it changes.
  followed.removeIf([](const QString& path) { return IsWebAddress(path.toStdString()); });
  QStringList wanted = followed;
  for (const QString& path : followed) {
    if (!wanted.contains(FolderOf(path)))
      wanted.append(FolderOf(path));
  }
  for (const QString& path : watcher.files() + watcher.directories()) {
    if (!wanted.contains(path))
      watcher.removePath(path);
  }
  for (const QString& path : wanted) {
    // A missing file is picked up by its folder once it is there.
    if (!watcher.files().contains(path) && !watcher.directories().contains(path))
      watcher.addPath(path);
  }
}

void cFileWatch::SetSettleDelay(int milliseconds) {
  settle.setInterval(milliseconds);
}

void cFileWatch::FileChanged(const QString& path) {
  if (!followed.contains(path))
    return;
  WatchAgain(path);
  Changed(path);
}

void cFileWatch::FolderChanged(const QString& folder) {
  for (const QString& path : followed) {
    if (FolderOf(path) == folder && !watcher.files().contains(path) && WatchAgain(path))
      Changed(path);
  }
}

bool cFileWatch::WatchAgain(const QString& path) {
  // Renamed over while the writer still held the old file open, the name
  // may now be another file than the one watched: watch it afresh whatever
  // happened. A change that comes in between is this burst's anyway.
  watcher.removePath(path);
  return QFileInfo::exists(path) && watcher.addPath(path);
}

void cFileWatch::Changed(const QString& path) {
  if (!changed.contains(path))
    changed.append(path);
  settle.start();
}

void cFileWatch::Settle() {
  if (!changed.isEmpty())
    emit Settled(std::exchange(changed, {}));
}
