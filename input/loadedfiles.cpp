#include "input/loadedfiles.h"

void cLoadedFiles::Remember(const QString& path, LoadKind kind) {
  (IntoVolume(kind) ? volume : surface) = LoadedFile{path, kind};
}

std::vector<LoadedFile> cLoadedFiles::All() const {
  std::vector<LoadedFile> files;
  for (const std::optional<LoadedFile>& file : {surface, volume}) {
    if (file)
      files.push_back(*file);
  }
  return files;
}

std::vector<LoadedFile> cLoadedFiles::From(const QString& path) const {
  std::vector<LoadedFile> files = All();
  std::erase_if(files, [&path](const LoadedFile& file) { return file.path != path; });
  return files;
}

QStringList cLoadedFiles::Paths() const {
  QStringList paths;
  for (const LoadedFile& file : All()) {
    if (!paths.contains(file.path))
      paths.append(file.path);
  }
  return paths;
}
