#pragma once
// What leaves the Profile window: its sections as CSV text and its charts as
// a picture, on the clipboard or in a file.

#include <memory>
#include <string>

#include <QImage>
#include <QString>

class QMimeData;

// Copy's content: the CSV text as plain text and as text/csv, so that an
// editor and a spreadsheet each take it their way, and the charts' picture.
std::unique_ptr<QMimeData> ProfileMimeData(const std::string& csv, const QImage& charts);

// Writes text to path as it stands. The file appears whole or not at all,
// as a picture does (picturefile.h): the file that was there stays until
// everything is written. Throws cFileWriteError(path, reason).
void WriteTextFile(const std::string& text, const QString& path);
