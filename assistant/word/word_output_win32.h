#pragma once
// The Word output builder: the session's Word objects and the four commands that
// write into the document. The only code of the assistant that knows Word's
// dispatch identifiers; everything goes through IDispatch, as Word has no type
// library here.

#include <windows.h>
#include <oaidl.h>

#include <span>
#include <string>

#include "formula/eq_writer.h"
#include "formula/word_output_rules.h"
#include "win32/com.h"

namespace pendrix {

inline constexpr char16_t kCommandFailed[] = u"Befehl fehlgeschlagen.";

// A failed Word command: its HRESULT and the text to show (Word's EXCEPINFO
// description, else kCommandFailed).
struct WordOutcome {
  HRESULT hr = S_OK;
  std::u16string message;
  bool ok() const { return SUCCEEDED(hr); }

  static WordOutcome failure(HRESULT hr, std::u16string message = kCommandFailed) { return {hr, std::move(message)}; }
};

// An automation dispatch reference with the auto-release flag; a call on an empty
// holder does nothing and yields an empty result.
class WordHolder {
 public:
  WordHolder() = default;
  // Takes a reference of its own, released with the holder.
  explicit WordHolder(IDispatch* object) noexcept;
  // Wraps an object the caller keeps alive: no reference taken, none released.
  static WordHolder borrow(IDispatch* object) noexcept;
  WordHolder(WordHolder&& other) noexcept;
  WordHolder& operator=(WordHolder&& other) noexcept;
  WordHolder(const WordHolder&) = delete;
  WordHolder& operator=(const WordHolder&) = delete;
  ~WordHolder() { release(); }

  IDispatch* get() const { return object_; }
  bool empty() const { return object_ == nullptr; }
  explicit operator bool() const { return object_ != nullptr; }
  // Empties the holder, releasing the reference it owns.
  void release() noexcept;

  // One call by DISPID with the arguments in their natural order (a put's value is
  // its only argument). The arguments stay the caller's.
  WordOutcome invoke(DISPID id, WORD kind, std::span<const VARIANT> args, Variant* result = nullptr) const noexcept;
  // A property that must be an object; Word answering with none is a failure.
  WordOutcome getObject(DISPID id, WordHolder& out) const noexcept;
  WordOutcome getText(DISPID id, std::u16string& out) const noexcept;
  WordOutcome getNumber(DISPID id, double& out) const noexcept;
  WordOutcome put(DISPID id, const VARIANT& value) const noexcept;
  WordOutcome call(DISPID id) const noexcept;

 private:
  IDispatch* object_ = nullptr;
  bool autoRelease_ = false;
};

// Owns the three session holders (application, document, field) and writes into
// Word. Every command fetches selection, range, fields, window, view and font
// afresh and releases them before it returns.
class WordOutput {
 public:
  WordOutput() = default;
  WordOutput(const WordOutput&) = delete;
  WordOutput& operator=(const WordOutput&) = delete;

  // Application (1000) and ActiveDocument (3) of the object handed in; the old
  // objects are released. Without an application both holders end up empty; an
  // application without an active document leaves the document holder empty and
  // returns Word's error.
  HRESULT setApplication(IDispatch* application) noexcept;
  // Takes a reference of its own; null empties the holder (and returns E_POINTER).
  HRESULT setField(IDispatch* field) noexcept;
  bool hasApplication() const { return !application_.empty(); }
  bool hasDocument() const { return !document_.empty(); }
  bool hasField() const { return !field_.empty(); }
  // The session's application, for writers built on the commands below.
  const WordHolder& application() const { return application_; }

  // Field.Code (0) then Range.Text (0); empty without a field. A failure leaves
  // `code` empty and says what Word answered.
  WordOutcome readFieldCode(std::u16string& code) noexcept;
  // After OK: the field stays held until the session ends.
  void releaseDocumentAndApplication() noexcept;
  // Cancel: field, document, application.
  void releaseAll() noexcept;

  // OK: replaces the field's code when a field was handed over, else inserts a new
  // field. A failure ends the sequence and is returned, so that the dialog can stay
  // open with the formula; a new field that did go in is held as the field to edit,
  // so that OK again rewrites it instead of adding a second one.
  WordOutcome insertFormulaAndClose(const EqCode& code, int raiseSize) noexcept;
  // "&Einfügen": always a new field, then the line end and a new paragraph.
  WordOutcome insertFormula(const EqCode& code, int raiseSize) noexcept;
  // Button 1026: the text line's text, the line end and a new paragraph.
  WordOutcome insertTextLine(const std::u16string& text) noexcept;
  // Button 1027: value = text of 1009, condition = text of 1031.
  WordOutcome insertSolution(const std::u16string& value, const std::u16string& condition) noexcept;

 private:
  // `added`, when given, receives the new field as soon as it is in the document.
  WordOutcome writeNewField(const EqCode& code, int raiseSize, bool thenNewParagraph, WordHolder* added = nullptr);
  WordOutcome replaceFieldCode(const EqCode& code, int raiseSize);
  WordOutcome writeLine(const std::u16string& text, bool toLineEndFirst);

  WordHolder application_;
  WordHolder document_;
  WordHolder field_;
};

}  // namespace pendrix
