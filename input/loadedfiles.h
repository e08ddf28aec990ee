#pragma once
// What was loaded how: for the surface and for the volume each, the file
// last read into it and the kind of load that read it, whichever way the
// file was named (a loader's dialog, a drop, the command line). Reload (F5)
// and following a file's changes load these again the same way. Kept in
// memory only; nothing is written anywhere.

#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

// How a file was read, which also decides the object it went to: point-grid
// text and height fields to the surface, colour counts to the volume.
enum class LoadKind { kPointGrid, kHeightField, kColourCount };

inline bool IntoVolume(LoadKind kind) {
  return kind == LoadKind::kColourCount;
}

struct LoadedFile {
  QString path;
  LoadKind kind = LoadKind::kPointGrid;
  friend bool operator==(const LoadedFile&, const LoadedFile&) = default;
};

class cLoadedFiles {
 public:
  // The file at path was read as kind: it replaces what its object had.
  void Remember(const QString& path, LoadKind kind);

  // Surface first, then volume; only what was remembered.
  std::vector<LoadedFile> All() const;
  // Those of All read from path.
  std::vector<LoadedFile> From(const QString& path) const;
  // The paths of All, each once.
  QStringList Paths() const;

 private:
  std::optional<LoadedFile> surface, volume;
};
