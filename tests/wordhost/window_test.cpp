// The host's windows as the add-in and the assistant find them, and the mouse:
// a click on a bar button fires Click, a double click on a field fires
// WindowBeforeDoubleClick, a click places the selection.

#include <gtest/gtest.h>

#include <ocidl.h>


#include "support/window_picture.h"
#include "win32/office_interfaces.h"
#include "dispatch_helpers.h"
#include "test_sink.h"
#include "wordhost/host_window.h"
#include "wordhost/word_objects.h"

namespace pendrix::wordhost {
namespace {

using namespace testing;

ComPtr<IConnectionPoint> pointOf(IDispatch* source, const IID& iid) {
  ComPtr<IConnectionPointContainer> container;
  ComPtr<IConnectionPoint> point;
  if (SUCCEEDED(source->QueryInterface(IID_IConnectionPointContainer, container.putVoid())))
    container->FindConnectionPoint(iid, point.put());
  return point;
}

POINT centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

TEST(HostWindows, MouseOnBarsAndDocumentFiresTheEvents) {
  const ComPtr<TestSink> sinks[] = {
      makeComObject<TestSink>(office::kIidCommandBarButtonEvents, TestSink::Answers::EventInterface),
      makeComObject<TestSink>(word::kIidApplicationEvents2, TestSink::Answers::DispatchOnly)};
  TestSink& click = *sinks[0].get();
  TestSink& doubleClick = *sinks[1].get();
  auto state = std::make_shared<HostState>();
  ComPtr<IDispatch> app = createApplication(state);
  BarData* bar = state->bars.addBar(u"VoZozu-Diror", office::kMsoBarFloating, false);
  bar->visible = true;
  ButtonData* button = state->bars.addButton(bar->id, 0, 1, 1, u"", false);
  button->caption = u"ZombTerm";
  CallResult found = invoke(get(app.get(), L"CommandBars").get(), L"Item", DISPATCH_METHOD, argList(str(L"VoZozu-Diror")));
  ASSERT_NE(found.object(), nullptr);
  CallResult term = invoke(get(found.object(), L"Controls").get(), L"Item", DISPATCH_METHOD, argList(Variant::fromI4(1)));
  ASSERT_NE(term.object(), nullptr);
  DWORD cookie = 0;
  ASSERT_EQ(pointOf(term.object(), office::kIidCommandBarButtonEvents)->Advise(&click, &cookie), S_OK);
  ASSERT_EQ(pointOf(app.get(), word::kIidApplicationEvents2)->Advise(&doubleClick, &cookie), S_OK);
  state->document.typeText(u"ab ");
  const Selection at = state->document.selection();
  state->document.addField(at.start(), at.end(), u"EQ x");

  HostWindow window(state);
  ASSERT_TRUE(window.create(SW_SHOWNOACTIVATE));
  // As the add-in finds it: the window of Word's class of this process (other tests'
  // Words may lie above it).
  HWND ours = nullptr;
  for (HWND w = nullptr; !ours && (w = FindWindowExW(nullptr, w, kMainWindowClass, nullptr));) {
    DWORD process = 0;
    GetWindowThreadProcessId(w, &process);
    if (process == GetCurrentProcessId()) ours = w;
  }
  EXPECT_EQ(ours, window.mainWindow());
  EXPECT_EQ(FindWindowExW(window.mainWindow(), nullptr, kDocumentWindowClass, nullptr), window.documentWindow());
  RedrawWindow(window.mainWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);

  // The first bar button sits at the left of the bar row.
  SendMessageW(window.mainWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 15));
  EXPECT_EQ(click.calls, 1);
  EXPECT_EQ(click.lastId, office::kDispidClick);

  const std::optional<RECT> b = window.boxOf(1);
  ASSERT_TRUE(b);
  SendMessageW(window.documentWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(b->left + 1, centre(*b).y));
  EXPECT_TRUE(state->document.selection().collapsed());
  EXPECT_EQ(state->document.selection().start(), 1u);

  // Without field codes the field shows its code; a double click on it selects it.
  const FieldSpan f = state->document.fields()[0];
  const std::optional<RECT> code = window.boxOf(f.codeStart() + 2);
  ASSERT_TRUE(code);
  const POINT p = centre(*code);
  SendMessageW(window.documentWindow(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  EXPECT_EQ(doubleClick.calls, 1);
  EXPECT_EQ(doubleClick.lastId, word::kDispidWindowBeforeDoubleClick);
  EXPECT_EQ(state->document.selection().start(), f.begin);
  EXPECT_EQ(state->document.selection().end(), f.end + 1);

  state->document.setShowFieldCodes(true);
  RedrawWindow(window.mainWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  pendrix::testing::saveWindowPicture(window.mainWindow(), L"wordhost-window.bmp");

  // A close that arrives while a sink runs waits until the event has returned.
  bool closed = false;
  window.onClose = [&] { closed = true; };
  const HWND main = window.mainWindow();
  state->eventDepth = 1;
  SendMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_FALSE(closed);
  EXPECT_TRUE(IsWindow(main));
  state->eventDepth = 0;
  for (int i = 0; i < 100 && IsWindow(main); ++i) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(20);
  }
  EXPECT_TRUE(closed);
  EXPECT_FALSE(IsWindow(main));
  state->disconnectAll();
  EXPECT_EQ(click.references(), 1u);
  EXPECT_EQ(doubleClick.references(), 1u);
}

}  // namespace
}  // namespace pendrix::wordhost
