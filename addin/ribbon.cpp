#include "ribbon.h"

#include <olectl.h>

#include "addin_resources.h"
#include "win32/office_interfaces.h"

namespace pendrix::addin {
namespace {

// Word's own schema of 2006, which every ribbon-era Word reads. "ZombTerm" is the
// large button; the screen tips say in German what each button opens.
constexpr wchar_t kCustomUi[] = LR"(<customUI xmlns="http://schemas.microsoft.com/office/2006/01/customui" loadImage="LoadImage">
  <ribbon>
    <tabs>
      <tab id="PendrixTab" label="Pendrix">
        <group id="PendrixFormeln" label="Formeln">
          <button id="ZombTerm" label="ZombTerm" size="large" image="ZombTerm" onAction="OnZombTerm"
                  screentip="ZombTerm: Formel schreiben"
                  supertip="Öffnet Pendrix: eine Formel oder Gleichung aufbauen, berechnen und als Formelfeld in das Dokument schreiben. Ein Doppelklick auf ein Formelfeld öffnet es zum Bearbeiten."/>
          <button id="ZbGlyphor" label="ZbGlyphor" size="normal" image="ZbGlyphor" onAction="OnZbGlyphor"
                  screentip="ZbGlyphor: Sonderzeichen"
                  supertip="Öffnet die Symboltabelle: ein angeklicktes mathematisches Zeichen kommt an die Einfügemarke."/>
        </group>
      </tab>
    </tabs>
  </ribbon>
</customUI>)";

struct Picture {
  const wchar_t* imageId;
  int resource;
};
constexpr Picture kPictures[] = {{L"ZombTerm", IDB_RIBBON_TERM}, {L"ZbGlyphor", IDB_RIBBON_SYMBOLS}};

// The module this code lies in, the add-in's DLL: its resources hold the pictures.
HMODULE thisModule() {
  static const char marker = 0;
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&marker), &module);
  return module;
}

}  // namespace

std::wstring customUiFor(std::wstring_view ribbonId) {
  return ribbonId == office::kWordRibbonId ? std::wstring(kCustomUi) : std::wstring();
}

ComPtr<IDispatch> ribbonPicture(std::wstring_view imageId) {
  const Picture* wanted = nullptr;
  for (const Picture& picture : kPictures)
    if (imageId == picture.imageId) wanted = &picture;
  if (!wanted) return {};
  // A DIB section keeps the alpha channel the ribbon draws the picture with.
  const auto bitmap = static_cast<HBITMAP>(
      LoadImageW(thisModule(), MAKEINTRESOURCEW(wanted->resource), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!bitmap) return {};
  PICTDESC description{};
  description.cbSizeofstruct = sizeof description;
  description.picType = PICTYPE_BITMAP;
  description.bmp.hbitmap = bitmap;
  ComPtr<IDispatch> picture;
  // From here on the picture owns the bitmap.
  if (FAILED(OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE, picture.putVoid()))) {
    DeleteObject(bitmap);
    return {};
  }
  return picture;
}

}  // namespace pendrix::addin
