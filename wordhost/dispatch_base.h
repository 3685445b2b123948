#pragma once
// The host's objects: IDispatch without a type library on the project's COM object
// base. Each object lists its members (name, DISPID, the invoke kinds it answers,
// parameter names, handler) in a table; the base finds names as every object of
// the project does, also takes named arguments, reads the arguments as Word
// accepts them and keeps the host's call log and fault injection in one place.

#include <windows.h>
#include <oaidl.h>
#include <ocidl.h>

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "win32/com.h"
#include "win32/com_object.h"

namespace pendrix::wordhost {

struct HostState;
struct SinkList;

// Finds the sinks of an event source; null when the source is gone.
using SinkResolver = std::function<SinkList*(HostState&)>;

inline constexpr WORD kGet = DISPATCH_PROPERTYGET | DISPATCH_METHOD;
inline constexpr WORD kPut = DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF;
inline constexpr WORD kMethod = DISPATCH_METHOD | DISPATCH_PROPERTYGET;

// Word's "object has been deleted" error, for wrappers whose field, bar or
// button is gone.
inline constexpr HRESULT kObjectDeleted = static_cast<HRESULT>(0x800A16C1);

// The arguments of one Invoke call in their natural order (DISPPARAMS holds them
// in reverse), with the value of a property put apart.
class Invocation {
 public:
  Invocation(WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argError);

  bool isPut() const { return (flags_ & kPut) != 0 && (flags_ & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) == 0; }
  // Positional arguments, named ones placed at their parameter index.
  size_t count() const { return count_; }
  // Null when the argument is missing: beyond the count, VT_EMPTY or
  // VT_ERROR/DISP_E_PARAMNOTFOUND. By-reference arguments are followed.
  const VARIANT* arg(size_t index) const;

  HRESULT intArg(size_t index, long& out) const;
  HRESULT intArg(size_t index, long& out, long fallback) const;
  HRESULT boolArg(size_t index, bool& out) const;
  HRESULT boolArg(size_t index, bool& out, bool fallback) const;
  HRESULT floatArg(size_t index, double& out) const;
  HRESULT stringArg(size_t index, std::u16string& out) const;
  HRESULT stringArg(size_t index, std::u16string& out, const std::u16string& fallback) const;
  // Integer or string, for members that take an index or a name.
  bool isStringArg(size_t index) const;

  // The value of a property put.
  HRESULT putInt(long& out) const { return valueInt(putValue_, out); }
  HRESULT putBool(bool& out) const;
  HRESULT putFloat(double& out) const;
  HRESULT putString(std::u16string& out) const;

  HRESULT returnEmpty();
  HRESULT returnInt(long value);
  HRESULT returnBool(bool value);
  HRESULT returnFloat(float value);
  HRESULT returnString(const std::u16string& text);
  // Takes ownership of the new reference.
  HRESULT returnDispatch(IDispatch* object);

  // "VT_I2|VT_BYREF,VT_BSTR" for the call log.
  std::string typeList() const;

  // Places named arguments; fails for a name that is neither a parameter nor the
  // put value.
  HRESULT arrange(size_t parameterCount);

 private:
  HRESULT bad(size_t index, HRESULT hr) const;
  HRESULT valueInt(const VARIANT* value, long& out) const;
  static const VARIANT* follow(const VARIANT* value);
  static bool missing(const VARIANT* value);

  WORD flags_;
  DISPPARAMS* params_;
  VARIANT* result_;
  UINT* argError_;
  size_t count_ = 0;
  static constexpr size_t kMaxArgs = 16;
  const VARIANT* args_[kMaxArgs] = {};
  UINT rawIndex_[kMaxArgs] = {};
  const VARIANT* putValue_ = nullptr;
};

std::string variantTypeName(VARTYPE type);

class DispatchObject;

struct Member {
  const wchar_t* name;
  DISPID dispid;
  WORD kinds;
  // Comma-separated parameter names, for named arguments and the argument count.
  const wchar_t* parameters;
  HRESULT (*handler)(DispatchObject& self, Invocation& call);
};

// The shared IDispatch part, and the connection points of the objects that fire
// events; subclasses give their member table, their name for the call log and any
// further interfaces.
class DispatchObject : public DispatchWithoutTypeInfo<DispatchObject, IDispatch, IConnectionPointContainer> {
 public:
  DispatchObject(std::shared_ptr<HostState> state, const char* typeName);
  virtual ~DispatchObject();

  // IConnectionPointContainer for an event source, then the subclass's own.
  void* findInterface(REFIID iid);

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT* argError) override;
  // Answered only by event sources (see events.cpp).
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

  HostState& state() { return *state_; }
  const std::shared_ptr<HostState>& sharedState() const { return state_; }

 protected:
  virtual std::span<const Member> members() const = 0;
  // Further interfaces: Office IIDs answered as this IDispatch.
  virtual void* furtherInterface(REFIID) { return nullptr; }
  // Makes the object an event source for `iids`, whose sinks `sinks` finds.
  void offerEvents(std::vector<IID> iids, SinkResolver sinks);

 private:
  const Member* findMember(DISPID id) const;

  std::shared_ptr<HostState> state_;
  const char* typeName_;
  std::vector<IID> eventIids_;
  SinkResolver sinks_;
};

// A table entry's handler: forwards to a member function of the object.
#define WORDHOST_BIND(Class, method) \
  [](DispatchObject& self, Invocation& call) { return static_cast<Class&>(self).method(call); }

}  // namespace pendrix::wordhost
