#pragma once
// Point text: the one text form of a point in the point table, three numbers
// as "%lf" prints a double, joined by commas. Written the same whatever the
// process locale: the printf family would follow the locale that the
// application object sets from the environment, and write a comma in
// German, which the table would then split as an item separator.

#include <string>

#include "base/vec3.h"

// v in fixed notation with six digits after the decimal point, correctly
// rounded, "." as decimal point, no grouping, a "-" whenever the sign bit is
// set (-0.000000), and "+INF", "-INF", "+NAN", "-NAN" for the values that are
// not finite. Throws only std::bad_alloc.
std::string NumberToText(double v);

// "x,y,z", each coordinate as NumberToText writes it. Throws only std::bad_alloc.
std::string PointToText(const Vec3& point);
