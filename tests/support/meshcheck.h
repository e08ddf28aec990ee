#pragma once
// Reading exported meshes back in the tests, by other means than the
// program's writers.

#include <QString>

// The triangle count a binary STL's header gives, when the file is as long
// as that count says; -1 otherwise.
qint64 StlTriangles(const QString& path);
