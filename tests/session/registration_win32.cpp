// The assistant's class registration: machine-wide where it may, per user where a
// pupil without administrator rights starts it, and found again either way.
#include <gtest/gtest.h>

#include "session/registration_win32.h"
#include "session/system_win32.h"
#include "win32/class_ids.h"
#include "win32/handles.h"

namespace pendrix {
namespace {

std::u16string defaultValue(HKEY root, const std::u16string& path) {
  wchar_t value[512] = {};
  DWORD bytes = sizeof value;
  if (RegGetValueW(root, wide(path), nullptr, RRF_RT_REG_SZ, nullptr, value, &bytes) != ERROR_SUCCESS) return u"";
  return fromWide(value);
}

// The predefined roots point at keys of the test's own for the test's duration, so
// the machine's registration stays untouched.
class Registration : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\PendrixTest\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, classes_.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\PendrixTest\\User", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, user_.put(), nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    classes_.reset();
    user_.reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\PendrixTest");
  }

  UniqueHkey classes_;
  UniqueHkey user_;
};

TEST_F(Registration, MachineWideWhenAllowed) {
  ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, classes_.get()), ERROR_SUCCESS);
  ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, user_.get()), ERROR_SUCCESS);
  const std::u16string server = u"C:\\PROGRA~1\\Pendrix\\PENDRIX.EXE";
  EXPECT_EQ(registerAssistantClass(server), RegistrationScope::Machine);
  const std::u16string clsid = u"CLSID\\" + std::u16string(kAssistantAppKey);
  EXPECT_EQ(defaultValue(HKEY_CLASSES_ROOT, clsid + u"\\LocalServer32"), server);
  EXPECT_EQ(defaultValue(HKEY_CLASSES_ROOT, clsid + u"\\ProgID"), kAssistantProgId);
  EXPECT_EQ(defaultValue(HKEY_CLASSES_ROOT, u"Pendrix.Application\\CLSID"), kAssistantAppKey);
  EXPECT_EQ(findInstallDirectory(), u"C:\\PROGRA~1\\Pendrix");
  // A second start writes the same again, over an older path.
  EXPECT_EQ(registerAssistantClass(u"D:\\Neu\\PENDRIX.EXE"), RegistrationScope::Machine);
  EXPECT_EQ(findInstallDirectory(), u"D:\\Neu");
}

TEST_F(Registration, PerUserWhenTheMachineClassesCannotBeWritten) {
  // A root that refuses every write stands for the machine key a pupil may not change.
  const HKEY refusing = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x7654321));
  ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, classes_.get()), ERROR_SUCCESS);
  ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, user_.get()), ERROR_SUCCESS);
  EXPECT_EQ(registerAssistantClass(u"C:\\Users\\Schueler\\Pendrix\\Pendrix.exe", refusing, HKEY_CURRENT_USER),
            RegistrationScope::User);
  const std::u16string clsid = u"Software\\Classes\\CLSID\\" + std::u16string(kAssistantAppKey);
  EXPECT_EQ(defaultValue(HKEY_CURRENT_USER, clsid + u"\\LocalServer32"), u"C:\\Users\\Schueler\\Pendrix\\Pendrix.exe");
  EXPECT_EQ(defaultValue(HKEY_CLASSES_ROOT, u"CLSID\\" + std::u16string(kAssistantAppKey) + u"\\LocalServer32"), u"");
  // The per-user registration wins, as Windows shows it through HKEY_CLASSES_ROOT.
  EXPECT_EQ(findInstallDirectory(), u"C:\\Users\\Schueler\\Pendrix");
  EXPECT_EQ(registerAssistantClass(u"C:\\x.exe", refusing, refusing), RegistrationScope::None);
}

TEST(ServerPath, NamesThisProgramInItsShortForm) {
  const std::u16string path = serverPathOfThisProgram();
  ASSERT_FALSE(path.empty());
  EXPECT_NE(GetFileAttributesW(wide(path)), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace pendrix
