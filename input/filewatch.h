#pragma once
// cFileWatch: tells when files that another program writes have a new
// version. A program writes a file in a burst (truncate, many writes, close),
// saves by writing a new file and renaming it over the old one, or deletes
// and re-creates it; a version is there once the file has stopped changing
// for the settle delay, and each burst is told once.

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>

class cFileWatch : public QObject {
  Q_OBJECT

 public:
  explicit cFileWatch(QObject* parent = nullptr);

  // Follows exactly paths from now on (none: stops following). A change
  // still waiting to settle is kept for a path followed further.
  void Follow(const QStringList& paths);

  // How long a file must stay unchanged before its new version is told,
  // in milliseconds. A wait under way starts again with the new delay.
  void SetSettleDelay(int milliseconds);
  static constexpr int kSettleDelay = 300;

 signals:
  // The followed files that changed (written, replaced, deleted or
  // re-created) and have stayed unchanged since, each once. A file may be
  // missing or empty by then.
  void Settled(const QStringList& paths);

 private:
  void FileChanged(const QString& path);
  void FolderChanged(const QString& folder);
  // Watches path again when it was replaced: the watcher follows a file,
  // not a name, and drops a file that is deleted or renamed over.
  bool WatchAgain(const QString& path);
  void Changed(const QString& path);
  void Settle();

  QFileSystemWatcher watcher;
  QTimer settle;
  QStringList followed;
  QStringList changed;  // since the last Settled, in the order they came
};
