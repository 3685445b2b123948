#pragma once
// Plays a preview display list as an SVG picture, for looking at a layout without
// Windows. Text backgrounds and sign shapes are sized from `metrics`.

#include <string>

#include "preview/display_list.h"
#include "preview/preview_metrics.h"

namespace pendrix {

std::string previewSvg(const DisplayList& list, const PreviewMetrics& metrics);

}  // namespace pendrix
