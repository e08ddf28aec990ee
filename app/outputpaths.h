#pragma once
// The paths that `--output PATTERN FILE...` writes: one picture per FILE,
// each at the path PATTERN makes for it.

#include <variant>

#include <QString>
#include <QStringList>

// The path of each picture, or why the command line is wrong.
using OutputPaths = std::variant<QStringList, QString>;

// Replaces, in pattern, "{name}" by the name of each of files without its
// folder and its last suffix ("a/dem.v2.tif" gives "dem.v2"; a name that
// only begins with a dot keeps it) and "{n}" by the file's position, from 1.
// Without files the one picture is the start-up scene's, and pattern is its
// path as it stands. pattern and files are absolute; so are the paths.
//
// Refused, with the reason: a pattern without either placeholder given more
// than one file; a placeholder without any file; two pictures at one path;
// with more than one file, a picture at the path of another of files or of
// coloursFile (may be empty), which the run may read after replacing it.
// Paths are compared as written, after "." and ".." are resolved.
OutputPaths MakeOutputPaths(const QString& pattern, const QStringList& files,
                            const QString& coloursFile);
