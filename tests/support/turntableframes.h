#pragma once
// A turntable's frames as a reader of its files sees them: the pictures at
// each frame's path, or the frames of one animated WebP (through Qt's image
// plugins, not the writer's library). Opaque RGB32, in frame order; fewer
// than frames when a file is missing or the animation holds fewer.

#include <vector>

#include <QImage>
#include <QString>

std::vector<QImage> ReadTurntableFrames(const QString& pattern, int frames);
