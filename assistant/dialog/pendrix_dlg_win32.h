#pragma once
// The assistant's main dialog: it forwards keys, buttons and clicks to the formula
// editor, redraws the preview, runs the solver and the exercises, and writes into
// Word. No formula rule lives here.

#include <windows.h>

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "dialog/bitmap_tool_button_win32.h"
#include "dialog/exercise_menu_win32.h"
#include "dialog/key_forward_edit_win32.h"
#include "exercises/exercise_command.h"
#include "exercises/exercise_menus.h"
#include "formula/formula_editor.h"
#include "formula/formula_grid.h"
#include "preview/preview_gdi.h"
#include "preview/preview_layout.h"
#include "session/automation_win32.h"
#include "session/profile_store.h"
#include "session/settings.h"
#include "solver/term_evaluator.h"
#include "word/word_output_win32.h"

namespace pendrix {

class CPendrixDlg final : public AutomationSession, private ExerciseView {
 public:
  // `settings` is the process-wide record; it must outlive the dialog.
  CPendrixDlg(HINSTANCE instance, Settings& settings, std::u16string installDirectory);
  ~CPendrixDlg() override;
  CPendrixDlg(const CPendrixDlg&) = delete;
  CPendrixDlg& operator=(const CPendrixDlg&) = delete;

  // Shows the dialog centred, without owner, until the session ends.
  INT_PTR runModal();

  // The automation object's view of the dialog.
  HWND window() const override { return hwnd_; }
  LONG& wordWindowHandle() override { return wordWindowHandle_; }
  LONG& cursorXPos() override { return cursorXPos_; }
  LONG& cursorYPos() override { return cursorYPos_; }
  HRESULT setWordApplication(IDispatch* application) override;
  HRESULT setWordField(IDispatch* field) override;
  void setAutoProxy(CPendrixDlgAutoProxy* proxy) override { autoProxy_ = proxy; }
  void closeSession() override;

 private:
  // The two displays of the exercise area, over their static controls; their numbers
  // show the user's decimal symbol.
  class ControlDisplay final : public SolutionDisplay {
   public:
    explicit ControlDisplay(const HWND& dialog) : dialog_(dialog) {}
    void setDecimalSymbol(char16_t symbol) { decimalSymbol_ = symbol; }
    void setValueText(const std::u16string& text) override;
    void setStatusText(const std::u16string& text) override;

   private:
    void show(int id, const std::u16string& text, std::optional<std::u16string>& shown);

    const HWND& dialog_;
    char16_t decimalSymbol_ = u'.';
    std::optional<std::u16string> value_;
    std::optional<std::u16string> status_;
  };
  // Message boxes owned by the dialog once it exists.
  class DialogNotifier final : public Notifier {
   public:
    explicit DialogNotifier(const HWND& dialog) : dialog_(dialog) {}
    void showInfo(const std::u16string& caption, const std::u16string& text) override;
    bool askYesNo(const std::u16string& caption, const std::u16string& text) override;

   private:
    const HWND& dialog_;
  };
  struct Command {
    int id;
    void (CPendrixDlg::*handler)();
  };
  static const Command kCommands[];

  static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // Set-up of the window, in the order the dialog needs it.
  BOOL onInitDialog();
  void addAboutItem();
  void setUpButtons();
  void setUpComboBoxes();
  void setUpTooltips();

  // Messages.
  void onCommand(int id, int code);
  void runCommand(int id);
  // After every command: typing goes to the key-input edit again.
  void focusKeyInput();
  bool onSystemCommand(WPARAM command, LPARAM character);
  void onPaint();
  void onTimer(UINT_PTR id);
  void finishSetUp();
  void ensureExerciseMenus();
  void comeToFront();
  void onKeyDown(WPARAM key);
  bool onPreviewClick(LPARAM point, bool doubleClick);
  INT_PTR onControlColor(HDC dc);
  void onComboSelection(int id);

  // Commands.
  void onOk();
  void onCancel();
  void onClose();
  void loadField();
  void onTypedCharacter();
  void onFormulaButton(int id);
  void onSolve();
  void onVaryDigits();
  void onNewExercise();
  void buildExerciseFileMenu();
  void onExerciseFileMenu();
  void onChooseFile(int index);
  void onExerciseType() { onChooseFile(-1); }
  void onChooseExercise(int number);
  void onWorksheet();
  HBITMAP exercisePicture(size_t index) const;
  void onInsertFormula();
  void onInsertTextLine();
  void onInsertSolution();

  // ExerciseView.
  void showStatement(const std::u16string& text) override;
  void rememberExerciseNumber(int number) override;
  void solve() override;
  void refresh() override;

  void redrawPreview();
  void runSolver();
  void returnToWord();
  void report(const WordOutcome& outcome);
  bool heldByLiveClient() const;
  // Word's main window, handed over by the client, no longer exists.
  bool wordIsGone() const;
  std::u16string controlText(int id) const;

  HINSTANCE instance_;
  Settings& settings_;
  std::u16string installDirectory_;
  HWND hwnd_ = nullptr;
  CPendrixDlgAutoProxy* autoProxy_ = nullptr;
  // A failure met while serving the client's call, shown once the call has returned.
  WordOutcome deferredFailure_;
  LONG wordWindowHandle_ = 0;
  LONG cursorXPos_ = 0;
  LONG cursorYPos_ = 0;

  UniqueHandle<HICON, DestroyIcon> largeIcon_;
  UniqueHandle<HICON, DestroyIcon> smallIcon_;
  UniqueHandle<HBRUSH, DeleteObject> backgroundBrush_;
  UniqueHandle<HMENU, DestroyMenu> exerciseMenu_;
  PreviewSigns signs_;

  FormulaGrid grid_;
  PreviewLayout layout_;
  WordOutput word_;
  TermEvaluator left_;
  TermEvaluator right_;
  ControlDisplay display_{hwnd_};
  DialogNotifier notifier_{hwnd_};
  FormulaEditor editor_{grid_, settings_, notifier_, display_};
  CrtRandom randomSource_;
  ExerciseRandom random_{randomSource_};
  ExerciseCommand exercise_;
  std::unique_ptr<ProfileStore> exerciseStore_;
  ExerciseMenus menus_;
  bool exerciseMenusBuilt_ = false;
  std::vector<UniqueBitmap> menuPictures_;  // 140, then 141 to 167
  const CExerciseMenu* activeMenu_ = nullptr;
  size_t exerciseItems_ = 0;

  CKeyForwardEdit keyInput_;
  PaintForwardStatic preview_;
  std::array<CBitmapToolButton, 23> buttons_;
};

}  // namespace pendrix
