#pragma once
// Class ids shared by the assistant, the add-in, the stand-in symbol tool and the
// registration tools. Fixed for all versions: Word's add-in key and existing
// registrations name them.

#include <guiddef.h>

namespace pendrix {

struct ClassId {
  unsigned long data1;
  unsigned short data2, data3;
  unsigned char data4[8];
};

// "Pendrix.Application", the assistant's automation object (local server).
inline constexpr ClassId kAssistantAppId = {
    0x46d16249, 0xe359, 0x45fe, {0x91, 0x94, 0x4c, 0x64, 0xf7, 0x52, 0x50, 0xa0}};
inline constexpr char16_t kAssistantAppKey[] = u"{46d16249-e359-45fe-9194-4c64f75250a0}";
inline constexpr char16_t kAssistantProgId[] = u"Pendrix.Application";

// "Glyphor.ZombAddin", the Word add-in (in-process server).
inline constexpr ClassId kZombAddinId = {
    0x100a5e43, 0x4b01, 0x4b37, {0x92, 0xad, 0xca, 0xa7, 0xca, 0xe4, 0x4c, 0x78}};
inline constexpr char16_t kZombAddinKey[] = u"{100a5e43-4b01-4b37-92ad-caa7cae44c78}";
inline constexpr char16_t kZombAddinProgId[] = u"Glyphor.ZombAddin";

// The outside symbol tool (a stand-in ships with the Word stand-in host).
inline constexpr ClassId kSymbolAppId = {
    0x8b0f775e, 0x3918, 0x46c2, {0xb4, 0x68, 0x08, 0xd7, 0x85, 0xf2, 0xda, 0x26}};
inline constexpr char16_t kSymbolAppKey[] = u"{8b0f775e-3918-46c2-b468-08d785f2da26}";

inline CLSID toClsid(const ClassId& id) {
  CLSID clsid{id.data1, id.data2, id.data3, {}};
  for (int i = 0; i < 8; ++i) clsid.Data4[i] = id.data4[i];
  return clsid;
}

}  // namespace pendrix
