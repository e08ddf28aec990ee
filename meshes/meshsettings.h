#pragma once
// How a surface becomes a mesh: the size of a print, its base, the error
// that simplifying may make, a lithophane's thicknesses; and these as the
// command line and the export dialog write them.

#include <optional>

#include <QString>

// A plate whose thickness follows the picture's darkness: thinnest where it
// is white, thickest where it is black, flat at the back; with a frame of
// the thickest thickness around it, frameMm wide (0: none).
struct LithoSettings {
  double thinMm = 0.8;
  double thickMm = 3.0;
  double frameMm = 0.0;
  bool operator==(const LithoSettings&) const = default;
};

struct MeshSettings {
  double sizeMm = 120.0;  // a print's longest side across
  double baseMm = 2.0;    // a print's base below its lowest point
  // The furthest a simplified top may lie from a point of the grid: in
  // millimetres for the print formats, else in the picture's own units.
  // None: the full grid.
  std::optional<double> maxError;
  std::optional<LithoSettings> litho;
  bool operator==(const MeshSettings&) const = default;
};

// A length as "120mm", "12cm", "4.5in" or a plain number of millimetres,
// in millimetres; none for anything else, or a length that is not finite.
// positive: above 0, else at least 0.
std::optional<double> ParseLength(const QString& text, bool positive);
// A lithophane's "THIN,THICK" or "THIN,THICK,FRAME" (lengths as
// ParseLength), 0 < THIN < THICK; none otherwise.
std::optional<LithoSettings> ParseLitho(const QString& text);
// A simplifier's error bound: a length (print formats) or a plain positive
// number (the picture's units); none otherwise.
std::optional<double> ParseMeshError(const QString& text);
