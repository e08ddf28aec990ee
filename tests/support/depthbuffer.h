#pragma once
// The depth buffer of a view's last frame, read back for tests only: the
// program itself never reads it.

#include <cstdint>
#include <vector>

class cOpenGLChildWindow;

// Every pixel's depth, row after row from the bottom, as the buffer holds it
// (scaled to 32 bits). Empty when the view has no context or bitmap.
std::vector<std::uint32_t> ReadDepth(cOpenGLChildWindow& view);
