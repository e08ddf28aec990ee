#pragma once
// The files of the soak's loads and saves, made in its own folder: point-grid
// texts, bitmaps of every kind our decoder reads, pictures of the other
// formats through Qt's writers, measured rasters through GDAL's, and broken
// ones (cut at random, bytes
// changed, random bytes behind a format's magic, hostile headers, empty),
// besides names that do not exist and folders. What a load must make of a
// file is not decided here but by the readers (see expect.h): a generated
// file need not know whether it is valid.

#include <string>
#include <vector>

#include <QString>

#include "random.h"

struct SoakFile {
  QString path;
  std::string what;  // kind and size, for the action's description
};

// Where Save picture is sent: a file it can write, or a path it must refuse.
struct SaveTarget {
  QString path;
  bool writable;
  std::string what;
};

// Writes bytes as the whole file at path, in place, as most programs save.
void WriteFile(const QString& path, const std::vector<unsigned char>& bytes);

class SoakFiles {
 public:
  // folder: an empty folder that outlives this object.
  SoakFiles(SoakRandom& random, QString folder);

  // A file to load: mostly a new one of a random kind, sometimes one made
  // before, a name that does not exist or a folder. Only the last few files
  // are kept on disk: those that drop out are removed by RemoveRetired, at
  // the start of the next step.
  SoakFile Any();
  void RemoveRetired();

  SaveTarget AnySaveTarget();
  // Where Save turntable is sent: an animated WebP or PNG frames in the
  // folder, or into a folder that does not exist.
  SaveTarget AnyTurntableTarget();
  // Where Export mesh… is sent: a file of each format in the folder, or into
  // a folder that does not exist.
  SaveTarget AnyMeshTarget();
  // The folder the files are kept in.
  const QString& Folder() const { return folder; }

  // The bytes of a new file of a random kind (as Any makes them), with its
  // description.
  std::vector<unsigned char> AnyContents(std::string& what);
  // Writes bytes to a scratch file of its own, whose name no load uses, and
  // answers its path.
  QString Scratch(const std::vector<unsigned char>& bytes);
  // A new file for a web server: a GeoTIFF as Any makes them, or a bitmap;
  // geoTiff asks for the former and tells which it is (a bitmap when GDAL
  // would not write the raster). Its name is handed to no other action, so
  // that nothing writes to the file while it is served.
  SoakFile ToServe(bool& geoTiff);

 private:
  // The bytes of a new file of a random kind, with its description and the
  // name's usual extension.
  std::vector<unsigned char> Contents(std::string& what, const char*& extension);
  std::vector<unsigned char> PointGridText(std::string& what);
  std::vector<unsigned char> Bitmap(std::string& what);
  std::vector<unsigned char> OtherPicture(std::string& what, const char*& extension);
  // geoTiff: a georeferenced GeoTIFF, never the ASCII grid nor a mosaic.
  std::vector<unsigned char> Raster(std::string& what, const char*& extension,
                                    bool geoTiff = false);
  std::vector<unsigned char> HostileHeader(std::string& what, const char*& extension);
  std::vector<unsigned char> RandomBytes(std::string& what);
  QString NewName(const char* extension);
  SoakFile Keep(const QString& path, std::string what);

  SoakRandom& random;
  QString folder;
  std::vector<SoakFile> kept;  // oldest first
  std::vector<QString> retired;
  int made = 0;
};
