// pendrix-cli preview: the typeset preview of KEYS as an SVG picture, laid out with
// the fixed metrics model of FixedPreviewMetrics in a fixed dialog geometry.

#include <fstream>
#include <ostream>
#include <string>

#include "cli_common.h"
#include "commands.h"
#include "formula/formula_grid.h"
#include "preview/preview_layout.h"
#include "preview/preview_svg.h"

namespace pendrix::cli {

namespace {

// A dialog of 470 x 120 pixels whose preview control stands at (8, 24), 438 x 72.
constexpr PreviewArea kArea{{8, 24, 446, 96}, {0, 0, 470, 120}};

struct PreviewArgs {
  Args formula;
  std::string svgPath;
  bool hasClick = false;
  int clickX = -1;
  int clickY = 0;
};

bool parseClick(const std::string& text, PreviewArgs& out) {
  const size_t comma = text.find(',');
  if (comma == std::string::npos) return false;
  try {
    size_t used = 0;
    out.clickX = std::stoi(text.substr(0, comma), &used);
    if (used != comma) return false;
    const std::string y = text.substr(comma + 1);
    out.clickY = std::stoi(y, &used);
    if (used != y.size()) return false;
  } catch (const std::exception&) {
    return false;
  }
  out.hasClick = true;
  return true;
}

bool parsePreviewArgs(const Args& args, PreviewArgs& out, std::ostream& err) {
  for (size_t i = 0; i < args.size(); ++i) {
    const bool hasValue = i + 1 < args.size();
    if (args[i] == "--svg" && hasValue) {
      out.svgPath = args[++i];
    } else if (args[i] == "--click" && hasValue) {
      if (!parseClick(args[++i], out)) {
        err << "preview: --click wants X,Y in window pixels\n";
        return false;
      }
    } else {
      out.formula.push_back(args[i]);
    }
  }
  if (out.svgPath.empty()) err << "preview: --svg FILE is required\n";
  return !out.svgPath.empty();
}

}  // namespace

int runPreview(const Args& args, std::ostream& out, std::ostream& err) {
  PreviewArgs parsed;
  if (!parsePreviewArgs(args, parsed, err)) return 2;
  FormulaArgs formula;
  if (!parseFormulaArgs(parsed.formula, formula, err)) return 2;
  FormulaGrid grid;
  SilentNotifier yes(true);
  RecordingSolutionDisplay display;
  if (!typeKeys(formula.keys, grid, formula.settings, yes, display, err)) return 2;

  const FixedPreviewMetrics metrics;
  PreviewLayout layout;
  // The dialog has always painted once before a click reaches it.
  DisplayList list = layout.redraw(grid, kArea, metrics);
  if (parsed.hasClick) {
    layout.setClick(grid, parsed.clickX, parsed.clickY);
    list = layout.redraw(grid, kArea, metrics);
  }
  std::ofstream file(parsed.svgPath, std::ios::binary);
  file << previewSvg(list, metrics);
  if (!file) {
    err << "preview: cannot write " << parsed.svgPath << "\n";
    return 1;
  }
  out << "cursor=" << grid.cursorRow() << " " << grid.cursorColumn() << "\n";
  out << "caret=" << list.caret.x << " " << list.caret.top << " " << list.caret.bottom << "\n";
  return 0;
}

}  // namespace pendrix::cli
