// The shared COM object base: interface table, reference counting, module count,
// the table-driven IDispatch and the class factory.

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
  // A put that names its value but passes none, and more names than arguments.
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS noValue{nullptr, &put, 0, 1};
  EXPECT_EQ(counter->Invoke(1, IID_NULL, 0, DISPATCH_PROPERTYPUT, &noValue, nullptr, nullptr, nullptr),
            DISP_E_BADPARAMCOUNT);
  VARIANT one = i4(1);
  DISPID names[] = {DISPID_PROPERTYPUT, 0};
  DISPPARAMS moreNames{&one, names, 1, 2};
  EXPECT_EQ(counter->Invoke(2, IID_NULL, 0, DISPATCH_METHOD, &moreNames, &result, nullptr, nullptr),
            DISP_E_BADPARAMCOUNT);

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

// Counts in a lock of its own, so that the test sees what the factory and its
// objects hold without other tests' objects.
struct TestLock {
  static inline LONG count = 0;
  static void lock() noexcept { ++count; }
  static void unlock() noexcept { --count; }
  static constexpr bool kCountsClassObjects = true;
};

// Answers IDispatch alone, from the base's own interface table.
class Product final : public DispatchObject<Product> {
 public:
  static std::span<const DispatchMember<Product>> members() { return {}; }

 private:
  LockReference<TestLock> lock_;
};

TEST(ClassFactory, CreatesObjectsAndCountsThemInItsLock) {
  enum class Mode { Make, Fail, Throw } mode = Mode::Make;
  {
    ComPtr<ClassFactory<TestLock>> factory = makeComObject<ClassFactory<TestLock>>([&mode] {
      if (mode == Mode::Throw) throw std::runtime_error("constructor failed");
      return mode == Mode::Make ? makeComObject<Product>() : ComPtr<Product>();
    });
    ASSERT_TRUE(factory);
    EXPECT_EQ(TestLock::count, 1) << "a class object a client holds keeps a DLL loaded";
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(factory->QueryInterface(IID_IUnknown, unknown.putVoid()), S_OK);
    EXPECT_EQ(static_cast<IUnknown*>(static_cast<IClassFactory*>(factory.get())), unknown.get());

    ComPtr<IDispatch> product;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, product.putVoid()), S_OK);
    EXPECT_EQ(TestLock::count, 2);
    ComPtr<IClassFactory> wrong;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, wrong.putVoid()), E_NOINTERFACE);
    EXPECT_FALSE(wrong);
    EXPECT_EQ(TestLock::count, 2) << "the object nobody took is gone";
    EXPECT_EQ(factory->CreateInstance(unknown.get(), IID_IDispatch, wrong.putVoid()), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, nullptr), E_POINTER);

    const struct {
      Mode mode;
      HRESULT hr;
    } failures[] = {{Mode::Fail, E_OUTOFMEMORY}, {Mode::Throw, E_UNEXPECTED}};
    for (const auto& failure : failures) {
      SCOPED_TRACE(static_cast<int>(failure.mode));
      mode = failure.mode;
      void* out = &mode;
      EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, &out), failure.hr);
      EXPECT_EQ(out, nullptr);
    }

    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(TestLock::count, 3);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    product.reset();
    EXPECT_EQ(TestLock::count, 1);
  }
  EXPECT_EQ(TestLock::count, 0);
}

TEST(ClassFactory, ModuleAndServerProcessCountTheirOwn) {
  const LONG before = Module::count();
  {
    ComPtr<ClassFactory<>> dll = makeComObject<ClassFactory<>>([] { return makeComObject<Product>(); });
    EXPECT_EQ(Module::count(), before + 1);
    EXPECT_EQ(Module::canUnloadNow(), S_FALSE);
  }
  EXPECT_EQ(Module::count(), before);

  // A local server's registered class object must not keep the process alive; its
  // last lock ends it.
  static int ended = 0;
  ServerProcess::onEnded([] { ++ended; });
  ComPtr<ClassFactory<ServerProcess>> server =
      makeComObject<ClassFactory<ServerProcess>>([] { return makeComObject<Product>(); });
  EXPECT_EQ(server->LockServer(TRUE), S_OK);
  EXPECT_EQ(server->LockServer(TRUE), S_OK);
  EXPECT_EQ(server->LockServer(FALSE), S_OK);
  EXPECT_EQ(ended, 0);
  EXPECT_EQ(server->LockServer(FALSE), S_OK);
  EXPECT_EQ(ended, 1);
  ServerProcess::onEnded(nullptr);
}

TEST(ComObject, GuardedCallTurnsExceptionsIntoResults) {
  EXPECT_EQ(guardedCall([] { return S_FALSE; }), S_FALSE);
  EXPECT_EQ(guardedCall([]() -> HRESULT { throw std::bad_alloc(); }), E_OUTOFMEMORY);
  EXPECT_EQ(guardedCall([]() -> HRESULT { throw 42; }), E_UNEXPECTED);
}

}  // namespace
}  // namespace pendrix
