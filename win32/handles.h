#pragma once
// Move-only owners for Win32 handles and GDI objects, and scoped GDI selections
// and device contexts.

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <utility>

namespace pendrix {

template <typename Handle, auto Close, Handle Invalid = Handle{}>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Invalid)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(std::exchange(other.handle_, Invalid));
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Invalid; }
  // For out-parameters: releases the old handle first.
  Handle* put() {
    reset();
    return &handle_;
  }
  void reset(Handle handle = Invalid) {
    if (handle_ != Invalid) Close(handle_);
    handle_ = handle;
  }
  Handle release() { return std::exchange(handle_, Invalid); }

 private:
  Handle handle_ = Invalid;
};

using UniqueHkey = UniqueHandle<HKEY, RegCloseKey>;
using UniqueWindow = UniqueHandle<HWND, DestroyWindow>;
using UniqueBitmap = UniqueHandle<HBITMAP, DeleteObject>;
using UniqueFont = UniqueHandle<HFONT, DeleteObject>;
using UniquePen = UniqueHandle<HPEN, DeleteObject>;
using UniqueMemoryDc = UniqueHandle<HDC, DeleteDC>;

// Keeps a GDI object selected for one scope and puts the previous one back, so
// that no object of ours is left selected when it is deleted. A null object
// selects nothing.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
  ~SelectedObject() {
    if (previous_) SelectObject(dc_, previous_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A window's context from GetWindowDC, released with the scope.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetWindowDC(window)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// One WM_PAINT: BeginPaint here, EndPaint with the scope.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
  ~PaintDc() {
    if (dc_) EndPaint(window_, &paint_);
  }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// Win32 wide strings and core UTF-16 strings share their representation.
inline const wchar_t* wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
inline std::u16string fromWide(const wchar_t* text) { return text ? std::u16string(reinterpret_cast<const char16_t*>(text)) : std::u16string(); }
inline std::u16string fromWide(const wchar_t* text, size_t length) {
  return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

}  // namespace pendrix
