#pragma once
// What one redraw of the preview paints, in painting order. The layout fills it;
// a renderer (GDI on Windows, SVG for the console) only plays it back.

#include <string>
#include <variant>
#include <vector>

namespace pendrix {

struct PreviewPoint {
  int x = 0;
  int y = 0;
  bool operator==(const PreviewPoint&) const = default;
};

// Screen rectangle of a window; right and bottom are exclusive.
struct PreviewRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

enum class PreviewFont { Formula, Small };

// Bitmap resources 133, 132 and 130.
enum class PreviewSign { Dot, Minus, Plus };

enum class PreviewPen { Default, Frame };

// One-character text on an opaque background, placed by its top-left corner.
struct TextItem {
  char16_t character = u' ';
  PreviewFont font = PreviewFont::Formula;
  PreviewPoint at;
};

// A sign bitmap copied with a bitwise AND, so white keeps the background.
struct SignItem {
  PreviewSign sign = PreviewSign::Dot;
  PreviewPoint at;
  int width = 0;
  int height = 0;
};

// Drawn like MoveTo/LineTo: the last point itself stays unpainted.
struct PolylineItem {
  std::vector<PreviewPoint> points;
  PreviewPen pen = PreviewPen::Default;
};

using DisplayItem = std::variant<TextItem, SignItem, PolylineItem>;

// Where a laid-out cell ended up; kept for click tests and the renderer's tests.
struct CellBox {
  int column = 0;
  int row = 0;
  int x = 0;
  int y = 0;
  int width = 0;
};

struct Caret {
  int x = 0;
  int top = 0;
  int bottom = 0;
};

struct DisplayList {
  std::vector<DisplayItem> items;
  std::vector<CellBox> cells;
  Caret caret;
  int width = 0;   // of the dialog window, for renderers that need a canvas
  int height = 0;
};

}  // namespace pendrix
