#pragma once
// Owners for COM interface pointers, VARIANTs and BSTRs, and the early-return
// macro that keeps COM code flat. Header-only: the assistant, the add-in and the
// Word stand-in share it.

#include <windows.h>
#include <oleauto.h>
#include <unknwn.h>

#include <string>
#include <utility>

#define PENDRIX_RETURN_IF_FAILED(expr)      \
  do {                                      \
    const HRESULT pendrixHr_ = (expr);      \
    if (FAILED(pendrixHr_)) return pendrixHr_; \
  } while (0)

namespace pendrix {

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes a new reference.
  explicit ComPtr(T* pointer) : pointer_(pointer) {
    if (pointer_) pointer_->AddRef();
  }
  ComPtr(const ComPtr& other) : ComPtr(other.pointer_) {}
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(pointer_, other.pointer_);
    return *this;
  }
  ~ComPtr() { reset(); }

  // Adopts a reference the caller already owns.
  static ComPtr attach(T* pointer) {
    ComPtr out;
    out.pointer_ = pointer;
    return out;
  }
  T* get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  // For out-parameters: releases the old pointer first.
  T** put() {
    reset();
    return &pointer_;
  }
  void** putVoid() { return reinterpret_cast<void**>(put()); }
  void reset() {
    if (pointer_) std::exchange(pointer_, nullptr)->Release();
  }
  T* detach() { return std::exchange(pointer_, nullptr); }

  template <typename U>
  HRESULT as(const IID& iid, ComPtr<U>& out) const {
    if (!pointer_) return E_POINTER;
    return pointer_->QueryInterface(iid, out.putVoid());
  }

 private:
  T* pointer_ = nullptr;
};

class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const wchar_t* text) : bstr_(SysAllocString(text)) {}
  Bstr(const wchar_t* text, UINT length) : bstr_(SysAllocStringLen(text, length)) {}
  Bstr(Bstr&& other) noexcept : bstr_(std::exchange(other.bstr_, nullptr)) {}
  Bstr& operator=(Bstr&& other) noexcept {
    if (this != &other) {
      reset();
      bstr_ = std::exchange(other.bstr_, nullptr);
    }
    return *this;
  }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { reset(); }

  BSTR get() const { return bstr_; }
  BSTR* put() {
    reset();
    return &bstr_;
  }
  BSTR detach() { return std::exchange(bstr_, nullptr); }
  void reset() {
    if (bstr_) SysFreeString(std::exchange(bstr_, nullptr));
  }
  UINT length() const { return bstr_ ? SysStringLen(bstr_) : 0; }
  std::wstring str() const { return std::wstring(bstr_ ? bstr_ : L"", length()); }

 private:
  BSTR bstr_ = nullptr;
};

class Variant {
 public:
  Variant() { VariantInit(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { VariantClear(&value_); }

  VARIANT* get() { return &value_; }
  const VARIANT* get() const { return &value_; }
  // For out-parameters: clears the old value first.
  VARIANT* put() {
    VariantClear(&value_);
    return &value_;
  }
  VARIANT detach() {
    VARIANT out = value_;
    VariantInit(&value_);
    return out;
  }

  static Variant fromI2(short value) { return make(VT_I2, [&](VARIANT& v) { v.iVal = value; }); }
  static Variant fromI4(long value) { return make(VT_I4, [&](VARIANT& v) { v.lVal = value; }); }
  static Variant fromBool(bool value) {
    return make(VT_BOOL, [&](VARIANT& v) { v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE; });
  }
  static Variant fromR4(float value) { return make(VT_R4, [&](VARIANT& v) { v.fltVal = value; }); }
  static Variant fromString(const wchar_t* text) {
    return make(VT_BSTR, [&](VARIANT& v) { v.bstrVal = SysAllocString(text); });
  }
  // Takes a new reference.
  static Variant fromDispatch(IDispatch* dispatch) {
    if (dispatch) dispatch->AddRef();
    return make(VT_DISPATCH, [&](VARIANT& v) { v.pdispVal = dispatch; });
  }
  Variant(Variant&& other) noexcept : value_(other.detach()) {}

 private:
  template <typename Fill>
  static Variant make(VARTYPE type, Fill fill) {
    Variant out;
    out.value_.vt = type;
    fill(out.value_);
    return out;
  }
  VARIANT value_;
};

// The error a server raised in Invoke: owns the strings of its EXCEPINFO and fills
// the deferred fields before they are read.
class ExceptionInfo {
 public:
  ExceptionInfo() = default;
  ExceptionInfo(const ExceptionInfo&) = delete;
  ExceptionInfo& operator=(const ExceptionInfo&) = delete;
  ~ExceptionInfo() { clear(); }

  // For Invoke's out-parameter: frees what an earlier call left first.
  EXCEPINFO* put() {
    clear();
    return &info_;
  }
  // The server's own text; empty when it gave none.
  std::wstring description() {
    fill();
    return info_.bstrDescription ? std::wstring(info_.bstrDescription, SysStringLen(info_.bstrDescription))
                                 : std::wstring();
  }
  // The error code the server raised, or S_OK when it gave none.
  HRESULT scode() {
    fill();
    return info_.scode;
  }

 private:
  void fill() {
    // A server may leave the fields to a callback so that callers who ignore them
    // pay nothing.
    if (info_.pfnDeferredFillIn && SUCCEEDED(info_.pfnDeferredFillIn(&info_))) info_.pfnDeferredFillIn = nullptr;
  }
  void clear() {
    SysFreeString(info_.bstrSource);
    SysFreeString(info_.bstrDescription);
    SysFreeString(info_.bstrHelpFile);
    info_ = {};
  }
  EXCEPINFO info_{};
};

}  // namespace pendrix
