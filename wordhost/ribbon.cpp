#include "wordhost/ribbon.h"

#include <msxml2.h>
#include <olectl.h>

#include <cstdio>
#include <set>
#include <string_view>

#include "session/text_codec.h"
#include "win32/handles.h"
#include "win32/late_binding.h"
#include "win32/office_interfaces.h"
#include "wordhost/dispatch_base.h"
#include "wordhost/word_objects.h"

namespace pendrix::wordhost {
namespace {

// MSXML 6.0's DOMDocument, as Office reads its XML with; 3.0's where 6.0 is missing.
constexpr CLSID kDomDocument60 = {0x88D96A05, 0xF192, 0x11D4, {0xA6, 0x5F, 0x00, 0x40, 0x96, 0x32, 0x51, 0xE5}};
constexpr CLSID kDomDocument30 = {0xF5078F32, 0xC551, 0x11D3, {0x89, 0xB9, 0x00, 0x00, 0xF8, 0x1F, 0xE2, 0x21}};

// The schema's lengths: every value at least one character; names and texts up to
// 1024, a key tip up to 3, and in the schema of 2009 a supertip or description up to 4096.
constexpr size_t kMaxText = 1024;
constexpr size_t kMaxKeytip = 3;
constexpr size_t kMaxLongText = 4096;

// Word's customUI schema as far as the host reads it: for each element the attributes
// it may carry and the elements it may hold. `shown` elements become the host's tabs,
// groups and buttons; the others are allowed and passed over (with what they hold).
struct ElementRule {
  std::wstring_view name;
  std::vector<std::wstring_view> attributes;
  std::vector<std::wstring_view> children;
  bool shown;
};

const std::vector<std::wstring_view> kPlacement = {L"insertAfterMso", L"insertBeforeMso", L"insertAfterQ",
                                                   L"insertBeforeQ"};

std::vector<std::wstring_view> join(std::vector<std::wstring_view> a, const std::vector<std::wstring_view>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const std::vector<ElementRule>& rules() {
  static const std::vector<ElementRule> table = {
      {L"customUI", {L"onLoad", L"loadImage"}, {L"commands", L"ribbon", L"backstage", L"contextMenus"}, true},
      {L"ribbon", {L"startFromScratch"}, {L"officeMenu", L"qat", L"tabs", L"contextualTabs"}, true},
      {L"tabs", {}, {L"tab"}, true},
      {L"tab",
       join({L"id", L"idQ", L"idMso", L"tag", L"label", L"getLabel", L"visible", L"getVisible", L"keytip",
             L"getKeytip"},
            kPlacement),
       {L"group"},
       true},
      {L"group",
       join({L"id", L"idQ", L"idMso", L"tag", L"label", L"getLabel", L"image", L"imageMso", L"getImage", L"visible",
             L"getVisible", L"keytip", L"getKeytip", L"screentip", L"getScreentip", L"supertip", L"getSupertip"},
            kPlacement),
       {L"button", L"box", L"buttonGroup", L"checkBox", L"comboBox", L"control", L"dialogBoxLauncher", L"dropDown",
        L"dynamicMenu", L"editBox", L"gallery", L"labelControl", L"menu", L"separator", L"splitButton",
        L"toggleButton"},
       true},
      {L"button",
       join({L"id", L"idQ", L"idMso", L"tag", L"label", L"getLabel", L"size", L"getSize", L"image", L"imageMso",
             L"getImage", L"onAction", L"enabled", L"getEnabled", L"visible", L"getVisible", L"screentip",
             L"getScreentip", L"supertip", L"getSupertip", L"keytip", L"getKeytip", L"showLabel", L"getShowLabel",
             L"showImage", L"getShowImage", L"description", L"getDescription"},
            kPlacement),
       {},
       true},
  };
  return table;
}

const ElementRule* ruleFor(std::wstring_view name) {
  for (const ElementRule& rule : rules())
    if (rule.name == name) return &rule;
  return nullptr;
}

bool contains(const std::vector<std::wstring_view>& names, std::wstring_view name) {
  for (const std::wstring_view known : names)
    if (known == name) return true;
  return false;
}

std::wstring textOf(BSTR text) { return std::wstring(text ? text : L"", SysStringLen(text)); }
std::u16string u16(const std::wstring& text) { return fromWide(text.c_str(), text.size()); }
std::string utf8(const std::wstring& text) { return toUtf8(u16(text)); }

// One element: its attributes by name and its child elements (comments, blanks and
// processing instructions are not part of the customization).
struct Element {
  std::wstring name;
  std::vector<std::pair<std::wstring, std::wstring>> attributes;
  std::vector<ComPtr<IXMLDOMNode>> children;

  const std::wstring* attribute(std::wstring_view wanted) const {
    for (const auto& [name, value] : attributes)
      if (name == wanted) return &value;
    return nullptr;
  }
  std::u16string text(std::wstring_view wanted) const {
    const std::wstring* value = attribute(wanted);
    return value ? u16(*value) : std::u16string();
  }
};

class Reader {
 public:
  CustomUi read(const std::wstring& xml);

 private:
  bool fail(std::string message) {
    if (error_.empty()) error_ = std::move(message);
    return false;
  }
  bool element(IXMLDOMNode* node, Element& out);
  bool checkAttributes(const Element& element, const ElementRule& rule);
  size_t maxLength(std::wstring_view attribute) const;
  bool checkIdentity(const Element& element);
  bool walk(IXMLDOMNode* node, const ElementRule& rule);
  bool readTab(const Element& tab);
  bool readGroup(const Element& group, RibbonTab& tab);
  bool readButton(const Element& button, RibbonGroup& group);

  std::wstring namespace_;
  std::set<std::wstring> ids_;
  std::string error_;
  CustomUi out_;
};

ComPtr<IXMLDOMDocument> newDocument() {
  ComPtr<IXMLDOMDocument> document;
  for (const CLSID& clsid : {kDomDocument60, kDomDocument30})
    if (SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument, document.putVoid())))
      return document;
  return {};
}

bool Reader::element(IXMLDOMNode* node, Element& out) {
  Bstr name, space;
  if (FAILED(node->get_baseName(name.put())) || FAILED(node->get_namespaceURI(space.put())))
    return fail("an element cannot be read");
  out.name = name.str();
  if (space.str() != namespace_) return fail("<" + utf8(out.name) + "> is not in the customUI namespace");
  // The attributes as XPath sees them, without the namespace declarations.
  ComPtr<IXMLDOMNodeList> attributes;
  long count = 0;
  Bstr everyAttribute(L"@*");
  if (FAILED(node->selectNodes(everyAttribute.get(), attributes.put())) || !attributes ||
      FAILED(attributes->get_length(&count)))
    return fail("the attributes of <" + utf8(out.name) + "> cannot be read");
  for (long i = 0; i < count; ++i) {
    ComPtr<IXMLDOMNode> attribute;
    Bstr attributeName;
    Variant value;
    if (FAILED(attributes->get_item(i, attribute.put())) || !attribute ||
        FAILED(attribute->get_nodeName(attributeName.put())) || FAILED(attribute->get_nodeValue(value.put())) ||
        FAILED(VariantChangeType(value.get(), value.get(), 0, VT_BSTR)))
      return fail("an attribute of <" + utf8(out.name) + "> cannot be read");
    const std::wstring full = attributeName.str();
    if (full == L"xmlns" || full.starts_with(L"xmlns:")) continue;  // namespace declarations
    out.attributes.emplace_back(full, textOf(value.get()->bstrVal));
  }
  ComPtr<IXMLDOMNodeList> children;
  if (FAILED(node->get_childNodes(children.put())) || !children || FAILED(children->get_length(&count)))
    return fail("the content of <" + utf8(out.name) + "> cannot be read");
  for (long i = 0; i < count; ++i) {
    ComPtr<IXMLDOMNode> child;
    DOMNodeType type = NODE_INVALID;
    if (FAILED(children->get_item(i, child.put())) || !child || FAILED(child->get_nodeType(&type)))
      return fail("the content of <" + utf8(out.name) + "> cannot be read");
    if (type == NODE_ELEMENT) {
      out.children.push_back(child);
    } else if (type == NODE_TEXT || type == NODE_CDATA_SECTION) {
      Bstr text;
      child->get_text(text.put());
      if (text.str().find_first_not_of(L" \t\r\n") != std::wstring::npos)
        return fail("<" + utf8(out.name) + "> holds text");
    }
  }
  return true;
}

size_t Reader::maxLength(std::wstring_view attribute) const {
  if (attribute == L"keytip") return kMaxKeytip;
  const bool longText = attribute == L"supertip" || attribute == L"description";
  return longText && namespace_ == office::kCustomUiNamespace2009 ? kMaxLongText : kMaxText;
}

bool Reader::checkAttributes(const Element& element, const ElementRule& rule) {
  for (const auto& [name, value] : element.attributes) {
    const std::string where = utf8(name) + " of <" + utf8(element.name) + ">";
    if (!contains(rule.attributes, name)) return fail("unknown attribute " + where);
    if (value.size() > maxLength(name)) return fail(where + " is too long");
    if (value.empty()) return fail(where + " is empty");
    if (name == L"size" && value != L"normal" && value != L"large") return fail(where + " is neither normal nor large");
    const bool flag = name == L"visible" || name == L"enabled" || name == L"showLabel" || name == L"showImage" ||
                      name == L"startFromScratch";
    if (flag && value != L"true" && value != L"false" && value != L"1" && value != L"0")
      return fail(where + " is not a boolean");
  }
  return true;
}

// A tab, group or control names itself by exactly one of id, idQ and idMso; ids are
// unique in the document and names of XML's own kind.
bool Reader::checkIdentity(const Element& element) {
  int names = 0;
  for (const wchar_t* kind : {L"id", L"idQ", L"idMso"}) names += element.attribute(kind) ? 1 : 0;
  if (names != 1) return fail("<" + utf8(element.name) + "> needs exactly one of id, idQ and idMso");
  const std::wstring* id = element.attribute(L"id");
  if (!id) return true;
  const wchar_t first = (*id)[0];
  const bool startsWell = first == L'_' || (first >= L'A' && first <= L'Z') || (first >= L'a' && first <= L'z');
  if (!startsWell || id->find_first_of(L" \t:") != std::wstring::npos) return fail("id \"" + utf8(*id) + "\" is not a name");
  if (!ids_.insert(*id).second) return fail("id \"" + utf8(*id) + "\" is used twice");
  return true;
}

bool Reader::walk(IXMLDOMNode* node, const ElementRule& rule) {
  Element self;
  if (!element(node, self) || !checkAttributes(self, rule)) return false;
  if (self.name == L"tab") return readTab(self);
  if (self.name == L"customUI") out_.loadImage = self.text(L"loadImage");
  for (const ComPtr<IXMLDOMNode>& child : self.children) {
    Element peek;
    if (!element(child.get(), peek)) return false;
    if (!contains(rule.children, peek.name)) return fail("<" + utf8(peek.name) + "> cannot stand in <" + utf8(self.name) + ">");
    const ElementRule* childRule = ruleFor(peek.name);
    if (childRule && !walk(child.get(), *childRule)) return false;
  }
  return true;
}

bool Reader::readTab(const Element& tab) {
  if (!checkIdentity(tab)) return false;
  RibbonTab shown;
  shown.id = tab.text(L"id").empty() ? tab.text(L"idMso") + tab.text(L"idQ") : tab.text(L"id");
  shown.label = tab.attribute(L"label") ? tab.text(L"label") : shown.id;
  for (const ComPtr<IXMLDOMNode>& child : tab.children) {
    Element group;
    if (!element(child.get(), group)) return false;
    if (group.name != L"group") return fail("<" + utf8(group.name) + "> cannot stand in <tab>");
    if (!checkAttributes(group, *ruleFor(L"group")) || !readGroup(group, shown)) return false;
  }
  if (tab.text(L"visible") != u"false" && tab.text(L"visible") != u"0") out_.tabs.push_back(std::move(shown));
  return true;
}

bool Reader::readGroup(const Element& group, RibbonTab& tab) {
  if (!checkIdentity(group)) return false;
  RibbonGroup shown{group.text(L"id"), group.text(L"label"), {}};
  const ElementRule& rule = *ruleFor(L"group");
  for (const ComPtr<IXMLDOMNode>& child : group.children) {
    Element control;
    if (!element(child.get(), control)) return false;
    if (!contains(rule.children, control.name)) return fail("<" + utf8(control.name) + "> cannot stand in <group>");
    // Only buttons are shown; the other controls are checked no further.
    if (control.name == L"button" && (!checkAttributes(control, *ruleFor(L"button")) || !readButton(control, shown)))
      return false;
  }
  tab.groups.push_back(std::move(shown));
  return true;
}

bool Reader::readButton(const Element& button, RibbonGroup& group) {
  if (!checkIdentity(button)) return false;
  if (!button.children.empty()) return fail("<button> holds elements");
  if (button.text(L"visible") == u"false" || button.text(L"visible") == u"0") return true;
  RibbonButton shown;
  shown.id = button.text(L"id");
  shown.label = button.text(L"label");
  shown.tag = button.text(L"tag");
  shown.screentip = button.text(L"screentip");
  shown.supertip = button.text(L"supertip");
  shown.onAction = button.text(L"onAction");
  shown.image = button.text(L"image");
  shown.getImage = button.text(L"getImage");
  shown.large = button.text(L"size") == u"large";
  group.buttons.push_back(std::move(shown));
  return true;
}

CustomUi Reader::read(const std::wstring& xml) {
  const ComPtr<IXMLDOMDocument> document = newDocument();
  if (!document) {
    fail("no DOMDocument of MSXML is registered");
    return {{}, {}, error_};
  }
  document->put_async(VARIANT_FALSE);
  document->put_validateOnParse(VARIANT_FALSE);
  document->put_resolveExternals(VARIANT_FALSE);
  Bstr text(xml.c_str(), static_cast<UINT>(xml.size()));
  VARIANT_BOOL loaded = VARIANT_FALSE;
  ComPtr<IXMLDOMElement> root;
  if (FAILED(document->loadXML(text.get(), &loaded)) || loaded != VARIANT_TRUE ||
      FAILED(document->get_documentElement(root.put())) || !root) {
    ComPtr<IXMLDOMParseError> parseError;
    Bstr reason;
    if (SUCCEEDED(document->get_parseError(parseError.put())) && parseError) parseError->get_reason(reason.put());
    fail("not well-formed XML: " + utf8(reason.str()));
    return {{}, {}, error_};
  }
  Bstr space, name;
  root->get_namespaceURI(space.put());
  root->get_baseName(name.put());
  namespace_ = space.str();
  if (name.str() != L"customUI" ||
      (namespace_ != office::kCustomUiNamespace2006 && namespace_ != office::kCustomUiNamespace2009))
    fail("the document is not a customUI of Word's namespaces");
  else
    walk(root.get(), *ruleFor(L"customUI"));
  if (!error_.empty()) return {{}, {}, error_};
  out_.error.clear();
  return std::move(out_);
}

// The IRibbonControl Word hands its callbacks: the control's id and tag, and the
// window it was used in.
class RibbonControl final : public DispatchObject {
 public:
  RibbonControl(std::shared_ptr<HostState> state, std::u16string id, std::u16string tag)
      : DispatchObject(std::move(state), "RibbonControl"), id_(std::move(id)), tag_(std::move(tag)) {}

  HRESULT id(Invocation& call) { return call.returnString(id_); }
  HRESULT context(Invocation& call) { return call.returnDispatch(createWindow(sharedState()).detach()); }
  HRESULT tag(Invocation& call) { return call.returnString(tag_); }

 protected:
  std::span<const Member> members() const override {
    static const Member kMembers[] = {
        {L"Id", office::kDispidRibbonControlId, kGet, L"", WORDHOST_BIND(RibbonControl, id)},
        {L"Context", office::kDispidRibbonControlContext, kGet, L"", WORDHOST_BIND(RibbonControl, context)},
        {L"Tag", office::kDispidRibbonControlTag, kGet, L"", WORDHOST_BIND(RibbonControl, tag)},
    };
    return kMembers;
  }
  void* furtherInterface(REFIID iid) override {
    return iid == office::kIidRibbonControl ? static_cast<IDispatch*>(this) : nullptr;
  }

 private:
  std::u16string id_;
  std::u16string tag_;
};

// A callback named in the XML, by name on the add-in's IDispatch, with one argument
// (`about` names it in the call log).
HRESULT callBack(HostState& state, IDispatch* callbacks, const std::u16string& name, Variant argument,
                 const std::u16string& about, Variant* result) {
  state.log("Ribbon." + toUtf8(name) + "(" + toUtf8(about) + ")");
  ++state.eventDepth;  // the host does not close under the add-in's feet
  DISPID dispid = DISPID_UNKNOWN;
  const std::wstring wide(name.begin(), name.end());
  HRESULT hr = dispidOf(callbacks, wide.c_str(), &dispid);
  if (SUCCEEDED(hr)) hr = invokeDispid(callbacks, dispid, DISPATCH_METHOD, argument.get(), 1, result);
  --state.eventDepth;
  if (FAILED(hr)) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
    state.log("Ribbon." + toUtf8(name) + " failed " + code);
  }
  return hr;
}

// An IPictureDisp from a callback's result; anything else is no picture.
ComPtr<IDispatch> pictureOf(Variant& result) {
  VARIANT* value = result.get();
  IUnknown* unknown = value->vt == VT_DISPATCH ? value->pdispVal : value->vt == VT_UNKNOWN ? value->punkVal : nullptr;
  ComPtr<IDispatch> picture;
  if (unknown) unknown->QueryInterface(IID_IPictureDisp, picture.putVoid());
  return picture;
}

Variant text(const std::u16string& value) {
  const std::wstring wide(value.begin(), value.end());
  return Variant::fromString(wide.c_str());
}

void loadPictures(const std::shared_ptr<HostState>& state, AddinRibbon& ribbon, const std::u16string& loadImage) {
  std::vector<std::pair<std::u16string, ComPtr<IDispatch>>> loaded;  // Word asks once per image
  for (RibbonTab& tab : ribbon.tabs)
    for (RibbonGroup& group : tab.groups)
      for (RibbonButton& button : group.buttons) {
        Variant result;
        if (!button.getImage.empty()) {
          const ComPtr<RibbonControl> control = makeComObject<RibbonControl>(state, button.id, button.tag);
          if (SUCCEEDED(callBack(*state, ribbon.callbacks.get(), button.getImage,
                                 Variant::fromDispatch(control.get()), button.id, &result)))
            button.picture = pictureOf(result);
          continue;
        }
        if (button.image.empty() || loadImage.empty()) continue;
        for (const auto& [image, picture] : loaded)
          if (image == button.image) button.picture = picture;
        if (button.picture) continue;
        if (SUCCEEDED(callBack(*state, ribbon.callbacks.get(), loadImage, text(button.image), button.image, &result)))
          button.picture = pictureOf(result);
        loaded.emplace_back(button.image, button.picture);
      }
}

}  // namespace

CustomUi readCustomUi(const std::wstring& xml) {
  try {
    return Reader().read(xml);
  } catch (const std::bad_alloc&) {
    return {{}, {}, "out of memory"};
  }
}

void HostRibbon::addRibbon(const std::wstring& progId, const std::wstring& customUi, IDispatch* callbacks) {
  removeRibbon(progId);
  if (customUi.empty()) return;
  state_->log("Ribbon.Add(" + utf8(progId) + ")");
  CustomUi read = readCustomUi(customUi);
  if (!read.ok()) {
    state_->log("Ribbon.Error(" + utf8(progId) + ": " + read.error + ")");
    return;
  }
  AddinRibbon ribbon{u16(progId), ComPtr<IDispatch>(callbacks), std::move(read.tabs)};
  loadPictures(state_, ribbon, read.loadImage);
  state_->ribbons.push_back(std::move(ribbon));
  if (state_->changed) state_->changed();
}

void HostRibbon::removeRibbon(const std::wstring& progId) {
  const std::u16string id = u16(progId);
  std::vector<AddinRibbon> dropped;  // released after the list is consistent
  for (auto it = state_->ribbons.begin(); it != state_->ribbons.end();) {
    if (it->progId != id) {
      ++it;
      continue;
    }
    dropped.push_back(std::move(*it));
    it = state_->ribbons.erase(it);
  }
  if (!dropped.empty() && state_->changed) state_->changed();
}

HRESULT pressRibbonButton(const std::shared_ptr<HostState>& state, const std::u16string& id) {
  const AddinRibbon* owner = nullptr;
  const RibbonButton* button = state->ribbonButton(id, &owner);
  if (!button) return E_INVALIDARG;
  if (button->onAction.empty()) return S_FALSE;
  // Copied: the callback may unload the add-in and with it the button.
  const ComPtr<IDispatch> callbacks = owner->callbacks;
  const std::u16string action = button->onAction;
  const ComPtr<RibbonControl> control = makeComObject<RibbonControl>(state, button->id, button->tag);
  if (!control) return E_OUTOFMEMORY;
  Variant ignored;
  return callBack(*state, callbacks.get(), action, Variant::fromDispatch(control.get()), id, &ignored);
}

std::string pictureSize(IDispatch* picture) {
  ComPtr<IPicture> asPicture;
  OLE_HANDLE handle = 0;
  BITMAP bitmap{};
  if (!picture || FAILED(picture->QueryInterface(IID_IPicture, asPicture.putVoid())) ||
      FAILED(asPicture->get_Handle(&handle)) ||
      !GetObjectW(reinterpret_cast<HGDIOBJ>(static_cast<UINT_PTR>(handle)), sizeof bitmap, &bitmap))
    return {};
  return std::to_string(bitmap.bmWidth) + "x" + std::to_string(bitmap.bmHeight);
}

}  // namespace pendrix::wordhost
