#pragma once
// A picture of a window as the screen shows it, frame and children included (or of
// the whole screen, given the desktop window, or of the area several windows cover
// together), saved as a BMP for a person to look at.
// 24 bits a pixel: a 32-bit BMP's unused alpha byte makes viewers show it blank.

#include <windows.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "win32/handles.h"

namespace pendrix::testing {

inline bool writeBitmapFile(const std::wstring& path, const BITMAPINFOHEADER& header,
                            const std::vector<unsigned char>& pixels) {
  BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof header + pixels.size()), 0, 0,
                        sizeof(BITMAPFILEHEADER) + sizeof header};
  const HANDLE created = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (created == INVALID_HANDLE_VALUE) return false;
  const UniqueHandle<HANDLE, CloseHandle> out(created);
  DWORD written = 0;
  return WriteFile(out.get(), &file, sizeof file, &written, nullptr) &&
         WriteFile(out.get(), &header, sizeof header, &written, nullptr) &&
         WriteFile(out.get(), pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
}

// The screen's pixels inside `rect`, as the rows of a 24-bit bottom-up DIB described
// by `header`; empty when the copy fails.
inline std::vector<unsigned char> screenPixels(const RECT& rect, BITMAPINFOHEADER& header) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return {};
  const WindowDc screen(nullptr);
  const UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
  const UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
  {
    const SelectedObject selected(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top, SRCCOPY);
  }
  header = {};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  std::vector<unsigned char> pixels(stride * height);
  if (GetDIBits(memory.get(), bitmap.get(), 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
                DIB_RGB_COLORS) != height)
    return {};
  return pixels;
}

inline bool oneColour(const std::vector<unsigned char>& pixels, const BITMAPINFOHEADER& header) {
  const size_t stride = (static_cast<size_t>(header.biWidth) * 3 + 3) & ~size_t{3};
  for (size_t row = 0; row < static_cast<size_t>(header.biHeight); ++row)
    for (size_t x = 0; x < static_cast<size_t>(header.biWidth); ++x)
      if (!std::equal(pixels.begin(), pixels.begin() + 3, pixels.begin() + row * stride + x * 3)) return false;
  return true;
}

// The screen's pixels inside `rect`. Wine puts a window's pixels on the display a
// little after it paints, so the picture is taken once two copies 100 ms apart agree
// and show more than one colour, within five seconds; the caller's own windows are
// let paint meanwhile. False when the screen does not settle.
inline bool saveScreenRegion(const RECT& rect, const std::wstring& path) {
  BITMAPINFOHEADER header{};
  std::vector<unsigned char> pixels = screenPixels(rect, header), previous;
  const auto settled = [&] { return !pixels.empty() && pixels == previous && !oneColour(pixels, header); };
  for (int i = 0; i < 50 && !settled(); ++i) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(100);
    previous = std::move(pixels);
    pixels = screenPixels(rect, header);
  }
  return settled() && writeBitmapFile(path, header, pixels);
}

inline bool saveWindowPicture(HWND window, const std::wstring& path) {
  RECT rect{};
  return GetWindowRect(window, &rect) && saveScreenRegion(rect, path);
}

// The smallest rectangle around every window given (null ones are left out), kept
// on the screen.
inline bool saveWindowsPicture(std::initializer_list<HWND> windows, const std::wstring& path) {
  RECT all{};
  for (const HWND window : windows) {
    RECT rect{};
    if (window && GetWindowRect(window, &rect)) UnionRect(&all, &all, &rect);
  }
  RECT screen{};
  GetWindowRect(GetDesktopWindow(), &screen);
  IntersectRect(&all, &all, &screen);
  return saveScreenRegion(all, path);
}

}  // namespace pendrix::testing
