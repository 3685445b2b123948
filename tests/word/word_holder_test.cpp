// WordHolder on its own, against an object that answers as told: the error text
// Word raises (also when it fills it in late), answers that are no object, and the
// references a holder takes and gives back.

#include <gtest/gtest.h>

#include <span>

#include "win32/com_object.h"
#include "word/word_output_win32.h"

namespace pendrix {
namespace {

// Answers every Invoke with `hr`, `result` and the error text as set.
class ScriptedDispatch final : public ComObject<ScriptedDispatch, IDispatch> {
 public:
  static std::span<const InterfaceEntry<ScriptedDispatch>> interfaces() {
    static constexpr InterfaceEntry<ScriptedDispatch> table[] = {
        interfaceEntry<ScriptedDispatch, IDispatch>(IID_IDispatch)};
    return table;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* out, EXCEPINFO* exception,
                                   UINT*) override {
    ++calls;
    if (out) VariantCopy(out, result.get());
    if (hr == DISP_E_EXCEPTION && exception) {
      *exception = {};
      exception->scode = raised;
      if (deferred) {
        exception->pfnDeferredFillIn = [](EXCEPINFO* info) -> HRESULT {
          info->bstrDescription = SysAllocString(L"Späte Beschreibung");
          return S_OK;
        };
      } else if (description) {
        exception->bstrDescription = SysAllocString(description);
      }
    }
    return hr;
  }
  ULONG references() {
    AddRef();
    return Release();
  }

  HRESULT hr = S_OK;
  HRESULT raised = E_FAIL;
  const wchar_t* description = nullptr;
  bool deferred = false;
  Variant result;
  int calls = 0;
};

// Word's "no document is open".
constexpr HRESULT kNoDocument = static_cast<HRESULT>(0x800A1098);

TEST(WordHolder, ReportsWordsOwnTextElseTheGeneralMessage) {
  ComPtr<ScriptedDispatch> word = makeComObject<ScriptedDispatch>();
  const WordHolder holder(word.get());
  struct Row {
    const char* what;
    HRESULT hr;
    HRESULT raised;
    const wchar_t* description;
    bool deferred;
    HRESULT reported;
    std::u16string message;
  };
  const Row rows[] = {
      {"text given", DISP_E_EXCEPTION, kNoDocument, L"Kein Dokument geöffnet.", false, kNoDocument, u"Kein Dokument geöffnet."},
      {"text filled in late", DISP_E_EXCEPTION, E_FAIL, nullptr, true, E_FAIL, u"Späte Beschreibung"},
      {"exception without text", DISP_E_EXCEPTION, E_FAIL, nullptr, false, E_FAIL, kCommandFailed},
      {"exception without a code", DISP_E_EXCEPTION, S_OK, L"Fehler", false, DISP_E_EXCEPTION, u"Fehler"},
      {"a plain failure", E_ACCESSDENIED, S_OK, nullptr, false, E_ACCESSDENIED, kCommandFailed},
      {"success", S_OK, S_OK, nullptr, false, S_OK, u""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    word->hr = row.hr;
    word->raised = row.raised;
    word->description = row.description;
    word->deferred = row.deferred;
    const WordOutcome outcome = holder.call(7);
    EXPECT_EQ(outcome.hr, row.reported);
    EXPECT_EQ(outcome.message, row.message);
    EXPECT_EQ(outcome.ok(), row.reported == S_OK);
  }
}

TEST(WordHolder, AnAnswerThatIsNoObjectIsAFailure) {
  ComPtr<ScriptedDispatch> word = makeComObject<ScriptedDispatch>();
  const WordHolder holder(word.get());
  WordHolder out;
  *word->result.put() = Variant::fromI4(5).detach();
  EXPECT_EQ(holder.getObject(1, out).hr, E_POINTER);
  *word->result.put() = Variant::fromDispatch(nullptr).detach();
  const WordOutcome none = holder.getObject(1, out);
  EXPECT_EQ(none.hr, E_POINTER);
  EXPECT_EQ(none.message, kCommandFailed);
  EXPECT_TRUE(out.empty());

  // An object handed out as IUnknown is asked for IDispatch.
  ComPtr<ScriptedDispatch> inner = makeComObject<ScriptedDispatch>();
  word->result.put()->vt = VT_UNKNOWN;
  word->result.get()->punkVal = static_cast<IUnknown*>(static_cast<IDispatch*>(inner.get()));
  inner->AddRef();
  ASSERT_TRUE(holder.getObject(1, out).ok());
  EXPECT_EQ(out.get(), static_cast<IDispatch*>(inner.get()));

  *word->result.put() = Variant::fromString(L"10,5").detach();
  double number = 0;
  std::u16string text;
  EXPECT_TRUE(holder.getText(0, text).ok());
  EXPECT_EQ(text, u"10,5");
  *word->result.put() = Variant::fromR4(10.5f).detach();
  EXPECT_TRUE(holder.getNumber(141, number).ok());
  EXPECT_EQ(number, 10.5);
  *word->result.put() = Variant::fromString(L"zwölf").detach();
  EXPECT_EQ(holder.getNumber(141, number).hr, DISP_E_TYPEMISMATCH);
}

TEST(WordHolder, OwnsWhatItTookAndOnlyThat) {
  ComPtr<ScriptedDispatch> word = makeComObject<ScriptedDispatch>();
  const ULONG alone = word->references();
  {
    WordHolder owning(word.get());
    EXPECT_EQ(word->references(), alone + 1);
    WordHolder moved = std::move(owning);
    EXPECT_TRUE(owning.empty());
    EXPECT_EQ(word->references(), alone + 1);
    moved = std::move(moved);
    EXPECT_EQ(moved.get(), static_cast<IDispatch*>(word.get()));
    WordHolder borrowed = WordHolder::borrow(word.get());
    EXPECT_EQ(word->references(), alone + 1);
    moved = std::move(borrowed);  // the owned reference goes, the borrowed one is not released
    EXPECT_EQ(word->references(), alone);
  }
  EXPECT_EQ(word->references(), alone);

  // An empty holder calls nothing and answers with nothing.
  const WordHolder empty;
  WordHolder out(word.get());
  std::u16string text = u"alt";
  double number = 3;
  EXPECT_TRUE(empty.call(1).ok());
  EXPECT_TRUE(empty.getObject(1, out).ok());
  EXPECT_TRUE(out.empty());
  EXPECT_TRUE(empty.getText(0, text).ok());
  EXPECT_TRUE(text.empty());
  EXPECT_TRUE(empty.getNumber(0, number).ok());
  EXPECT_EQ(number, 0);
  EXPECT_EQ(word->calls, 0);
  EXPECT_EQ(word->references(), alone);
}

}  // namespace
}  // namespace pendrix
