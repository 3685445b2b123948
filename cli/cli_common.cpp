#include "cli_common.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <ostream>
#include <system_error>

#include "formula/formula_editor.h"
#include "session/profile_store.h"
#include "session/text_codec.h"

#ifdef _WIN32
#include "session/system_win32.h"
#endif

namespace pendrix::cli {

namespace {

// The console companion reads a settings file but leaves it as it is, also when the
// list separator is not yet decided there (the assistant would write Strichpunkt).
class ReadOnlyProfileStore : public ProfileStore {
 public:
  explicit ReadOnlyProfileStore(std::unique_ptr<ProfileStore> inner) : inner_(std::move(inner)) {}
  std::u16string readString(const std::u16string& file, const std::u16string& section, const std::u16string& key,
                            const std::u16string& fallback, size_t capacity) override {
    return inner_->readString(file, section, key, fallback, capacity);
  }
  bool writeString(const std::u16string&, const std::u16string&, const std::u16string&,
                   const std::u16string&) override {
    return false;
  }
  bool writeKeepsContent(const std::u16string& file) override { return inner_->writeKeepsContent(file); }

 private:
  std::unique_ptr<ProfileStore> inner_;
};

// Settings keep a pointer to their store, so it lives as long as the process.
ProfileStore& settingsStore() {
#ifdef _WIN32
  static ReadOnlyProfileStore store(makeWin32ProfileStore());
#else
  static ReadOnlyProfileStore store(makePortableProfileStore());
#endif
  return store;
}

bool loadSettings(const std::string& fileUtf8, Settings& settings, std::ostream& err) {
  std::error_code ec;
  const std::filesystem::path path(fromUtf8(fileUtf8));
  if (!std::filesystem::is_regular_file(path, ec)) {
    err << "pendrix-cli: settings file '" << shownArgument(fileUtf8) << "' not found\n";
    return false;
  }
  // The private-profile functions look for relative paths in the Windows folder.
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  const std::u16string file = ec ? path.u16string() : absolute.u16string();
  SilentNotifier quiet;
  settings.load(settingsStore(), file, quiet, [] { return std::u16string(u";"); });
  return true;
}

}  // namespace

char16_t shownDecimalSymbol(const Settings& settings) {
  return settings->decimalSymbol ? settings->decimalSymbol : u'.';
}

namespace {

struct NamedKey {
  const char* name;
  EditorKey key;
};
constexpr NamedKey kKeys[] = {
    {"Left", EditorKey::Left},   {"Right", EditorKey::Right},   {"Up", EditorKey::Up},
    {"Down", EditorKey::Down},   {"Home", EditorKey::Home},     {"End", EditorKey::End},
    {"Delete", EditorKey::Delete}, {"Backspace", EditorKey::Backspace},
};

struct NamedButton {
  const char* name;
  int button;
};
constexpr NamedButton kButtons[] = {
    {"Root", kButtonRoot},           {"CubeRoot", kButtonCubeRoot},     {"Superscript", kButtonSuperscript},
    {"Square", kButtonSquare},       {"Cube", kButtonCube},             {"Subscript", kButtonSubscript},
    {"Index1", kButtonIndex1},       {"Index2", kButtonIndex2},         {"LessEqual", kButtonLessEqual},
    {"GreaterEqual", kButtonGreaterEqual}, {"X12", kButtonX12},         {"PlusMinus", kButtonPlusMinus},
    {"InnerFraction", kButtonInnerFraction},
};

bool runNamed(const std::string& name, FormulaEditor& editor, std::ostream& err) {
  for (const NamedKey& k : kKeys) {
    if (name == k.name) {
      editor.keyDown(k.key);
      return true;
    }
  }
  for (const NamedButton& b : kButtons) {
    if (name == b.name) {
      editor.pressButton(b.button);
      return true;
    }
  }
  if (name.rfind("Alt+", 0) == 0) {
    const std::u16string c = fromUtf8(name.substr(4));
    if (c.size() != 1) {
      err << "pendrix-cli: {" << shownArgument(name) << "} needs exactly one character after Alt+\n";
      return false;
    }
    const AltKeyResult result = editor.altCharacter(c[0]);
    if (!result.handled && result.button != 0) {
      err << "pendrix-cli: {" << shownArgument(name) << "} presses button " << result.button
          << ", which is not a formula button\n";
      return false;
    }
    return true;  // an Alt key that nothing takes does nothing, as in the dialog
  }
  if (name.rfind("Degree=", 0) == 0) {
    editor.setRootDegreeAtCursor(fromUtf8(name.substr(7)));
    return true;
  }
  err << "pendrix-cli: unknown key name {" << shownArgument(name) << "}\n";
  return false;
}

}  // namespace

std::string settingsPathFromArgs(const Args& args) {
  for (size_t i = 0; i + 1 < args.size(); ++i) {
    if (args[i] == "--") break;
    if (args[i] == "--settings") return args[i + 1];
  }
  return {};
}

bool parseFormulaArgs(const Args& args, FormulaArgs& out, std::ostream& err) {
  out.settings = Settings();
  out.keys.clear();
  std::string settingsFile;
  bool haveSettings = false;
  bool haveKeys = false;
  bool optionsDone = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!optionsDone && arg == "--") {
      optionsDone = true;
    } else if (!optionsDone && !haveKeys && arg == "--settings") {
      if (haveSettings) {
        err << "pendrix-cli: --settings given twice\n";
        return false;
      }
      if (i + 1 >= args.size()) {
        err << "pendrix-cli: --settings needs a FILE\n";
        return false;
      }
      settingsFile = args[++i];
      haveSettings = true;
    } else if (!optionsDone && arg.size() > 2 && arg.rfind("--", 0) == 0) {
      err << "pendrix-cli: unknown option '" << shownArgument(arg) << "' (use -- before KEYS that begin with --)\n";
      return false;
    } else if (haveKeys) {
      err << "pendrix-cli: exactly one KEYS argument expected, got another: '" << shownArgument(arg) << "'\n";
      return false;
    } else {
      out.keys = arg;
      haveKeys = true;
    }
  }
  if (!haveKeys) {
    err << "pendrix-cli: missing KEYS argument\n";
    return false;
  }
  if (haveSettings && !loadSettings(settingsFile, out.settings, err)) return false;
  return true;
}

bool typeKeys(const std::string& keysUtf8, FormulaGrid& grid, const Settings& settings, Notifier& notifier,
              SolutionDisplay& display, std::ostream& err) {
  FormulaEditor editor(grid, settings, notifier, display);
  size_t i = 0;
  while (i < keysUtf8.size()) {
    const char ch = keysUtf8[i];
    if (ch == '{' && i + 1 < keysUtf8.size() && keysUtf8[i + 1] == '{') {
      editor.typeCharacter(u'{');
      i += 2;
    } else if (ch == '}' && i + 1 < keysUtf8.size() && keysUtf8[i + 1] == '}') {
      editor.typeCharacter(u'}');
      i += 2;
    } else if (ch == '}') {
      err << "pendrix-cli: lone '}' at byte " << i << " of KEYS (type a brace as }})\n";
      return false;
    } else if (ch == '{') {
      const size_t close = keysUtf8.find('}', i + 1);
      if (close == std::string::npos) {
        err << "pendrix-cli: '{' at byte " << i << " of KEYS is not closed (type a brace as {{)\n";
        return false;
      }
      if (!runNamed(keysUtf8.substr(i + 1, close - i - 1), editor, err)) return false;
      i = close + 1;
    } else {
      // One UTF-8 sequence: up to the next byte that starts a character.
      size_t end = i + 1;
      while (end < keysUtf8.size() && (static_cast<unsigned char>(keysUtf8[end]) & 0xC0) == 0x80) ++end;
      for (char16_t c : fromUtf8(keysUtf8.substr(i, end - i))) editor.typeCharacter(c);
      i = end;
    }
  }
  return true;
}

namespace {

bool isControl(char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

std::string codeOf(char16_t c) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(c));
  return buffer;
}

}  // namespace

std::string cellToken(char16_t c) {
  const bool shownAsCode = c <= 0x20 || (c >= 0x7F && c <= 0xA0) || isRootMark(c) ||
                           (c >= 0xD800 && c <= 0xDFFF);
  return shownAsCode ? codeOf(c) : toUtf8(std::u16string(1, c));
}

std::string rowCells(const FormulaGrid& grid, int row) {
  std::string cells;
  for (int column = 0; column < grid.length(); ++column) {
    if (column > 0) cells += ' ';
    cells += cellToken(grid.at(row, column));
  }
  return cells;
}

std::string printable(std::u16string_view text) {
  std::string line;
  size_t clean = 0;  // start of the run of ordinary characters not yet written
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && !isControl(text[i])) continue;
    line += toUtf8(text.substr(clean, i - clean));
    if (i < text.size()) line += codeOf(text[i]);
    clean = i + 1;
  }
  return line;
}

std::string shownArgument(const std::string& utf8) { return printable(fromUtf8(utf8)); }

std::string messageLine(std::u16string_view text) {
  std::string line;
  size_t start = 0;
  for (size_t end; (end = text.find(u'\n', start)) != std::u16string_view::npos; start = end + 1)
    line += printable(text.substr(start, end - start)) + "\\n";
  return line + printable(text.substr(start));
}

}  // namespace pendrix::cli
