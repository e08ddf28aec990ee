#pragma once
// Where a turntable's frames look from: one whole turn about the vertical
// axis through the look-at point, in equal steps, from the turn shown.

#include <cassert>

// The turn of frame (1 to frames) of a turntable that starts at theta, in
// hundredths of a degree as the turn bar counts (Camera::Aim). The step is
// worked out from whole hundredths before anything is divided, so that a
// frame at a whole hundredth is that whole number exactly, and its picture
// the one the bar, or --turn, gives there. Turns are told within -90 to 270
// degrees: a frame whose turn the bar can show then shows it exactly, and
// the others sit on the other side of the bar's range.
inline long double TurntableTurn(int theta, int frame, int frames) {
  assert(frames >= 1 && frame >= 1 && frame <= frames && "turntable frame out of its range");
  constexpr long long kWholeTurn = 36000;
  long double turn =
      theta + static_cast<long double>(static_cast<long long>(frame - 1) * kWholeTurn) / frames;
  // A whole number of turns taken off leaves the fraction exact: both lie
  // far inside a long double's 64 bits.
  while (turn >= 27000)
    turn -= kWholeTurn;
  while (turn < -9000)
    turn += kWholeTurn;
  return turn;
}
