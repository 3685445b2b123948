// The install directory comes from the class registration under HKEY_CLASSES_ROOT.
#include <gtest/gtest.h>

#include "win32/handles.h"
#include "session/system_win32.h"

namespace pendrix {
namespace {

constexpr char16_t kTestClass[] = u"{3c1f7d2e-9a41-4b8e-a0c4-5e0d8b7f6a11}";

class RegisteredClass : public ::testing::Test {
 protected:
  void TearDown() override { RegDeleteTreeW(HKEY_CLASSES_ROOT, wide(u"CLSID\\" + std::u16string(kTestClass))); }
  void registerServer(const std::u16string& value) {
    UniqueHkey key;
    const std::u16string path = u"CLSID\\" + std::u16string(kTestClass) + u"\\LocalServer32";
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, wide(path), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>((value.size() + 1) * sizeof(char16_t))),
              ERROR_SUCCESS);
  }
};

TEST_F(RegisteredClass, MissingRegistrationGivesNoDirectory) { EXPECT_EQ(findInstallDirectory(kTestClass), u""); }

TEST_F(RegisteredClass, LongValuesAreReadWhole) {
  // Far longer than a 50-character buffer.
  const std::u16string folder = u"C:\\Program Files\\Schulmathematik\\Pendrix Assistent für Word\\Version 1";
  registerServer(u"\"" + folder + u"\\Pendrix.exe\" /Automation");
  EXPECT_EQ(findInstallDirectory(kTestClass), folder);
}

TEST_F(RegisteredClass, ARootFolderProgramGivesTheDrive) {
  registerServer(u"D:\\PENDRIX.EXE");
  EXPECT_EQ(findInstallDirectory(kTestClass), u"D:");
}

TEST(LocaleListSeparator, IsOneCharacterFromTheSystem) {
  const std::u16string separator = userListSeparator();
  ASSERT_EQ(separator.size(), 1u);
}

}  // namespace
}  // namespace pendrix
