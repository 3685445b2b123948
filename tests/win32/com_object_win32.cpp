// The shared COM object base: interface table, reference counting, module count,
// and the table-driven IDispatch.

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "win32/com_object.h"

namespace pendrix {
namespace {

constexpr IID kIidEvents = {0x12345678, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};

class Counter final : public DispatchObject<Counter> {
 public:
  explicit Counter(bool* deleted) : deleted_(deleted) {}
  ~Counter() { *deleted_ = true; }

  static std::span<const InterfaceEntry<Counter>> interfaces() {
    static constexpr InterfaceEntry<Counter> table[] = {
        interfaceEntry<Counter, IDispatch>(IID_IDispatch),
        interfaceEntry<Counter, IDispatch>(kIidEvents),
    };
    return table;
  }
  static std::span<const DispatchMember<Counter>> members() {
    static constexpr DispatchMember<Counter> table[] = {
        {L"Value", 1, DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, &Counter::value},
        {L"Add", 2, DISPATCH_METHOD, &Counter::add},
        {L"Hold", 3, DISPATCH_METHOD, &Counter::hold},
        {L"Fail", 4, DISPATCH_METHOD, &Counter::fail},
    };
    return table;
  }

  HRESULT value(DispatchCall& call) {
    if (call.isPut()) return call.putInt(value_);
    return call.returnInt(value_);
  }
  HRESULT add(DispatchCall& call) {
    LONG a = 0, b = 0;
    PENDRIX_RETURN_IF_FAILED(call.intArg(0, a));
    PENDRIX_RETURN_IF_FAILED(call.intArg(1, b));
    value_ += a - b;
    return call.returnInt(value_);
  }
  HRESULT hold(DispatchCall& call) { return call.objectArg(0, held); }
  HRESULT fail(DispatchCall&) { throw std::runtime_error("handler failure"); }

  ComPtr<IDispatch> held;

 private:
  bool* deleted_;
  LONG value_ = 0;
  ModuleReference module_;
};

HRESULT invoke(IDispatch* object, DISPID id, WORD flags, std::initializer_list<VARIANT> natural, VARIANT* result) {
  std::vector<VARIANT> args(natural.begin(), natural.end());
  std::reverse(args.begin(), args.end());
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
  if (flags & DISPATCH_PROPERTYPUT) {
    params.rgdispidNamedArgs = &put;
    params.cNamedArgs = 1;
  }
  return object->Invoke(id, IID_NULL, 0, flags, &params, result, nullptr, nullptr);
}

VARIANT i4(LONG value) {
  VARIANT v{};
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}

TEST(ComObject, AnswersItsTableAndCountsReferences) {
  bool deleted = false;
  const LONG before = Module::count();
  {
    ComPtr<Counter> counter = makeComObject<Counter>(&deleted);
    ASSERT_TRUE(counter);
    EXPECT_EQ(Module::count(), before + 1);

    ComPtr<IUnknown> unknown;
    ComPtr<IDispatch> events;
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(counter->QueryInterface(IID_IUnknown, unknown.putVoid()), S_OK);
    ASSERT_EQ(counter->QueryInterface(kIidEvents, events.putVoid()), S_OK);
    EXPECT_EQ(counter->QueryInterface(IID_IClassFactory, factory.putVoid()), E_NOINTERFACE);
    EXPECT_FALSE(factory);
    EXPECT_EQ(static_cast<IUnknown*>(static_cast<IDispatch*>(counter.get())), unknown.get());
    EXPECT_EQ(counter->QueryInterface(IID_IDispatch, nullptr), E_POINTER);
    EXPECT_EQ(counter->AddRef(), 4u);
    EXPECT_EQ(counter->Release(), 3u);
  }
  EXPECT_TRUE(deleted);
  EXPECT_EQ(Module::count(), before);
}

TEST(ComObject, NamesCompareWithoutCase) {
  bool deleted = false;
  ComPtr<Counter> counter = makeComObject<Counter>(&deleted);
  struct Row {
    const wchar_t* name;
    HRESULT hr;
    DISPID id;
  } rows[] = {{L"Value", S_OK, 1}, {L"aDD", S_OK, 2}, {L"HOLD", S_OK, 3}, {L"Missing", DISP_E_UNKNOWNNAME, DISPID_UNKNOWN}};
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "name " << static_cast<const void*>(row.name));
    LPOLESTR names[] = {const_cast<LPOLESTR>(row.name)};
    DISPID id = 42;
    EXPECT_EQ(counter->GetIDsOfNames(IID_NULL, names, 1, 0, &id), row.hr);
    EXPECT_EQ(id, row.id);
  }
  LPOLESTR two[] = {const_cast<LPOLESTR>(L"Add"), const_cast<LPOLESTR>(L"a")};
  DISPID ids[2] = {};
  EXPECT_EQ(counter->GetIDsOfNames(IID_NULL, two, 2, 0, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], 2);
  EXPECT_EQ(ids[1], DISPID_UNKNOWN);
  EXPECT_EQ(counter->GetIDsOfNames(IID_IDispatch, two, 1, 0, ids), DISP_E_UNKNOWNINTERFACE);
}

TEST(ComObject, InvokeConvertsArgumentsAndReportsFaults) {
  bool deleted = false;
  ComPtr<Counter> counter = makeComObject<Counter>(&deleted);
  VARIANT result;
  VariantInit(&result);

  ASSERT_EQ(invoke(counter.get(), 1, DISPATCH_PROPERTYPUT, {i4(7)}, nullptr), S_OK);
  ASSERT_EQ(invoke(counter.get(), 1, DISPATCH_PROPERTYGET, {}, &result), S_OK);
  EXPECT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, 7);

  // A string that holds a number converts; one that does not is a type mismatch.
  Variant twelve = Variant::fromString(L"12");
  ASSERT_EQ(invoke(counter.get(), 2, DISPATCH_METHOD, {*twelve.get(), i4(2)}, &result), S_OK);
  EXPECT_EQ(result.lVal, 17);  // 7 + 12 - 2
  Variant word = Variant::fromString(L"zwölf");
  EXPECT_EQ(invoke(counter.get(), 2, DISPATCH_METHOD, {*word.get(), i4(2)}, &result), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(result.vt, VT_EMPTY);
  EXPECT_EQ(invoke(counter.get(), 2, DISPATCH_METHOD, {i4(1)}, &result), DISP_E_BADPARAMCOUNT);

  // A method is not a property, an unknown DISPID is no member, a throwing handler
  // becomes an error code.
  EXPECT_EQ(invoke(counter.get(), 2, DISPATCH_PROPERTYPUT, {i4(1)}, nullptr), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(invoke(counter.get(), 99, DISPATCH_METHOD, {}, nullptr), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(invoke(counter.get(), 4, DISPATCH_METHOD, {}, nullptr), E_UNEXPECTED);
}

TEST(ComObject, ObjectArgumentsByValueByReferenceOrNone) {
  bool deletedA = false, deletedB = false;
  ComPtr<Counter> holder = makeComObject<Counter>(&deletedA);
  {
    ComPtr<Counter> other = makeComObject<Counter>(&deletedB);
    IDispatch* pointer = other.get();
    VARIANT byValue{};
    byValue.vt = VT_DISPATCH;
    byValue.pdispVal = pointer;
    ASSERT_EQ(invoke(holder.get(), 3, DISPATCH_METHOD, {byValue}, nullptr), S_OK);
    EXPECT_EQ(holder->held.get(), pointer);

    VARIANT byReference{};
    byReference.vt = VT_DISPATCH | VT_BYREF;
    byReference.ppdispVal = &pointer;
    ASSERT_EQ(invoke(holder.get(), 3, DISPATCH_METHOD, {byReference}, nullptr), S_OK);
    EXPECT_EQ(holder->held.get(), pointer);
  }
  EXPECT_FALSE(deletedB);  // the holder keeps its own reference
  VARIANT empty{};
  ASSERT_EQ(invoke(holder.get(), 3, DISPATCH_METHOD, {empty}, nullptr), S_OK);
  EXPECT_FALSE(holder->held);
  EXPECT_TRUE(deletedB);
  EXPECT_EQ(invoke(holder.get(), 3, DISPATCH_METHOD, {i4(5)}, nullptr), DISP_E_TYPEMISMATCH);
}

}  // namespace
}  // namespace pendrix
