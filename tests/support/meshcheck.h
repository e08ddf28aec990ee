#pragma once
// Reading exported meshes back in the tests, by other programs than ours:
// admesh for STL, assimp for glTF and PLY, unzip for 3MF's model, and a
// binary STL's own header.

#include <array>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

// Runs a program to its end and returns what it printed on standard output;
// a failure to run or a status other than 0 fails the test.
QByteArray RunTool(const QString& program, const QStringList& arguments);
// The whole file.
QByteArray Bytes(const QString& path);
// The first number after label (and ":" or "=") in a program's report.
double Reported(const QByteArray& report, const QString& label);

// A mesh as assimp's XML dump gives it.
struct Dumped {
  int meshes = 0;
  std::vector<std::array<int, 3>> faces;
  std::vector<std::array<double, 4>> positions, normals, colours;
};
Dumped AssimpDump(const QString& path);

// A 3MF's model part: its unit, vertices, triangles (with their corners'
// colours where given) and its colour groups.
struct ThreeMfModel {
  QString unit;
  std::vector<std::array<double, 3>> vertices;
  std::vector<std::array<int, 3>> triangles;
  std::vector<std::array<QString, 3>> cornerColours;
};
ThreeMfModel ReadThreeMf(const QString& path);

// The triangle count a binary STL's header gives, when the file is as long
// as that count says; -1 otherwise.
qint64 StlTriangles(const QString& path);
