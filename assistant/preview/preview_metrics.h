#pragma once
// Text and bitmap measures the preview layout needs, in pixels.

#include "preview/display_list.h"

namespace pendrix {

struct SignSize {
  int width = 0;
  int height = 0;
};

class PreviewMetrics {
 public:
  virtual ~PreviewMetrics() = default;
  virtual int height() const = 0;   // of the formula font
  virtual int descent() const = 0;  // of the formula font
  virtual int advance(char16_t c, PreviewFont font) const = 0;
  virtual SignSize signSize(PreviewSign sign) const = 0;
};

// A fixed model for drawing without Windows: formula font 18 high with descent 4,
// every character 9 wide (a blank 5); small font every character 6 wide (a blank 3);
// the dot sign 15 x 15, the minus and plus signs 16 x 16.
class FixedPreviewMetrics : public PreviewMetrics {
 public:
  static constexpr int kHeight = 18;
  static constexpr int kDescent = 4;
  int height() const override { return kHeight; }
  int descent() const override { return kDescent; }
  int advance(char16_t c, PreviewFont font) const override;
  SignSize signSize(PreviewSign sign) const override;
};

}  // namespace pendrix
