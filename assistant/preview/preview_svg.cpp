#include "preview/preview_svg.h"

#include <sstream>

#include "session/text_codec.h"

namespace pendrix {

namespace {

constexpr const char* kBackground = "#f0f0f0";
constexpr double kSmallScale = 0.7;

std::string escaped(char16_t c) {
  switch (c) {
    case u'<': return "&lt;";
    case u'>': return "&gt;";
    case u'&': return "&amp;";
    case u' ': return "&#160;";
    default: return toUtf8(std::u16string(1, c));
  }
}

void writeText(std::ostream& svg, const TextItem& item, const PreviewMetrics& metrics) {
  const bool small = item.font == PreviewFont::Small;
  const double height = small ? metrics.height() * kSmallScale : metrics.height();
  const double ascent = small ? (metrics.height() - metrics.descent()) * kSmallScale
                              : metrics.height() - metrics.descent();
  svg << "<rect x=\"" << item.at.x << "\" y=\"" << item.at.y << "\" width=\"" << metrics.advance(item.character, item.font)
      << "\" height=\"" << height << "\" fill=\"" << kBackground << "\"/>";
  if (item.character == u' ') {
    svg << "\n";
    return;
  }
  svg << "<text x=\"" << item.at.x << "\" y=\"" << item.at.y + ascent << "\" font-family=\"Arial, Liberation Sans\""
      << " font-size=\"" << height * 0.9 << "\">" << escaped(item.character) << "</text>\n";
}

void writeSign(std::ostream& svg, const SignItem& item) {
  const double cx = item.at.x + item.width / 2.0;
  const double cy = item.at.y + item.height / 2.0;
  if (item.sign == PreviewSign::Dot) {
    svg << "<circle cx=\"" << cx << "\" cy=\"" << cy << "\" r=\"2\" fill=\"black\"/>\n";
    return;
  }
  svg << "<rect x=\"" << item.at.x + 3 << "\" y=\"" << cy - 0.5 << "\" width=\"" << item.width - 6
      << "\" height=\"1\" fill=\"black\"/>\n";
  if (item.sign == PreviewSign::Plus) {
    svg << "<rect x=\"" << cx - 0.5 << "\" y=\"" << item.at.y + 3 << "\" width=\"1\" height=\"" << item.height - 6
        << "\" fill=\"black\"/>\n";
  }
}

void writePolyline(std::ostream& svg, const PolylineItem& item) {
  svg << "<polyline fill=\"none\" stroke=\"" << (item.pen == PreviewPen::Frame ? "#c0c0c0" : "black")
      << "\" stroke-width=\"1\" points=\"";
  // Half-pixel offsets put the one-pixel strokes on the pixels GDI would paint.
  for (const PreviewPoint& p : item.points) svg << p.x + 0.5 << "," << p.y + 0.5 << " ";
  svg << "\"/>\n";
}

}  // namespace

std::string previewSvg(const DisplayList& list, const PreviewMetrics& metrics) {
  std::ostringstream svg;
  svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << list.width << "\" height=\"" << list.height
      << "\" viewBox=\"0 0 " << list.width << " " << list.height << "\">\n";
  svg << "<rect width=\"100%\" height=\"100%\" fill=\"" << kBackground << "\"/>\n";
  for (const DisplayItem& item : list.items) {
    if (auto* text = std::get_if<TextItem>(&item)) writeText(svg, *text, metrics);
    if (auto* sign = std::get_if<SignItem>(&item)) writeSign(svg, *sign);
    if (auto* polyline = std::get_if<PolylineItem>(&item)) writePolyline(svg, *polyline);
  }
  svg << "</svg>\n";
  return svg.str();
}

}  // namespace pendrix
