// The rectangles of a present as the region Qt repaints.
#pragma once

#include <QRect>
#include <QRegion>
#include <span>
#include <vector>

#include "scene/surface.h"

namespace marulex::qt {

// Sets `region` to the union of `rectangles`. Rows of disjoint rectangles sorted from the top (as
// the animation reports them) are handed to Qt as they are, which is far cheaper than uniting
// them one by one; any other list is united. `scratch` keeps its memory from call to call.
void SetPresentRegion(std::span<const Rect> rectangles, std::vector<QRect>& scratch,
                      QRegion& region);

}  // namespace marulex::qt
