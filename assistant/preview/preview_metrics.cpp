#include "preview/preview_metrics.h"

namespace pendrix {

int FixedPreviewMetrics::advance(char16_t c, PreviewFont font) const {
  if (font == PreviewFont::Small) return c == u' ' ? 3 : 6;
  return c == u' ' ? 5 : 9;
}

SignSize FixedPreviewMetrics::signSize(PreviewSign sign) const {
  return sign == PreviewSign::Dot ? SignSize{15, 15} : SignSize{16, 16};
}

}  // namespace pendrix
