#pragma once
// A grid's plain drawing: one triangle strip between each pair of neighbouring
// rows, each point's z also its 1-D texture coordinate.

#include <cstdint>

#include "base/vec3.h"

// Sends strips first ... end - 1 of the grid whose rows hold columns points
// each (point (r, i) at points[r * columns + i]); strip s joins rows s and
// s + 1. Needs a current context.
void SendStrips(const Vec3* points, std::uint32_t columns, std::uint32_t first, std::uint32_t end);
