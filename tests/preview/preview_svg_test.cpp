// The SVG player: every display item becomes one picture element.
#include <gtest/gtest.h>

#include "preview/preview_svg.h"

namespace pendrix {
namespace {

size_t count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(PreviewSvg, PlaysEveryItemKind) {
  DisplayList list;
  list.width = 200;
  list.height = 80;
  list.items = {TextItem{u'<', PreviewFont::Formula, {10, 20}},
                TextItem{u'3', PreviewFont::Small, {30, 20}},
                TextItem{u' ', PreviewFont::Formula, {40, 20}},
                SignItem{PreviewSign::Dot, {50, 20}, 15, 15},
                SignItem{PreviewSign::Plus, {70, 20}, 16, 16},
                SignItem{PreviewSign::Minus, {90, 20}, 16, 16},
                PolylineItem{{{1, 2}, {3, 4}, {5, 6}}, PreviewPen::Default},
                PolylineItem{{{0, 0}, {9, 0}}, PreviewPen::Frame}};
  const FixedPreviewMetrics metrics;
  const std::string svg = previewSvg(list, metrics);
  EXPECT_NE(svg.find("width=\"200\" height=\"80\""), std::string::npos);
  EXPECT_EQ(count(svg, "<text"), 2u);  // a blank only erases
  EXPECT_NE(svg.find(">&lt;</text>"), std::string::npos);
  // Baselines: formula ascent 14, small ascent 0.7 * 14.
  EXPECT_NE(svg.find("<text x=\"10\" y=\"34\""), std::string::npos);
  EXPECT_NE(svg.find("<text x=\"30\" y=\"29.8\""), std::string::npos);
  EXPECT_EQ(count(svg, "<circle"), 1u);
  EXPECT_NE(svg.find("points=\"1.5,2.5 3.5,4.5 5.5,6.5 \""), std::string::npos);
  EXPECT_EQ(count(svg, "stroke=\"#c0c0c0\""), 1u);
  EXPECT_EQ(count(svg, "stroke=\"black\""), 1u);
  EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
}

}  // namespace
}  // namespace pendrix
