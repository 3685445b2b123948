#pragma once
// The host's command bars and their buttons, kept between runs in a text file as
// Word keeps them in its template: every change of a bar or button that is not
// temporary is written at once. A damaged file gives what can be read of it.

#include <string>
#include <vector>

namespace pendrix::wordhost {

struct ButtonData {
  int id = 0;  // the host's own handle, not Office's control id
  int type = 1;
  int controlId = 1;
  std::u16string parameter;
  std::u16string caption;
  std::u16string tag;
  bool enabled = true;
  int style = 0;
  int faceId = 0;
  bool temporary = false;
};

struct BarData {
  int id = 0;
  std::u16string name;
  int position = 0;
  bool visible = false;
  bool temporary = false;
  std::vector<ButtonData> buttons;
};

class CommandBarModel {
 public:
  static constexpr size_t kMaxBars = 64;
  static constexpr size_t kMaxButtons = 64;
  static constexpr size_t kMaxText = 255;

  // An empty file name keeps the bars in memory only.
  explicit CommandBarModel(std::u16string file = {});

  const std::vector<BarData>& bars() const { return bars_; }
  BarData* findBar(const std::u16string& name);
  BarData* bar(int id);
  ButtonData* button(int barId, int buttonId);
  // By caption, else by tag, ignoring case; null when absent.
  ButtonData* findButton(BarData& bar, const std::u16string& captionOrTag);

  // Null when the name is taken, empty or too long, or the bar limit is reached.
  BarData* addBar(const std::u16string& name, int position, bool temporary);
  // `before` is 1-based; 0 adds at the end. Null when out of range or full.
  ButtonData* addButton(int barId, size_t before, int type, int controlId, const std::u16string& parameter,
                        bool temporary);
  bool removeBar(int id);
  bool removeButton(int barId, int buttonId);

  // Writes the file after a change; false when it cannot be written.
  bool save() const;
  std::string serialize() const;
  // Replaces the bars by what the text holds; returns the number of lines skipped.
  size_t parse(const std::string& text);
  size_t skippedLines() const { return skipped_; }

 private:
  std::u16string file_;
  std::vector<BarData> bars_;
  int nextId_ = 1;
  size_t skipped_ = 0;
};

}  // namespace pendrix::wordhost
