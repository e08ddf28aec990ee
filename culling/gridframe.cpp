#include "culling/gridframe.h"

#include <new>
#include <optional>

#include "culling/gridstrips.h"

void GridFrame::Plan(Culling culling) {
  if (drawn != 0) {
    planned.clear();
    plannable = true;
    drawn = 0;
  }
  const std::optional<WindowMapping> mapping = CurrentWindowMapping();
  // Without depth rules no draw hides another's triangles: selecting each
  // on its own takes less memory.
  if (culling != Culling::kHidden || !mapping || mapping->rules != RasterRules::kCoverageAndDepth) {
    plannable = false;
    return;
  }
  try {
    planned.push_back(*mapping);
  } catch (const std::bad_alloc&) {
    plannable = false;
  }
}

std::size_t GridFrame::Draw(const GridRef& grid, Culling culling) {
  const std::optional<WindowMapping> mapping =
      culling != Culling::kNone ? CurrentWindowMapping() : std::nullopt;
  const bool onPlan = mapping && plannable && drawn < planned.size() &&
                      planned[drawn] == *mapping && (drawn == 0 || grid == selected);
  if (!onPlan) {
    planned.clear();
    plannable = true;
    drawn = 0;
  }
  if (!mapping) {
    const std::uint32_t strips = (grid.columns < 2 || grid.rows < 2) ? 0 : grid.rows - 1;
    SendStrips(grid, 0, strips);
    return std::size_t{2} * (grid.columns - 1) * strips;
  }
  if (!onPlan) {
    lone.Select({&*mapping, 1}, grid, culling);
    lone.Send(0);
    return lone.Count(0);
  }
  if (drawn == 0) {
    frame.Select(planned, grid, culling);
    selected = grid;
  }
  frame.Send(drawn);
  return frame.Count(drawn++);
}

void GridFrame::Clear() {
  planned.clear();
  plannable = true;
  drawn = 0;
  frame = CoveringTriangles();
  lone = CoveringTriangles();
}
