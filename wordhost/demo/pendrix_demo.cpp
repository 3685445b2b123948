// pendrix_demo: plays a scripted session as a user would, on the Word stand-in that is
// already running with the add-in loaded. It presses the bar's "ZombTerm" button (the
// add-in then starts the assistant through COM), types into the assistant, presses its
// buttons, opens its menus and answers its message boxes, and keeps pictures of the
// windows and the document's dump in a folder.
//
//   pendrix_demo demo|guide OUTPUT-FOLDER
//
// "demo" solves an equation and writes it with its solution line into the document;
// it ends with 0 only when the dump holds both. "guide" takes the user guide's pictures.

#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "win32/office_interfaces.h"
#include "resources/resource.h"
#include "support/document_dump.h"
#include "support/process_win32.h"
#include "support/running_word.h"
#include "support/window_picture.h"
#include "win32/class_ids.h"
#include "win32/com.h"
#include "win32/late_binding.h"

namespace pendrix::demo {
namespace {

using namespace pendrix::testing;

enum class Act {
  WaitForWord,       // the stand-in with the add-in's bar; the first start's hint is pictured and answered
  InsertText,        // text typed into the document at its selection
  ClickControl,      // a button of the bar (text); waits for the assistant it opens
  DoubleClickField,  // the user's double click on field `number`; waits for the assistant
  Type,              // characters into the key-input edit
  Key,               // virtual key `number` into the key-input edit
  Button,            // presses control `number` of the assistant and waits until it is done
  Menu,              // control `number` (0: none) opens a popup; `count` times Down, picture, Enter
  ComboOpen,         // drops the list of combo box `number`, picture, closes it
  RootDegree,        // double click on the root sign, the degree `text` typed, picture, Enter
  About,             // the about box from the system menu, picture, OK
  Ok,                // the assistant's OK: writes into Word and ends
  Cancel,            // the assistant's "Abbrechen"
  Picture,           // only the picture
  Dump,              // the document's dump into file `text`
  ExpectField,       // a field code of the dump holds `text`
  ExpectText,        // the document's text holds `text`
  NewDocument,       // the stand-in starts a new, empty document
  Worksheet,         // area `number`, then "Arbeitsblatt …" by keys (picture "menue-arbeitsblatt"),
                     // `count` exercises typed into its dialog (picture), OK; waits for the sheet
};

// Word: the bar and the document's first lines; Document: Word's whole window.
enum class Shot { None, Word, Assistant, Both, Document };

struct Step {
  Act act;
  const wchar_t* text = nullptr;
  int number = 0;
  const wchar_t* picture = nullptr;  // file name without extension
  Shot shot = Shot::None;
  int count = 0;
};

const Step kDemo[] = {
    {Act::WaitForWord, nullptr, 0, L"demo-1-word-hint", Shot::Word},
    {Act::Picture, nullptr, 0, L"demo-1-word-bar", Shot::Word},
    {Act::InsertText, L"Aufgabe 1: "},
    {Act::ClickControl, L"ZombTerm"},
    {Act::Type, L"x^2+1=10"},
    {Act::Key, nullptr, VK_RETURN, L"demo-2-assistant-solved", Shot::Both},
    {Act::Button, nullptr, IDC_INSERT},
    {Act::Button, nullptr, IDC_INSERT_SOLUTION},
    {Act::Cancel},
    {Act::Picture, nullptr, 0, L"demo-3-word-result", Shot::Word},
    {Act::Dump, L"demo-dump.json"},
    {Act::ExpectField, L"EQ x\\s\\up5(2)+1=10"},
    {Act::ExpectText, L"L = { -3.000 | 3.000  }"},
};

const Step kGuide[] = {
    {Act::WaitForWord, nullptr, 0, L"erster-start", Shot::Word},
    {Act::Picture, nullptr, 0, L"word-mit-leiste", Shot::Word},
    {Act::ClickControl, L"ZombTerm", 0, L"assistent-leer", Shot::Assistant},
    {Act::Button, nullptr, IDC_ROOT},
    {Act::Type, L"x+7"},
    {Act::Key, nullptr, VK_RIGHT},
    {Act::Type, L"="},
    {Act::Key, nullptr, VK_UP},
    {Act::Type, L"x+1"},
    {Act::Key, nullptr, VK_DOWN},
    {Act::Key, nullptr, VK_DOWN},
    {Act::Type, L"2", 0, L"formel-vorschau", Shot::Assistant},
    {Act::ComboOpen, nullptr, IDC_FRACTION_BRACKET, L"auswahl-bruchklammer"},
    {Act::ComboOpen, nullptr, IDC_MULTIPLICATION_SIGN, L"auswahl-malpunkt"},
    {Act::ComboOpen, nullptr, IDC_PLUS_SIGN, L"auswahl-pluszeichen"},
    {Act::ComboOpen, nullptr, IDC_MINUS_SIGN, L"auswahl-minuszeichen"},
    {Act::Cancel},
    {Act::ClickControl, L"ZombTerm"},
    {Act::Type, L"x^2+1=10"},
    {Act::Key, nullptr, VK_RETURN, L"gleichung-geloest", Shot::Assistant},
    {Act::Button, nullptr, IDC_INSERT},
    {Act::Button, nullptr, IDC_INSERT_SOLUTION},
    {Act::Menu, nullptr, IDC_EXERCISE_FILE, L"menue-aufgabenbereich", Shot::None, 4},
    {Act::Menu, nullptr, 0, L"menue-aufgabe", Shot::None, 2},
    {Act::Picture, nullptr, 0, L"aufgabe-gezogen", Shot::Assistant},
    {Act::Button, nullptr, IDC_INSERT_TEXT},
    {Act::Button, nullptr, IDC_INSERT},
    {Act::Button, nullptr, IDC_INSERT_SOLUTION},
    {Act::Cancel, nullptr, 0, L"word-loesung-und-text", Shot::Word},
    {Act::ClickControl, L"ZombTerm"},
    {Act::Button, nullptr, IDC_CUBE_ROOT},
    {Act::Type, L"8"},
    {Act::RootDegree, L"4", 0, L"wurzelexponent"},
    {Act::Picture, nullptr, 0, L"wurzel-mit-exponent", Shot::Assistant},
    {Act::About, nullptr, 0, L"info-ueber-pendrix"},
    {Act::Ok},
    {Act::DoubleClickField, nullptr, 1, L"feld-bearbeiten", Shot::Both},
    {Act::Ok, nullptr, 0, L"word-dokument", Shot::Word},
    {Act::Dump, L"guide-dump.json"},
    {Act::NewDocument},
    {Act::ClickControl, L"ZombTerm"},
    {Act::Worksheet, nullptr, 4, L"arbeitsblatt", Shot::None, 10},
    {Act::Cancel, nullptr, 0, L"arbeitsblatt-word", Shot::Document},
};

struct Scenario {
  const wchar_t* name;
  const Step* steps;
  size_t count;
};

const Scenario kScenarios[] = {
    {L"demo", kDemo, std::size(kDemo)},
    {L"guide", kGuide, std::size(kGuide)},
};

std::string narrow(const std::wstring& text) { return utf8(text); }

// A call on the stand-in from a thread of its own, for the members during which the
// add-in starts the assistant: they return only once the assistant is up, and the
// assistant may ask something first.
std::thread callWordAside(const wchar_t* member, Variant argument) {
  return std::thread([member, argument = std::move(argument)]() mutable {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return;
    {
      const ComPtr<IDispatch> app = runningWord();
      Variant ignored;
      if (app) invokeByName(app.get(), member, DISPATCH_METHOD, argList(std::move(argument)), &ignored);
    }
    CoUninitialize();
  });
}

class Player {
 public:
  explicit Player(std::wstring folder) : folder_(std::move(folder)) {}

  bool play(const Scenario& scenario) {
    for (size_t i = 0; i < scenario.count; ++i) {
      const Step& step = scenario.steps[i];
      if (!run(step)) {
        std::printf("step %zu of \"%s\" failed: %s\n", i + 1, narrow(scenario.name).c_str(), failure_.c_str());
        return false;
      }
      if (step.shot != Shot::None && step.act != Act::WaitForWord) picture(step.picture, step.shot);
    }
    return true;
  }

 private:
  bool run(const Step& step) {
    switch (step.act) {
      case Act::WaitForWord: return waitForWord(step.picture);
      case Act::InsertText: return insertText(step.text);
      case Act::ClickControl: return startAssistant(callWordAside(L"ClickControl", Variant::fromString(step.text)));
      case Act::DoubleClickField: return startAssistant(callWordAside(L"DoubleClickField", Variant::fromI4(step.number)));
      case Act::Type: return type(step.text);
      case Act::Key: return key(step.number);
      case Act::Button: return button(step.number);
      case Act::Menu: return menu(step);
      case Act::ComboOpen: return comboOpen(step);
      case Act::RootDegree: return rootDegree(step);
      case Act::About: return about(step);
      case Act::Ok: return endAssistant(IDC_OK);
      case Act::Cancel: return endAssistant(IDC_CANCEL);
      case Act::Picture: return true;
      case Act::Dump: return writeDump(step.text);
      case Act::ExpectField: return expect(fieldCodes(dump()), step.text, "field codes");
      case Act::ExpectText: return expect(documentText(dump()), step.text, "document text");
      case Act::NewDocument: return newDocument();
      case Act::Worksheet: return worksheet(step);
    }
    return false;
  }

  bool fail(const std::string& why) {
    failure_ = why;
    return false;
  }

  // Word in the running object table with the add-in's bar and sinks. The add-in asks
  // the user on its first start to drag the bar: that hint is pictured and answered.
  bool waitForWord(const wchar_t* hintPicture) {
    const bool connected = waitUntil(
        [&] {
          answerHint(hintPicture);
          if (!word_) word_ = runningWord();
          return word_ && wordNumber(L"ConnectedSinks") == 3;
        },
        std::chrono::seconds(90));
    if (!connected) return fail(word_ ? "the add-in did not connect to the stand-in" : "no Word stand-in is running");
    waitUntil([&] { return answerHint(hintPicture); }, std::chrono::milliseconds(1500));
    return arrangeWord() || fail("the stand-in shows no window");
  }

  // Word's window large enough for the assistant, which opens in the middle of the
  // screen, and its popups: the pictures then show Word behind them, not the bare screen.
  bool arrangeWord() {
    wordWindow_ = FindWindowW(L"OpusApp", nullptr);
    SetWindowPos(wordWindow_, nullptr, 0, 0, 1000, 900, SWP_NOZORDER | SWP_NOACTIVATE);
    return wordWindow_ != nullptr;
  }

  bool answerHint(const wchar_t* pictureName) {
    const HWND box = findTopWindow({0, L"#32770", L"Info"});
    if (!box) return false;
    arrangeWord();
    Sleep(300);
    if (pictureName) save(pictureName, saveWindowsPicture({FindWindowW(L"OpusApp", nullptr), box}, path(pictureName)));
    std::printf("Word's hint: %s\n", narrow(windowText(GetDlgItem(box, 0xFFFF))).c_str());
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    waitUntil([&] { return !IsWindow(box); });
    return true;
  }

  long wordNumber(const wchar_t* member) {
    Variant result;
    if (FAILED(invokeByName(word_.get(), member, DISPATCH_METHOD, nullptr, 0, &result))) return -1;
    if (FAILED(VariantChangeType(result.get(), result.get(), 0, VT_I4))) return -1;
    return result.get()->lVal;
  }

  bool newDocument() {
    Variant ignored;
    return SUCCEEDED(invokeByName(word_.get(), L"ClearDocument", DISPATCH_METHOD, nullptr, 0, &ignored)) ||
           fail("the stand-in kept its document");
  }

  bool insertText(const wchar_t* text) {
    Variant ignored;
    const HRESULT hr = invokeByName(word_.get(), L"InsertText", DISPATCH_METHOD, argList(Variant::fromString(text)), &ignored);
    return SUCCEEDED(hr) || fail("the stand-in refused the text");
  }

  // The assistant's dialog of a process other than the last one. While its settings
  // have not decided the list separator and the locale's is not the semicolon, the
  // assistant says so once Word has taken the window: that box is awaited and
  // answered before anything is typed, as a box that came later would take the keys
  // meant for the dialog.
  bool startAssistant(std::thread call) {
    const DWORD previous = assistantProcess_;
    const bool questionComes = !listSeparatorDecided() && localeListSeparator() != L";";
    HWND found = nullptr;
    waitUntil(
        [&] {
          found = findTopWindow({0, L"#32770", L" Calvora"});
          DWORD owner = 0;
          if (found) GetWindowThreadProcessId(found, &owner);
          return found && owner != previous;
        },
        std::chrono::seconds(60));
    call.join();
    if (!found) return fail("no assistant opened");
    dialog_ = found;
    GetWindowThreadProcessId(dialog_, &assistantProcess_);
    process_ = UniqueProcess(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, assistantProcess_));
    waitUntil([&] { return IsWindowVisible(dialog_) != FALSE; });
    if (questionComes && !answerAssistantsQuestion()) return fail("the first start asked nothing about the list separator");
    settle();
    return true;
  }

  // The registered assistant's settings file, beside its program.
  static bool listSeparatorDecided() {
    wchar_t command[MAX_PATH] = {};
    LONG size = sizeof command;
    const std::wstring key = L"CLSID\\" + std::wstring(kAssistantAppKey, kAssistantAppKey + 38) + L"\\LocalServer32";
    if (RegQueryValueW(HKEY_CLASSES_ROOT, key.c_str(), command, &size) != ERROR_SUCCESS) return false;
    std::wstring program = command;
    if (!program.empty() && program[0] == L'"') program = program.substr(1, program.find(L'"', 1) - 1);
    const std::wstring settings = std::filesystem::path(program).parent_path() / L"Einstellung" / L"WordZomb.ini";
    wchar_t stored[8] = {};
    GetPrivateProfileStringW(L"EINSTELLUNGEN", L"Strichpunkt", L"z", stored, 8, settings.c_str());
    return stored[0] != L'\0' && stored[0] != L'z';
  }

  static std::wstring localeListSeparator() {
    wchar_t separator[8] = {};
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SLIST, separator, 8);
    return separator;
  }

  bool answerAssistantsQuestion() {
    HWND box = nullptr;
    if (!waitUntil([&] { return (box = findTopWindow({assistantProcess_, L"#32770", L"Info"})) != nullptr; },
                   std::chrono::seconds(30)))
      return false;
    std::printf("Info: %s\n", narrow(windowText(GetDlgItem(box, 0xFFFF))).c_str());
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return waitUntil([&] { return !IsWindow(box); });
  }

  HWND control(int id) const { return GetDlgItem(dialog_, id); }

  // Waits until the dialog has handled everything sent or posted before.
  void settle() {
    PostMessageW(control(IDC_KEY_INPUT), WM_NULL, 0, 0);
    SendMessageTimeoutW(dialog_, WM_NULL, 0, 0, SMTO_NORMAL, 20000, nullptr);
    Sleep(150);
  }

  bool type(const wchar_t* keys) {
    for (const wchar_t* c = keys; *c; ++c)
      SendMessageTimeoutW(control(IDC_KEY_INPUT), WM_CHAR, *c, 1, SMTO_NORMAL, 10000, nullptr);
    settle();
    return true;
  }

  bool key(int virtualKey) {
    pressKey(control(IDC_KEY_INPUT), virtualKey);
    settle();
    if (virtualKey == VK_RETURN) waitUntil([&] { return windowText(control(IDC_SOLUTION)) != L"----"; }, std::chrono::seconds(20));
    return true;
  }

  static void pressKey(HWND window, int virtualKey) {
    PostMessageW(window, WM_KEYDOWN, virtualKey, 1);
    PostMessageW(window, WM_KEYUP, virtualKey, 0xC0000001);
  }

  bool button(int id) {
    if (!SendMessageTimeoutW(control(id), BM_CLICK, 0, 0, SMTO_NORMAL, 20000, nullptr))
      return fail("button " + std::to_string(id) + " did not answer");
    settle();
    return true;
  }

  HWND popup() const { return findTopWindow({assistantProcess_, L"#32768"}); }

  // A popup opened by a button, or by the choice in the popup before.
  bool menu(const Step& step) {
    if (step.number) PostMessageW(control(step.number), BM_CLICK, 0, 0);
    HWND shown = nullptr;
    if (!waitUntil([&] { return (shown = popup()) != nullptr; })) return fail("no popup menu");
    for (int i = 0; i < step.count; ++i) pressKey(shown, VK_DOWN);
    Sleep(400);
    save(step.picture, saveWindowsPicture({dialog_, shown}, path(step.picture)));
    pressKey(shown, VK_RETURN);
    Sleep(500);  // the choice of an area opens the next popup at once
    settle();
    return true;
  }

  // Keys to whatever has the focus in the assistant's thread.
  void keyToFocus(int virtualKey) const {
    GUITHREADINFO thread{sizeof thread};
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog_, nullptr), &thread);
    pressKey(thread.hwndFocus ? thread.hwndFocus : dialog_, virtualKey);
  }
  void charactersToFocus(const std::wstring& text) const {
    GUITHREADINFO thread{sizeof thread};
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog_, nullptr), &thread);
    for (const wchar_t c : text) PostMessageW(thread.hwndFocus ? thread.hwndFocus : dialog_, WM_CHAR, c, 1);
  }

  // The area's popup, its last item "Arbeitsblatt …", the dialog filled by keys, OK;
  // Word's window is made tall enough for the whole sheet.
  bool worksheet(const Step& step) {
    PostMessageW(control(IDC_EXERCISE_FILE), BM_CLICK, 0, 0);
    HWND areas = nullptr;
    if (!waitUntil([&] { return (areas = popup()) != nullptr; })) return fail("no area menu");
    for (int i = 0; i <= step.number; ++i) pressKey(areas, VK_DOWN);
    pressKey(areas, VK_RETURN);
    HWND exercises = nullptr;
    if (!waitUntil([&] { return (exercises = popup()) != nullptr && exercises != areas; })) return fail("no exercise menu");
    pressKey(exercises, VK_UP);
    Sleep(400);
    save(L"menue-arbeitsblatt", saveWindowsPicture({dialog_, exercises}, path(L"menue-arbeitsblatt")));
    pressKey(exercises, VK_RETURN);
    HWND sheet = nullptr;
    if (!waitUntil([&] { return (sheet = findTopWindow({assistantProcess_, L"#32770", L"Arbeitsblatt"})) != nullptr; }))
      return fail("no worksheet dialog");
    const HWND count = GetDlgItem(sheet, IDC_WORKSHEET_COUNT);
    GUITHREADINFO thread{sizeof thread};
    const auto focusIs = [&](HWND window) {
      return GetGUIThreadInfo(GetWindowThreadProcessId(sheet, nullptr), &thread) && thread.hwndFocus == window;
    };
    waitUntil([&] { return focusIs(GetDlgItem(sheet, IDC_WORKSHEET_IN_ORDER)); });
    keyToFocus(VK_TAB);
    if (!waitUntil([&] { return focusIs(count); })) return fail("Tab did not reach the number of exercises");
    charactersToFocus(std::to_wstring(step.count));
    if (!waitUntil([&] { return windowText(count) == std::to_wstring(step.count); })) return fail("the number was not typed");
    Sleep(400);
    save(step.picture, saveWindowPicture(sheet, path(step.picture)));
    RECT screen{};
    GetWindowRect(GetDesktopWindow(), &screen);
    SetWindowPos(wordWindow_, nullptr, 0, 0, 1000, screen.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    keyToFocus(VK_RETURN);
    if (!waitUntil([&] { return dump().find("\"finished\":[\"Arbeitsblatt\"") != std::string::npos; },
                   std::chrono::seconds(60)))
      return fail("the worksheet did not reach the document");
    settle();
    return true;
  }

  bool comboOpen(const Step& step) {
    const HWND combo = control(step.number);
    SendMessageTimeoutW(combo, CB_SHOWDROPDOWN, TRUE, 0, SMTO_NORMAL, 5000, nullptr);
    HWND list = nullptr;
    waitUntil([&] { return (list = findTopWindow({assistantProcess_, L"ComboLBox"})) != nullptr; },
              std::chrono::seconds(3));
    Sleep(300);
    save(step.picture, saveWindowsPicture({dialog_, list}, path(step.picture)));
    SendMessageTimeoutW(combo, CB_SHOWDROPDOWN, FALSE, 0, SMTO_NORMAL, 5000, nullptr);
    settle();
    return list != nullptr || fail("the list of combo box " + std::to_string(step.number) + " did not drop");
  }

  // The root sign stands at the preview's left; the double click that lands on it
  // opens the degree prompt, a dialog of the assistant without a caption.
  bool rootDegree(const Step& step) {
    RECT preview{};
    GetWindowRect(control(IDC_PREVIEW), &preview);
    MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&preview), 2);
    const int y = (preview.top + preview.bottom) / 2;
    HWND prompt = nullptr;
    for (int x = preview.left + 2; x < preview.left + 80 && !prompt; x += 3) {
      PostMessageW(dialog_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
      PostMessageW(dialog_, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
      PostMessageW(dialog_, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
      PostMessageW(dialog_, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
      waitUntil([&] { return (prompt = findTopWindow({assistantProcess_, L"#32770", L""})) != nullptr; },
                std::chrono::milliseconds(400));
    }
    if (!prompt) return fail("no root-degree prompt");
    const HWND edit = GetDlgItem(prompt, IDC_ROOT_DEGREE);
    for (const wchar_t* c = step.text; *c; ++c) SendMessageTimeoutW(edit, WM_CHAR, *c, 1, SMTO_NORMAL, 5000, nullptr);
    Sleep(300);
    save(step.picture, saveWindowsPicture({dialog_, prompt}, path(step.picture)));
    PostMessageW(prompt, WM_COMMAND, IDOK, 0);
    waitUntil([&] { return !IsWindow(prompt); });
    settle();
    return true;
  }

  bool about(const Step& step) {
    PostMessageW(dialog_, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    HWND box = nullptr;
    if (!waitUntil([&] { return (box = findTopWindow({assistantProcess_, L"#32770", L"Info über Pendrix"})) != nullptr; }))
      return fail("no about box");
    Sleep(300);
    save(step.picture, saveWindowPicture(box, path(step.picture)));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    waitUntil([&] { return !IsWindow(box); });
    settle();
    return true;
  }

  // OK ends the process; "Abbrechen" hides the dialog until the add-in lets go.
  bool endAssistant(int id) {
    PostMessageW(control(id), BM_CLICK, 0, 0);
    const bool ended = id == IDC_OK ? waitForExit(process_.get(), 20000) == 0
                                    : waitUntil([&] { return !IsWindowVisible(dialog_); });
    Sleep(300);
    return ended || fail("the assistant did not go back to Word");
  }

  std::string dump() {
    Variant result;
    if (FAILED(invokeByName(word_.get(), L"DocumentDump", DISPATCH_METHOD, nullptr, 0, &result)) ||
        result.get()->vt != VT_BSTR)
      return {};
    return utf8(std::wstring(result.get()->bstrVal, SysStringLen(result.get()->bstrVal)));
  }

  bool writeDump(const wchar_t* name) {
    const std::string text = dump();
    std::ofstream out(std::filesystem::path(folder_ + L"\\" + name), std::ios::binary);
    out << text;
    if (!out || text.empty()) return fail("the dump could not be written");
    std::printf("Dump: %s\\%s\n", narrow(folder_).c_str(), narrow(name).c_str());
    return true;
  }

  bool expect(const std::string& found, const wchar_t* wanted, const char* where) {
    const std::string text = decoded(found);
    if (text.find(narrow(wanted)) == std::string::npos)
      return fail(std::string(where) + " lack \"" + narrow(wanted) + "\": " + text);
    std::printf("The document holds \"%s\" (%s).\n", narrow(wanted).c_str(), where);
    return true;
  }

  std::wstring path(const wchar_t* name) const { return folder_ + L"\\" + name + L".bmp"; }

  void save(const wchar_t* name, bool saved) {
    if (saved) std::printf("Picture: %s\n", narrow(path(name)).c_str());
    else std::printf("Picture %s could not be taken\n", narrow(name).c_str());
  }

  void picture(const wchar_t* name, Shot shot) {
    // Windows closed just before leave their pixels on the screen until Word repaints.
    RedrawWindow(wordWindow_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    Sleep(500);
    const HWND assistant = IsWindowVisible(dialog_) ? dialog_ : nullptr;
    switch (shot) {
      case Shot::Word: save(name, saveScreenRegion(wordTop(), path(name))); break;
      case Shot::Assistant: save(name, saveWindowPicture(assistant, path(name))); break;
      case Shot::Both: save(name, saveWindowsPicture({wordWindow_, assistant}, path(name))); break;
      case Shot::Document: save(name, saveWindowPicture(wordWindow_, path(name))); break;
      case Shot::None: break;
    }
  }

  // The bar and the first lines of the document: the rest of the page is empty.
  RECT wordTop() const {
    RECT rect{};
    GetWindowRect(wordWindow_, &rect);
    rect.bottom = rect.top + 260;
    return rect;
  }

  std::wstring folder_;
  std::string failure_;
  ComPtr<IDispatch> word_;
  HWND wordWindow_ = nullptr;
  HWND dialog_ = nullptr;
  DWORD assistantProcess_ = 0;
  UniqueProcess process_;
};

// A folder given as a Unix path is reached through Wine's Z: drive.
std::wstring windowsFolder(const std::wstring& folder) {
  return folder.rfind(L'/', 0) == 0 ? winePath(narrow(folder)) : folder;
}

int usage() {
  std::fprintf(stderr, "usage: pendrix_demo demo|guide OUTPUT-FOLDER\n");
  return 2;
}

}  // namespace
}  // namespace pendrix::demo

int wmain(int argc, wchar_t** argv) {
  using namespace pendrix::demo;
  if (argc != 3) return usage();
  const Scenario* scenario = nullptr;
  for (const Scenario& candidate : kScenarios)
    if (std::wcscmp(candidate.name, argv[1]) == 0) scenario = &candidate;
  if (!scenario) return usage();
  const std::wstring folder = windowsFolder(argv[2]);
  CreateDirectoryW(folder.c_str(), nullptr);
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  bool played = false;
  {
    Player player(folder);
    played = player.play(*scenario);
  }
  CoUninitialize();
  std::printf(played ? "The %s session ran to its end.\n" : "The %s session failed.\n", pendrix::testing::utf8(argv[1]).c_str());
  return played ? 0 : 1;
}
