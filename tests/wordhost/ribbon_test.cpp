// The stand-in as a ribbon-era Word: an add-in's customUI XML read with MSXML and held
// to Word's schema, the pictures asked from the add-in's callbacks, the tab shown in the
// main window, and a click on a button reaching its onAction callback with an
// IRibbonControl.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <olectl.h>

#include <string>
#include <vector>

#include "dispatch_helpers.h"
#include "support/process_win32.h"
#include "support/window_picture.h"
#include "win32/com_object.h"
#include "win32/late_binding.h"
#include "win32/office_interfaces.h"
#include "wordhost/host_window.h"
#include "wordhost/ribbon.h"
#include "wordhost/word_objects.h"

namespace pendrix::wordhost {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

std::wstring customUi(const std::wstring& nameSpace, const std::wstring& controls) {
  return L"<customUI xmlns=\"" + nameSpace + L"\" loadImage=\"LoadImage\"><ribbon><tabs>"
         L"<tab id=\"T\" label=\"Mathe\"><group id=\"G\" label=\"Formeln\">" +
         controls + L"</group></tab></tabs></ribbon></customUI>";
}

const std::wstring kTwoButtons =
    L"<!-- die beiden Knöpfe -->\n"
    L"  <button id=\"Gross\" label=\"Groß\" size=\"large\" image=\"bild\" onAction=\"OnPress\" tag=\"t1\"\n"
    L"          screentip=\"Groß: Formel\" supertip=\"Öffnet den Assistenten.\"/>\n"
    L"  <button id=\"Klein\" label=\"Klein\" image=\"bild\" onAction=\"OnPress\"/>\n";

TEST(CustomUi, ReadsTheTabsOfEitherSchema) {
  for (const wchar_t* nameSpace : {office::kCustomUiNamespace2006, office::kCustomUiNamespace2009}) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(nameSpace)));
    const CustomUi read = readCustomUi(customUi(nameSpace, kTwoButtons));
    ASSERT_TRUE(read.ok()) << read.error;
    EXPECT_EQ(read.loadImage, u"LoadImage");
    ASSERT_EQ(read.tabs.size(), 1u);
    EXPECT_EQ(read.tabs[0].label, u"Mathe");
    ASSERT_EQ(read.tabs[0].groups.size(), 1u);
    EXPECT_EQ(read.tabs[0].groups[0].label, u"Formeln");
    const auto& buttons = read.tabs[0].groups[0].buttons;
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(buttons[0].id, u"Gross");
    EXPECT_EQ(buttons[0].label, u"Groß");
    EXPECT_TRUE(buttons[0].large);
    EXPECT_EQ(buttons[0].tag, u"t1");
    EXPECT_EQ(buttons[0].screentip, u"Groß: Formel");
    EXPECT_EQ(buttons[0].supertip, u"Öffnet den Assistenten.");
    EXPECT_EQ(buttons[0].onAction, u"OnPress");
    EXPECT_FALSE(buttons[1].large);
    EXPECT_EQ(buttons[1].image, u"bild");
  }
  // Controls the host does not show are allowed, and an invisible button is not shown.
  const CustomUi other = readCustomUi(customUi(office::kCustomUiNamespace2006,
                                               L"<separator id=\"S\"/><toggleButton id=\"U\" label=\"u\"/>"
                                               L"<button id=\"V\" label=\"v\" visible=\"false\"/>"));
  ASSERT_TRUE(other.ok()) << other.error;
  EXPECT_THAT(other.tabs[0].groups[0].buttons, IsEmpty());
}

// Word shows nothing of an add-in whose customization breaks the schema.
TEST(CustomUi, RefusesWhatWordRefuses) {
  const std::wstring ns = office::kCustomUiNamespace2006;
  const std::wstring longLabel(1025, L'x');
  const std::wstring longSupertip(2000, L'x');
  const struct {
    const char* what;
    std::wstring xml;
  } cases[] = {
      {"not well-formed", L"<customUI xmlns=\"" + ns + L"\"><ribbon>"},
      {"another root", L"<ribbon xmlns=\"" + ns + L"\"/>"},
      {"another namespace", customUi(L"http://example.org/ui", kTwoButtons)},
      {"no namespace", L"<customUI><ribbon/></customUI>"},
      {"an unknown attribute", customUi(ns, L"<button id=\"A\" colour=\"red\"/>")},
      {"an unknown element", customUi(ns, L"<knopf id=\"A\"/>")},
      {"a button without id", customUi(ns, L"<button label=\"a\"/>")},
      {"a button with id and idMso", customUi(ns, L"<button id=\"A\" idMso=\"Copy\"/>")},
      {"an id used twice", customUi(ns, L"<button id=\"A\"/><button id=\"A\"/>")},
      {"an id that is no name", customUi(ns, L"<button id=\"1 A\"/>")},
      {"a size of its own", customUi(ns, L"<button id=\"A\" size=\"huge\"/>")},
      {"an empty callback", customUi(ns, L"<button id=\"A\" onAction=\"\"/>")},
      {"a label over 1024 characters", customUi(ns, L"<button id=\"A\" label=\"" + longLabel + L"\"/>")},
      {"a supertip over 1024 characters in the schema of 2006",
       customUi(ns, L"<button id=\"A\" supertip=\"" + longSupertip + L"\"/>")},
      {"an empty label", customUi(ns, L"<button id=\"A\" label=\"\"/>")},
      {"a key tip of four characters", customUi(ns, L"<button id=\"A\" keytip=\"ABCD\"/>")},
      {"text in a group", customUi(ns, L"Hallo<button id=\"A\"/>")},
      {"an element in a button", customUi(ns, L"<button id=\"A\"><button id=\"B\"/></button>")},
      {"a visible that is no boolean", customUi(ns, L"<button id=\"A\" visible=\"ja\"/>")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const CustomUi read = readCustomUi(c.xml);
    EXPECT_FALSE(read.ok());
    EXPECT_THAT(read.tabs, IsEmpty());
  }
  // The schema of 2009 allows a supertip of up to 4096 characters.
  const std::wstring supertip(4096, L'x');
  EXPECT_TRUE(readCustomUi(customUi(office::kCustomUiNamespace2009, L"<button id=\"A\" supertip=\"" + supertip + L"\"/>")).ok());
  EXPECT_FALSE(
      readCustomUi(customUi(office::kCustomUiNamespace2009, L"<button id=\"A\" supertip=\"" + supertip + L"x\"/>")).ok());
}

// An add-in's callbacks: OnPress records the IRibbonControl it is handed, LoadImage and
// GetImage answer with pictures of 16 and 32 pixels.
class Callbacks final : public pendrix::DispatchObject<Callbacks> {
 public:
  static std::span<const DispatchMember<Callbacks>> members() {
    static constexpr DispatchMember<Callbacks> table[] = {
        {L"OnPress", 1, DISPATCH_METHOD, &Callbacks::onPress},
        {L"LoadImage", 2, DISPATCH_METHOD, &Callbacks::loadImage},
        {L"GetImage", 3, DISPATCH_METHOD, &Callbacks::getImage},
    };
    return table;
  }

  HRESULT onPress(DispatchCall& call) {
    ComPtr<IDispatch> control;
    PENDRIX_RETURN_IF_FAILED(call.objectArg(0, control));
    ComPtr<IDispatch> typed;
    if (FAILED(control.as(office::kIidRibbonControl, typed))) return E_NOINTERFACE;
    Bstr id, tag;
    getTextByName(control.get(), L"Id", id);
    getTextByName(control.get(), L"Tag", tag);
    ComPtr<IDispatch> context;
    const bool window = SUCCEEDED(getObjectByName(control.get(), L"Context", context)) && context;
    pressed.push_back(id.str() + L"/" + tag.str() + (window ? L"/window" : L""));
    return S_OK;
  }
  HRESULT loadImage(DispatchCall& call) {
    Variant name;
    PENDRIX_RETURN_IF_FAILED(call.arg(0, VT_BSTR, name));
    loaded.push_back(name.get()->bstrVal);
    return call.returnValue(Variant::fromDispatch(picture(16).get()));
  }
  HRESULT getImage(DispatchCall& call) { return call.returnValue(Variant::fromDispatch(picture(32).get())); }

  std::vector<std::wstring> pressed;
  std::vector<std::wstring> loaded;

 private:
  static ComPtr<IDispatch> picture(int size) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    PICTDESC description{};
    description.cbSizeofstruct = sizeof description;
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ComPtr<IDispatch> out;
    OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE, out.putVoid());
    return out;
  }
};

class HostRibbonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state_ = std::make_shared<HostState>();
    state_->ui = HostUi::Ribbon;
    callbacks_ = makeComObject<Callbacks>();
  }
  void add(const std::wstring& controls) {
    HostRibbon(state_).addRibbon(L"Test.Addin", customUi(office::kCustomUiNamespace2009, controls),
                                 static_cast<IDispatch*>(callbacks_.get()));
  }
  std::string log() const {
    std::string all;
    for (const std::string& line : state_->callLog) all += line + "\n";
    return all;
  }

  std::shared_ptr<HostState> state_;
  ComPtr<Callbacks> callbacks_;
};

TEST_F(HostRibbonTest, TakesTheTabWithItsPicturesAndPressesAButton) {
  add(kTwoButtons + L"<button id=\"Eigen\" label=\"Eigen\" getImage=\"GetImage\" onAction=\"Fehlt\"/>");
  ASSERT_EQ(state_->ribbons.size(), 1u) << log();
  EXPECT_THAT(callbacks_->loaded, ElementsAre(L"bild")) << "Word asks once for each image";
  const std::string dump = documentDump(*state_);
  EXPECT_THAT(dump, HasSubstr(R"("ribbon":[{"progId":"Test.Addin","tabs":[{"id":"T","label":"Mathe","groups":[)"
                              R"({"id":"G","label":"Formeln","buttons":[{"id":"Gross","label":"Gro\u00df",)"
                              R"("size":"large","screentip":"Gro\u00df: Formel","supertip":"\u00d6ffnet den Assistenten.",)"
                              R"("onAction":"OnPress","picture":"16x16"})"));
  EXPECT_THAT(dump, HasSubstr(R"("id":"Eigen","label":"Eigen","size":"normal","screentip":"","supertip":"",)"
                              R"("onAction":"Fehlt","picture":"32x32"})"));

  EXPECT_EQ(pressRibbonButton(state_, u"Gross"), S_OK);
  EXPECT_EQ(pressRibbonButton(state_, u"Klein"), S_OK);
  EXPECT_THAT(callbacks_->pressed, ElementsAre(L"Gross/t1/window", L"Klein//window"));
  EXPECT_EQ(pressRibbonButton(state_, u"Eigen"), DISP_E_UNKNOWNNAME) << "a callback the add-in does not have";
  EXPECT_EQ(pressRibbonButton(state_, u"Nirgends"), E_INVALIDARG);
  EXPECT_THAT(log(), HasSubstr("Ribbon.LoadImage(bild)\nRibbon.GetImage(Eigen)\nRibbon.OnPress(Gross)\n"));
  EXPECT_THAT(log(), HasSubstr("Ribbon.Fehlt(Eigen)\nRibbon.Fehlt failed 0x80020006\n"));

  HostRibbon(state_).removeRibbon(L"Test.Addin");
  EXPECT_THAT(state_->ribbons, IsEmpty());
}

TEST_F(HostRibbonTest, ARefusedCustomizationLeavesTheAddinWithoutTab) {
  add(L"<button id=\"A\" colour=\"red\"/>");
  EXPECT_THAT(state_->ribbons, IsEmpty());
  EXPECT_THAT(log(), HasSubstr("Ribbon.Error(Test.Addin: unknown attribute colour of <button>)"));
  EXPECT_THAT(callbacks_->loaded, IsEmpty());
}

// The tab in the window; a real click on its large button presses it.
TEST_F(HostRibbonTest, TheWindowShowsTheTabAndAClickPressesItsButton) {
  ComPtr<IDispatch> app = createApplication(state_);
  HostWindow window(state_);
  ASSERT_TRUE(window.create(SW_SHOWNORMAL));
  state_->changed = [&window] { window.refresh(); };
  add(kTwoButtons);
  SetForegroundWindow(window.mainWindow());
  RedrawWindow(window.mainWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  pendrix::testing::saveWindowPicture(window.mainWindow(), L"wordhost-ribbon.bmp");

  const std::optional<RECT> button = window.ribbonButtonRect(u"Gross");
  ASSERT_TRUE(button) << "the tab does not show";
  POINT target{(button->left + button->right) / 2, (button->top + button->bottom) / 2};
  ClientToScreen(window.mainWindow(), &target);
  ASSERT_TRUE(pendrix::testing::movePointerTo(target));
  INPUT clicks[2] = {};
  clicks[0].type = clicks[1].type = INPUT_MOUSE;
  clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ASSERT_EQ(SendInput(2, clicks, sizeof(INPUT)), 2u);
  EXPECT_TRUE(pendrix::testing::waitUntil([&] {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    return !callbacks_->pressed.empty();
  })) << "the click did not reach the callback";
  EXPECT_THAT(callbacks_->pressed, ElementsAre(L"Gross/t1/window"));
  state_->changed = nullptr;
  state_->disconnectAll();
}

}  // namespace
}  // namespace pendrix::wordhost
