#pragma once
// The Office and Word interfaces, IIDs and DISPIDs that the assistant, the add-in
// and the Word stand-in meet on. Word has no headers for these in MinGW, and the
// add-in designer's type library is not installed, so they are declared here from
// their published IIDs and slot order.

#include <windows.h>
#include <oaidl.h>

namespace pendrix::office {

enum ExtConnectMode : int { kAfterStartup = 0, kStartup = 1, kExternal = 2, kCommandLine = 3 };
enum ExtDisconnectMode : int { kHostShutdown = 0, kUserClosed = 1 };

// {B65AD801-ABAF-11D0-BB8B-00A0C90F2744}
inline constexpr IID kIidDTExtensibility2 = {
    0xB65AD801, 0xABAF, 0x11D0, {0xBB, 0x8B, 0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x44}};

// Dual: these follow IDispatch's four slots, as DISPIDs 1 to 5.
struct IDTExtensibility2 : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* application, int connectMode,
                                                 IDispatch* addInInst, SAFEARRAY** custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnDisconnection(int removeMode, SAFEARRAY** custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) = 0;
};

inline constexpr DISPID kDispidOnConnection = 1;
inline constexpr DISPID kDispidOnDisconnection = 2;
inline constexpr DISPID kDispidOnAddInsUpdate = 3;
inline constexpr DISPID kDispidOnStartupComplete = 4;
inline constexpr DISPID kDispidOnBeginShutdown = 5;

// Office command bars: dual, called late-bound by name.
inline constexpr IID kIidCommandBars = {
    0x000C0302, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kIidCommandBar = {
    0x000C0304, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kIidCommandBarControls = {
    0x000C0306, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kIidCommandBarControl = {
    0x000C0308, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kIidCommandBarButton = {
    0x000C030E, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// _CommandBarButtonEvents: Click is DISPID 1 with (Ctrl, CancelDefault by reference);
// in DISPPARAMS rgvarg[1] is Ctrl and rgvarg[0] CancelDefault.
inline constexpr IID kIidCommandBarButtonEvents = {
    0x000C0351, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr DISPID kDispidClick = 1;

// Office's command-bar DISPIDs differ between versions, so callers use the names;
// these are the numbers the Word stand-in answers them with.
inline constexpr DISPID kDispidBarsItem = 0;
inline constexpr DISPID kDispidBarsCount = 1;
inline constexpr DISPID kDispidBarsAdd = 2;
inline constexpr DISPID kDispidBarControls = 1;
inline constexpr DISPID kDispidBarVisible = 2;
inline constexpr DISPID kDispidBarName = 3;
inline constexpr DISPID kDispidBarPosition = 4;
inline constexpr DISPID kDispidBarDelete = 5;
inline constexpr DISPID kDispidControlsItem = 0;
inline constexpr DISPID kDispidControlsCount = 1;
inline constexpr DISPID kDispidControlsAdd = 2;
inline constexpr DISPID kDispidButtonCaption = 1;
inline constexpr DISPID kDispidButtonTag = 2;
inline constexpr DISPID kDispidButtonParameter = 3;
inline constexpr DISPID kDispidButtonEnabled = 4;
inline constexpr DISPID kDispidButtonStyle = 5;
inline constexpr DISPID kDispidButtonFaceId = 6;
inline constexpr DISPID kDispidButtonId = 7;
inline constexpr DISPID kDispidButtonType = 8;
inline constexpr DISPID kDispidButtonDelete = 9;
inline constexpr DISPID kDispidButtonExecute = 10;

// The ribbon (Office 2007 and later). A COM add-in that offers one answers
// IRibbonExtensibility, a dual interface whose one method, GetCustomUI (DISPID 1, the
// first slot after IDispatch's), returns the customUI XML for a ribbon id; Office calls
// it through the vtable once the add-in is connected. The XML names the add-in's
// callbacks, which Office calls through the add-in's IDispatch by name: onAction with
// the IRibbonControl of the control, loadImage with an image's name (the result an
// IPictureDisp).
inline constexpr IID kIidRibbonExtensibility = {
    0x000C0396, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct IRibbonExtensibility : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE GetCustomUI(BSTR ribbonId, BSTR* ribbonXml) = 0;
};

inline constexpr DISPID kDispidGetCustomUI = 1;

// IRibbonControl, dual: Id (1), Context (2, the window), Tag (3), all read-only.
inline constexpr IID kIidRibbonControl = {
    0x000C0395, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr DISPID kDispidRibbonControlId = 1;
inline constexpr DISPID kDispidRibbonControlContext = 2;
inline constexpr DISPID kDispidRibbonControlTag = 3;

// Word's one ribbon id, and the two customUI namespaces (Office 2007, Office 2010 and later).
inline constexpr wchar_t kWordRibbonId[] = L"Microsoft.Word.Document";
inline constexpr wchar_t kCustomUiNamespace2006[] = L"http://schemas.microsoft.com/office/2006/01/customui";
inline constexpr wchar_t kCustomUiNamespace2009[] = L"http://schemas.microsoft.com/office/2009/07/customui";

// Office 2007 is version 12, the first with a ribbon; Word 2003 is 11.
inline constexpr int kFirstRibbonVersion = 12;

inline constexpr int kMsoBarFloating = 4;
inline constexpr int kMsoControlButton = 1;
inline constexpr int kMsoButtonIcon = 1;

}  // namespace pendrix::office

namespace pendrix::word {

// Word.Application, as registered in the running object table.
inline constexpr CLSID kClsidApplication = {
    0x000209FF, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kIidApplication = {
    0x00020970, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Application events; WindowBeforeDoubleClick is DISPID 14 in all three, with
// (Sel, Cancel by reference).
inline constexpr IID kIidApplicationEvents2 = {
    0x000209FE, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kIidApplicationEvents3 = {
    0x00020A00, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kIidApplicationEvents4 = {
    0x00020A01, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr DISPID kDispidWindowBeforeDoubleClick = 14;

inline constexpr DISPID kDispidApplication = 1000;
inline constexpr DISPID kDispidActiveDocument = 3;
inline constexpr DISPID kDispidActiveWindow = 4;
inline constexpr DISPID kDispidSelection = 5;
inline constexpr DISPID kDispidDocumentFields = 20;
inline constexpr DISPID kDispidFieldsAdd = 105;
inline constexpr DISPID kDispidFieldsCount = 1;
inline constexpr DISPID kDispidFieldsItem = 0;
inline constexpr DISPID kDispidFieldCode = 0;
inline constexpr DISPID kDispidFieldSelect = 0xFFFF;
inline constexpr DISPID kDispidFieldType = 1;
inline constexpr DISPID kDispidDocumentContent = 1;
inline constexpr DISPID kDispidSelectionText = 0;
inline constexpr DISPID kDispidSelectionStart = 3;
inline constexpr DISPID kDispidSelectionEnd = 4;
inline constexpr DISPID kDispidSelectionFont = 5;
// Word's Selection.Fields is reached by name; the stand-in answers it with this.
inline constexpr DISPID kDispidSelectionFields = 64;
inline constexpr DISPID kDispidSelectionRange = 400;
inline constexpr DISPID kDispidMoveLeft = 500;
inline constexpr DISPID kDispidMoveRight = 501;
inline constexpr DISPID kDispidEndKey = 505;
inline constexpr DISPID kDispidTypeText = 0x1FB;
inline constexpr DISPID kDispidTypeParagraph = 512;
// Selection.InsertBreak(Type as a VARIANT by reference, optional).
inline constexpr DISPID kDispidInsertBreak = 122;
inline constexpr DISPID kDispidRangeText = 0;
inline constexpr DISPID kDispidRangeStart = 3;
inline constexpr DISPID kDispidRangeEnd = 4;
inline constexpr DISPID kDispidWindowSelection = 5;
inline constexpr DISPID kDispidWindowView = 14;
inline constexpr DISPID kDispidShowFieldCodes = 4;
inline constexpr DISPID kDispidFontSize = 141;
// Application.UndoRecord (Word 2010 and later) and its members; the object is dual.
inline constexpr IID kIidUndoRecord = {
    0xE598E358, 0x2852, 0x42D4, {0x87, 0x75, 0x16, 0x0B, 0xD9, 0x1B, 0x72, 0x44}};
inline constexpr DISPID kDispidUndoRecord = 0x1E6;
inline constexpr DISPID kDispidStartCustomRecord = 1;
inline constexpr DISPID kDispidEndCustomRecord = 2;
inline constexpr DISPID kDispidIsRecordingCustomRecord = 3;
inline constexpr DISPID kDispidCustomRecordName = 4;
inline constexpr DISPID kDispidCustomRecordLevel = 5;

inline constexpr int kWdCharacter = 1;
inline constexpr int kWdLine = 5;
inline constexpr int kWdMove = 0;
inline constexpr int kWdExtend = 1;
inline constexpr int kWdFieldEmpty = -1;
inline constexpr int kWdPageBreak = 7;

}  // namespace pendrix::word
