#pragma once
// Writing a turntable's frames: one picture file a frame, or one animated
// WebP holding them all. Nothing appears at the final paths until every
// frame is in, so that a cancelled or failed turntable leaves no part of
// itself behind and the files that were there stay as they were.

#include <functional>
#include <memory>
#include <vector>

#include <QImage>
#include <QString>

class cTurntableFile {
 public:
  // The frames go to pattern: when it ends in ".webp" (any case), one
  // lossless animated WebP, frameMilliseconds per frame, looping; else
  // "{frame}" in it stands for the frame's number, from 1, and each frame is
  // a picture as WritePictureFile writes it. frames >= 1; a picture file
  // pattern holds "{frame}" unless frames is 1.
  cTurntableFile(const QString& pattern, int frames);
  // Removes whatever Commit has not put in place.
  ~cTurntableFile();
  cTurntableFile(const cTurntableFile&) = delete;
  cTurntableFile& operator=(const cTurntableFile&) = delete;

  // Takes the next frame; all frames are of one size. Throws
  // cFileWriteError when its file cannot be written, cOutOfMemory when the
  // animation cannot hold it.
  void Add(const QImage& frame);
  // Puts every frame in place, replacing the files that were at their paths.
  // Throws cFileWriteError (a frame that could not be put in place, and
  // those after it, are left out).
  void Commit();

  // Whether pattern asks for one animated WebP.
  static bool IsAnimation(const QString& pattern);
  // The path of frame (from 1) of a picture file pattern.
  static QString FramePath(const QString& pattern, int frame);

  static constexpr int frameMilliseconds = 100;

 private:
  struct Animation;
  QString pattern;
  int frames;
  int added = 0;
  std::unique_ptr<Animation> animation;  // null for picture files
  // Picture files written so far under temporary names, in frame order.
  std::vector<QString> written;
};

// Draws and writes a turntable of frames pictures (cTurntableFile at
// pattern) that turns once from theta (hundredths of a degree, as the turn
// bar counts), frame k at TurntableTurn(theta, k, frames): frameAt(turn)
// draws the picture at a turn and returns it. After each frame, going(done)
// is told the share done (0 to 1) and returns whether to go on; null: to
// the end. Returns whether the turntable was written; stopped, nothing of it
// is left. Throws what frameAt, cTurntableFile and going throw.
bool WriteTurntable(const QString& pattern, int frames, int theta,
                    const std::function<const QImage&(long double turn)>& frameAt,
                    const std::function<bool(double done)>& going);
