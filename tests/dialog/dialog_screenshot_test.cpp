// Pictures of the dialogs as a person sees them, left beside the test program: the
// main dialog with its 19 pictures at 100 % and 150 % display scaling, the root-degree
// prompt and the about box.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "test_dialog.h"

namespace pendrix::testing {
namespace {

constexpr wchar_t kChildPictureVariable[] = L"PENDRIX_DIALOG_PICTURE";

int screenDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

// Where in the saved window picture a control's client point lies.
POINT inWindowPicture(HWND dialog, HWND control, POINT point) {
  RECT window{};
  GetWindowRect(dialog, &window);
  MapWindowPoints(control, nullptr, &point, 1);
  return {point.x - window.left, point.y - window.top};
}

// Every picture button shows dark pixels of its picture in its middle, so the owner
// drawing reached the screen.
void expectPicturesOnScreen(const TestDialog& dialog) {
  const HDC screen = GetWindowDC(dialog.get());
  for (const ButtonControl& control : kButtonControls) {
    if (!control.bitmapId) continue;
    SCOPED_TRACE(control.id);
    RECT client{};
    GetClientRect(dialog.item(control.id), &client);
    int dark = 0;
    for (int y = client.bottom / 4; y < client.bottom * 3 / 4; ++y)
      for (int x = client.right / 4; x < client.right * 3 / 4; ++x) {
        const POINT p = inWindowPicture(dialog.get(), dialog.item(control.id), {x, y});
        const COLORREF c = GetPixel(screen, p.x, p.y);
        dark += GetRValue(c) < 100 && GetGValue(c) < 120;
      }
    EXPECT_GT(dark, 3);
  }
  ReleaseDC(dialog.get(), screen);
}

HWND staticWithText(HWND dialog, const wchar_t* text) {
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t caption[16] = {};
    GetWindowTextW(child, caption, 16);
    if (lstrcmpW(caption, text) == 0) return child;
  }
  return nullptr;
}

int textWidth(HWND control, const wchar_t* text) {
  const HDC dc = GetDC(control);
  const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return size.cx;
}

RECT screenRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

// The brackets around the solution display read fully once it shows a value: the
// text of each fits its label, no neighbour covers a label, and the "{" is on the
// screen (dark pixels in the right half of its place, where a cut brace has none).
void expectSolutionBracketsRead(const TestDialog& dialog) {
  SetDlgItemTextW(dialog.get(), IDC_SOLUTION, L"-1000,000");
  pumpMessages();
  const HWND open = staticWithText(dialog.get(), L"= { ");
  const HWND close = staticWithText(dialog.get(), L"}");
  ASSERT_TRUE(open && close);
  RECT openClient{}, closeClient{};
  GetClientRect(open, &openClient);
  GetClientRect(close, &closeClient);
  EXPECT_LE(textWidth(open, L"= {"), openClient.right);
  EXPECT_LE(textWidth(close, L"}"), closeClient.right);
  RECT overlap{};
  for (const auto& [label, neighbour] : {std::pair{open, IDC_SOLUTION}, std::pair{close, IDC_SOLUTION},
                                         std::pair{close, IDC_INSERT_SOLUTION}, std::pair{open, IDC_SOLVE}}) {
    const RECT a = screenRect(label), b = screenRect(dialog.item(neighbour));
    EXPECT_FALSE(IntersectRect(&overlap, &a, &b)) << "a label under control " << neighbour;
  }
  const int braceStart = textWidth(open, L"= ");
  const int braceEnd = textWidth(open, L"= {");
  const HDC screen = GetDC(nullptr);
  const RECT label = screenRect(open);
  int dark = 0;
  for (int y = label.top; y < label.bottom; ++y)
    for (int x = label.left + (braceStart + braceEnd) / 2; x < label.left + braceEnd; ++x) {
      const COLORREF c = GetPixel(screen, x, y);
      dark += GetRValue(c) < 110 && GetGValue(c) < 110 && GetBValue(c) < 110;
    }
  ReleaseDC(nullptr, screen);
  EXPECT_GT(dark, 1) << "no \"{\" on the screen";
}

// Run by the test below in a child process, which it starts at the scale and with the
// window frames it wants.
TEST(Screenshots, DISABLED_DialogsInChild) {
  const wchar_t* suffix = _wgetenv(kChildPictureVariable);
  ASSERT_TRUE(suffix);
  {
    TestDialog main(IDD_PENDRIX_DIALOG);
    ASSERT_TRUE(main.get());
    ASSERT_TRUE(main.showAndPaint());
    expectPicturesOnScreen(main);
    expectSolutionBracketsRead(main);
    ASSERT_TRUE(saveWindowPicture(main.get(), besideTheTest(L"dialog_102" + std::wstring(suffix) + L".bmp")));
  }
  for (const auto& [id, name] : {std::pair{IDD_ROOT_DEGREE, L"dialog_131"}, std::pair{IDD_ABOUTBOX, L"dialog_100"}}) {
    TestDialog dialog(id);
    ASSERT_TRUE(dialog.get());
    ASSERT_TRUE(dialog.showAndPaint());
    ASSERT_TRUE(saveWindowPicture(dialog.get(), besideTheTest(name + std::wstring(suffix) + L".bmp")));
  }
  std::ofstream(std::filesystem::path(besideTheTest(L"dpi" + std::wstring(suffix) + L".txt"))) << screenDpi();
}

// A registry value of the prefix for processes started from now on; the old state back
// when the scope ends.
class RegistryOverride {
 public:
  RegistryOverride(const wchar_t* subkey, const wchar_t* name, DWORD type, const void* data, DWORD size)
      : name_(name) {
    RegCreateKeyExW(HKEY_CURRENT_USER, subkey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, key_.put(), nullptr);
    DWORD oldSize = 0;
    if (RegQueryValueExW(key_.get(), name, nullptr, &oldType_, nullptr, &oldSize) == ERROR_SUCCESS) {
      old_.resize(oldSize);
      RegQueryValueExW(key_.get(), name, nullptr, &oldType_, old_.data(), &oldSize);
      had_ = true;
    }
    RegSetValueExW(key_.get(), name, 0, type, static_cast<const BYTE*>(data), size);
  }
  ~RegistryOverride() {
    if (had_) {
      RegSetValueExW(key_.get(), name_, 0, oldType_, old_.data(), static_cast<DWORD>(old_.size()));
    } else {
      RegDeleteValueW(key_.get(), name_);
    }
  }
  RegistryOverride(const RegistryOverride&) = delete;
  RegistryOverride& operator=(const RegistryOverride&) = delete;

 private:
  UniqueHkey key_;
  const wchar_t* name_;
  DWORD oldType_ = 0;
  std::vector<BYTE> old_;
  bool had_ = false;
};

DWORD runChild(const wchar_t* suffix) {
  wchar_t module[MAX_PATH]{};
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(module) +
                         L"\" --gtest_also_run_disabled_tests --gtest_filter=Screenshots.DISABLED_DialogsInChild";
  SetEnvironmentVariableW(kChildPictureVariable, suffix);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const BOOL started =
      CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
  SetEnvironmentVariableW(kChildPictureVariable, nullptr);
  if (!started) return 0xFFFFFFFF;
  UniqueHandle<HANDLE, CloseHandle> processHandle(process.hProcess), threadHandle(process.hThread);
  if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) return 0xFFFFFFFE;
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  return code;
}

int readNumber(const std::wstring& path) {
  int value = 0;
  std::ifstream(std::filesystem::path(path)) >> value;
  return value;
}

BITMAPINFOHEADER pictureHeader(const std::wstring& name) {
  std::ifstream picture(std::filesystem::path(besideTheTest(name)), std::ios::binary);
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  picture.read(reinterpret_cast<char*>(&file), sizeof file).read(reinterpret_cast<char*>(&info), sizeof info);
  return picture.good() && file.bfType == 0x4D42 ? info : BITMAPINFOHEADER{};
}

TEST(Screenshots, DialogsAt100And150Percent) {
  // Wine leaves frames and captions to the X window manager, which the test display
  // does not have; undecorated, this program's windows get frames drawn by Wine itself.
  static const wchar_t kNo[] = L"N";
  const RegistryOverride frames(L"Software\\Wine\\AppDefaults\\dialog_tests.exe\\X11 Driver", L"Decorated", REG_SZ,
                                kNo, sizeof kNo);
  for (const auto& [dpi, suffix] : {std::pair{DWORD(96), L""}, std::pair{DWORD(144), L"_150"}}) {
    const RegistryOverride scale(L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
    ASSERT_EQ(runChild(suffix), 0u) << dpi;
  }
  EXPECT_EQ(readNumber(besideTheTest(L"dpi.txt")), 96);
  EXPECT_EQ(readNumber(besideTheTest(L"dpi_150.txt")), 144);
  // The dialogs grow with the scale; their frames and the rounded font metrics a little less or more, hence the tolerance.
  for (const wchar_t* name : {L"dialog_102", L"dialog_131", L"dialog_100"}) {
    const std::wstring normalName = name + std::wstring(L".bmp");
    SCOPED_TRACE(std::string(normalName.begin(), normalName.end()));
    const LONG normal = pictureHeader(normalName).biWidth;
    const LONG scaled = pictureHeader(name + std::wstring(L"_150.bmp")).biWidth;
    ASSERT_GT(normal, 0);
    EXPECT_NEAR(scaled, normal * 1.5, normal * 0.12);
  }
}

}  // namespace
}  // namespace pendrix::testing
