#pragma once
// Writing the picture to an image file: what Save picture and the command
// line's --output put on disk.

#include <QImage>
#include <QString>

// Writes picture to path as PNG, or as JPEG or BMP when the name ends in
// ".jpg", ".jpeg" or ".bmp" (any case). The file appears whole or not at all:
// the image goes to a temporary file in the same folder, which replaces path
// only once everything is written, so that a full disk or a failed encoder
// never leaves half a picture, nor destroys the file that was there.
// Throws cFileWriteError(path, reason) when the file cannot be written.
void WritePictureFile(const QImage& picture, const QString& path);
// The same, its errors naming shownPath: for a file written under a
// temporary name that is renamed to shownPath later.
void WritePictureFile(const QImage& picture, const QString& path, const QString& shownPath);
