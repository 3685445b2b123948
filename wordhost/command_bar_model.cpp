#include "wordhost/command_bar_model.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "session/text_codec.h"
#include "wordhost/text_util.h"

namespace pendrix::wordhost {
namespace {

// One record a line: "bar" or "button", then key=value fields separated by tabs.
// Tabs, line breaks and backslashes inside values are escaped.
std::string escape(const std::u16string& text) {
  std::string out;
  for (char ch : toUtf8(text)) {
    switch (ch) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += ch;
    }
  }
  return out;
}

std::u16string unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char next = text[++i];
    out += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
  }
  std::u16string result = fromUtf8(out);
  if (result.size() > CommandBarModel::kMaxText) result.resize(CommandBarModel::kMaxText);
  return result;
}

struct Record {
  std::string kind;
  std::vector<std::pair<std::string, std::string>> fields;
  const std::string* find(const char* key) const {
    for (const auto& [k, v] : fields)
      if (k == key) return &v;
    return nullptr;
  }
};

Record split(const std::string& line) {
  Record record;
  std::istringstream in(line);
  std::string part;
  bool first = true;
  while (std::getline(in, part, '\t')) {
    if (first) {
      record.kind = part;
      first = false;
      continue;
    }
    const size_t eq = part.find('=');
    if (eq != std::string::npos) record.fields.emplace_back(part.substr(0, eq), part.substr(eq + 1));
  }
  return record;
}

void readInt(const Record& record, const char* key, int& out) {
  if (const std::string* v = record.find(key)) {
    int value = 0;
    const auto [end, ec] = std::from_chars(v->data(), v->data() + v->size(), value);
    if (ec == std::errc() && end == v->data() + v->size()) out = value;
  }
}

void readBool(const Record& record, const char* key, bool& out) {
  if (const std::string* v = record.find(key)) out = *v == "1";
}

void readText(const Record& record, const char* key, std::u16string& out) {
  if (const std::string* v = record.find(key)) out = unescape(*v);
}

std::string field(const char* key, const std::u16string& value) { return std::string("\t") + key + "=" + escape(value); }
std::string field(const char* key, int value) { return std::string("\t") + key + "=" + std::to_string(value); }

}  // namespace

CommandBarModel::CommandBarModel(std::u16string file) : file_(std::move(file)) {
  if (file_.empty()) return;
  std::error_code ec;
  const std::filesystem::path path(file_);
  if (!std::filesystem::is_regular_file(path, ec)) return;
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  parse(text.str());
}

BarData* CommandBarModel::findBar(const std::u16string& name) {
  for (BarData& b : bars_)
    if (equalsIgnoringCase(b.name, name)) return &b;
  return nullptr;
}

BarData* CommandBarModel::bar(int id) {
  for (BarData& b : bars_)
    if (b.id == id) return &b;
  return nullptr;
}

ButtonData* CommandBarModel::button(int barId, int buttonId) {
  BarData* b = bar(barId);
  if (!b) return nullptr;
  for (ButtonData& button : b->buttons)
    if (button.id == buttonId) return &button;
  return nullptr;
}

ButtonData* CommandBarModel::findButton(BarData& bar, const std::u16string& captionOrTag) {
  for (ButtonData& button : bar.buttons)
    if (equalsIgnoringCase(button.caption, captionOrTag)) return &button;
  for (ButtonData& button : bar.buttons)
    if (!button.tag.empty() && equalsIgnoringCase(button.tag, captionOrTag)) return &button;
  return nullptr;
}

BarData* CommandBarModel::addBar(const std::u16string& name, int position, bool temporary) {
  if (name.empty() || name.size() > kMaxText || findBar(name) || bars_.size() >= kMaxBars) return nullptr;
  BarData b;
  b.id = nextId_++;
  b.name = name;
  b.position = position;
  b.temporary = temporary;
  bars_.push_back(std::move(b));
  return &bars_.back();
}

ButtonData* CommandBarModel::addButton(int barId, size_t before, int type, int controlId,
                                       const std::u16string& parameter, bool temporary) {
  BarData* b = bar(barId);
  if (!b || b->buttons.size() >= kMaxButtons || before > b->buttons.size() + 1) return nullptr;
  ButtonData button;
  button.id = nextId_++;
  button.type = type;
  button.controlId = controlId;
  button.parameter = parameter.substr(0, kMaxText);
  button.temporary = temporary || b->temporary;
  const size_t at = before == 0 ? b->buttons.size() : before - 1;
  return &*b->buttons.insert(b->buttons.begin() + static_cast<std::ptrdiff_t>(at), std::move(button));
}

bool CommandBarModel::removeBar(int id) {
  const auto it = std::find_if(bars_.begin(), bars_.end(), [&](const BarData& b) { return b.id == id; });
  if (it == bars_.end()) return false;
  bars_.erase(it);
  return true;
}

bool CommandBarModel::removeButton(int barId, int buttonId) {
  BarData* b = bar(barId);
  if (!b) return false;
  const auto it = std::find_if(b->buttons.begin(), b->buttons.end(),
                               [&](const ButtonData& button) { return button.id == buttonId; });
  if (it == b->buttons.end()) return false;
  b->buttons.erase(it);
  return true;
}

std::string CommandBarModel::serialize() const {
  std::string out = "# wordhost command bars\n";
  for (const BarData& b : bars_) {
    if (b.temporary) continue;
    out += "bar" + field("name", b.name) + field("position", b.position) + field("visible", b.visible ? 1 : 0) + "\n";
    for (const ButtonData& button : b.buttons) {
      if (button.temporary) continue;
      out += "button" + field("type", button.type) + field("id", button.controlId) +
             field("parameter", button.parameter) + field("caption", button.caption) + field("tag", button.tag) +
             field("enabled", button.enabled ? 1 : 0) + field("style", button.style) +
             field("faceId", button.faceId) + "\n";
    }
  }
  return out;
}

size_t CommandBarModel::parse(const std::string& text) {
  bars_.clear();
  skipped_ = 0;
  std::istringstream in(text);
  std::string line;
  BarData* current = nullptr;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const Record record = split(line);
    std::u16string name;
    readText(record, "name", name);
    if (record.kind == "bar" && (current = addBar(name, 0, false))) {
      readInt(record, "position", current->position);
      readBool(record, "visible", current->visible);
    } else if (record.kind == "button" && current) {
      ButtonData* button = addButton(current->id, 0, 1, 1, {}, false);
      if (!button) {
        ++skipped_;
        continue;
      }
      readInt(record, "type", button->type);
      readInt(record, "id", button->controlId);
      readText(record, "parameter", button->parameter);
      readText(record, "caption", button->caption);
      readText(record, "tag", button->tag);
      readBool(record, "enabled", button->enabled);
      readInt(record, "style", button->style);
      readInt(record, "faceId", button->faceId);
    } else {
      // A bar line that cannot be used also drops the buttons below it.
      if (record.kind == "bar") current = nullptr;
      ++skipped_;
    }
  }
  return skipped_;
}

bool CommandBarModel::save() const {
  if (file_.empty()) return true;
  std::error_code ec;
  const std::filesystem::path path(file_);
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << serialize();
  return static_cast<bool>(out.flush());
}

}  // namespace pendrix::wordhost
