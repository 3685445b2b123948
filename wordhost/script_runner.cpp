#include "wordhost/script_runner.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "session/text_codec.h"

namespace pendrix::wordhost {
namespace {

std::wstring wideOf(const std::string& utf8) {
  const std::u16string text = fromUtf8(utf8);
  return std::wstring(text.begin(), text.end());
}

bool parseNumber(const std::string& text, long long& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  out = std::strtoll(text.c_str(), &end, 0);
  return end && *end == '\0';
}

struct Line {
  std::string command;
  std::string rest;  // everything after the first blank
  std::vector<std::string> words;
};

Line splitLine(const std::string& text) {
  Line line;
  const size_t blank = text.find(' ');
  line.command = text.substr(0, blank);
  if (blank != std::string::npos) line.rest = text.substr(blank + 1);
  std::istringstream in(line.rest);
  for (std::string word; in >> word;) line.words.push_back(word);
  return line;
}

class Runner {
 public:
  explicit Runner(IDispatch* application) : app_(application) {}

  // Returns an empty string on success, else what went wrong.
  std::string run(const Line& line) {
    const std::string& c = line.command;
    if (c == "InsertText" || c == "InsertField" || c == "ClickControl" || c == "UnloadAddin")
      return onApp(c, argList(Variant::fromString(wideOf(line.rest).c_str())));
    if (c == "LoadAddins") return onApp(c, {});
    if (c == "SetSelection" || c == "DoubleClickField" || c == "FailMember") return withNumbers(line);
    if (c == "MoveRight" || c == "MoveLeft") return move(line);
    if (c == "EndKey") return onSelection(c, argList(Variant::fromI2(static_cast<short>(number(line, 0, 5))),
                                                     Variant::fromI2(static_cast<short>(number(line, 1, 0)))));
    if (c == "TypeParagraph") return onSelection(c, {});
    if (c == "TypeText") return onSelection(c, argList(Variant::fromString(wideOf(line.rest).c_str())));
    if (c == "ShowFieldCodes") return showFieldCodes(line);
    if (c == "FontSize") return fontSize(line);
    if (c == "SelectField" || c == "SetFieldCode") return onField(line);
    return "unknown command '" + c + "'";
  }

 private:
  long long number(const Line& line, size_t index, long long fallback) {
    long long value = fallback;
    if (index < line.words.size() && !parseNumber(line.words[index], value)) bad_ = line.words[index];
    return value;
  }

  std::string failed(const std::string& what, HRESULT hr) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
    return what + " failed with " + code;
  }

  std::string checkArgs() {
    if (bad_.empty()) return {};
    std::string message = "'";
    message += bad_;
    message += "' is not a number";
    bad_.clear();
    return message;
  }

  std::string onApp(const std::string& name, std::vector<Variant> args) {
    if (std::string e = checkArgs(); !e.empty()) return e;
    Variant result;
    const HRESULT hr = invokeByName(app_, wideOf(name).c_str(), DISPATCH_METHOD, args, &result);
    return FAILED(hr) ? failed(name, hr) : std::string();
  }

  std::string withNumbers(const Line& line) {
    std::vector<Variant> args;
    if (line.command == "FailMember") {
      if (line.words.size() != 2) return "FailMember needs a member and an HRESULT";
      long long id = 0;
      args.push_back(parseNumber(line.words[0], id) ? Variant::fromI4(static_cast<long>(id))
                                                    : Variant::fromString(wideOf(line.words[0]).c_str()));
      args.push_back(Variant::fromI4(static_cast<long>(static_cast<unsigned long>(number(line, 1, 0)))));
    } else {
      for (size_t i = 0; i < line.words.size(); ++i) args.push_back(Variant::fromI4(static_cast<long>(number(line, i, 0))));
      if (args.empty()) return line.command + " needs numbers";
    }
    return onApp(line.command, std::move(args));
  }

  std::string onSelection(const std::string& name, std::vector<Variant> args) {
    if (std::string e = checkArgs(); !e.empty()) return e;
    ComPtr<IDispatch> selection;
    HRESULT hr = getObjectByName(app_, L"Selection", selection);
    if (FAILED(hr)) return failed("Selection", hr);
    Variant result;
    hr = invokeByName(selection.get(), wideOf(name).c_str(), DISPATCH_METHOD, args, &result);
    return FAILED(hr) ? failed(name, hr) : std::string();
  }

  std::string move(const Line& line) {
    if (line.words.empty()) return line.command + " needs a count";
    return onSelection(line.command, argList(Variant::fromI2(1), Variant::fromI2(static_cast<short>(number(line, 0, 1))),
                                             Variant::fromI2(static_cast<short>(number(line, 1, 0)))));
  }

  std::string showFieldCodes(const Line& line) {
    const bool show = number(line, 0, 1) != 0;
    if (std::string e = checkArgs(); !e.empty()) return e;
    ComPtr<IDispatch> window, view;
    HRESULT hr = getObjectByName(app_, L"ActiveWindow", window);
    if (SUCCEEDED(hr)) hr = getObjectByName(window.get(), L"View", view);
    if (SUCCEEDED(hr)) hr = put(view.get(), L"ShowFieldCodes", Variant::fromBool(show));
    return FAILED(hr) ? failed("ShowFieldCodes", hr) : std::string();
  }

  std::string fontSize(const Line& line) {
    if (line.words.size() != 1) return "FontSize needs one size";
    char* end = nullptr;
    const float size = std::strtof(line.words[0].c_str(), &end);
    if (!end || *end) return "'" + line.words[0] + "' is not a size";
    ComPtr<IDispatch> selection, font;
    HRESULT hr = getObjectByName(app_, L"Selection", selection);
    if (SUCCEEDED(hr)) hr = getObjectByName(selection.get(), L"Font", font);
    if (SUCCEEDED(hr)) hr = put(font.get(), L"Size", Variant::fromR4(size));
    return FAILED(hr) ? failed("FontSize", hr) : std::string();
  }

  // "SelectField N" and "SetFieldCode N CODE" on the document's N-th field.
  std::string onField(const Line& line) {
    if (line.words.empty()) return line.command + " needs a field number";
    const long long index = number(line, 0, 0);
    if (std::string e = checkArgs(); !e.empty()) return e;
    ComPtr<IDispatch> document, fields;
    HRESULT hr = getObjectByName(app_, L"ActiveDocument", document);
    if (SUCCEEDED(hr)) hr = getObjectByName(document.get(), L"Fields", fields);
    Variant item;
    if (SUCCEEDED(hr))
      hr = invokeByName(fields.get(), L"Item", DISPATCH_METHOD, argList(Variant::fromI4(static_cast<long>(index))), &item);
    if (SUCCEEDED(hr) && item.get()->vt != VT_DISPATCH) hr = DISP_E_TYPEMISMATCH;
    if (FAILED(hr)) return failed("Fields.Item", hr);
    IDispatch* fieldObject = item.get()->pdispVal;
    if (line.command == "SelectField") {
      hr = invokeByName(fieldObject, L"Select", DISPATCH_METHOD, nullptr, 0, nullptr);
      return FAILED(hr) ? failed("Select", hr) : std::string();
    }
    const size_t codeStart = line.rest.find(' ');
    const std::string code = codeStart == std::string::npos ? std::string() : line.rest.substr(codeStart + 1);
    ComPtr<IDispatch> range;
    hr = getObjectByName(fieldObject, L"Code", range);
    if (SUCCEEDED(hr)) hr = put(range.get(), L"Text", Variant::fromString(wideOf(code).c_str()));
    return FAILED(hr) ? failed("SetFieldCode", hr) : std::string();
  }

  static HRESULT put(IDispatch* object, const wchar_t* name, Variant value) {
    return invokeByName(object, name, DISPATCH_PROPERTYPUT, argList(std::move(value)), nullptr);
  }

  IDispatch* app_;
  std::string bad_;
};

}  // namespace

ScriptResult runScript(IDispatch* application, const std::string& scriptUtf8) {
  Runner runner(application);
  std::istringstream in(scriptUtf8);
  std::string text;
  ScriptResult result;
  for (size_t number = 1; std::getline(in, text); ++number) {
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (text.empty() || text[0] == '#') continue;
    const std::string error = runner.run(splitLine(text));
    if (!error.empty()) return {false, number, error};
  }
  return result;
}

}  // namespace pendrix::wordhost
