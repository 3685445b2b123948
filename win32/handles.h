#pragma once
// Move-only owners for Win32 handles and COM pointers.

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

// Win32 wide strings and core UTF-16 strings share their representation.
inline const wchar_t* wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
inline std::u16string fromWide(const wchar_t* text) { return text ? std::u16string(reinterpret_cast<const char16_t*>(text)) : std::u16string(); }
inline std::u16string fromWide(const wchar_t* text, size_t length) {
  return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

}  // namespace pendrix
