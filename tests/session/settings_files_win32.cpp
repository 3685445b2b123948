// Settings files the system's own profile functions meet: a read-only file, or one
// another program holds open, keeps every byte while the choices hold for the run; a
// read-only folder does not stop the system from writing, and nothing is lost.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "win32/handles.h"
#include "session/settings.h"
#include "session/system_win32.h"
#include "support/settings_bounds.h"

namespace pendrix {
namespace {

namespace fs = std::filesystem;

using UniqueFile = UniqueHandle<HANDLE, CloseHandle>;

// The open file, or an empty owner when it cannot be opened so.
UniqueFile openFile(const fs::path& path, DWORD access, DWORD sharing) {
  const HANDLE file = CreateFileW(path.c_str(), access, sharing, nullptr, OPEN_EXISTING, 0, nullptr);
  return UniqueFile(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

struct SilentNotifier : Notifier {
  int shown = 0;
  void showInfo(const std::u16string&, const std::u16string&) override { ++shown; }
  bool askYesNo(const std::u16string&, const std::u16string&) override { return true; }
};

class ReadOnlySettings : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / "pendrix-read-only-settings" / "Einstellung";
    fs::remove_all(dir_.parent_path());
    fs::create_directories(dir_);
    file_ = dir_ / "WordZomb.ini";
    std::ofstream(file_, std::ios::binary) << kBytes;
  }
  void TearDown() override {
    SetFileAttributesW(file_.c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesW(dir_.c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(dir_.parent_path());
  }
  std::string bytes() const {
    std::ifstream in(file_, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  void expectUnwritten();
  void load(Settings& settings) { settings.load(*store_, file_.u16string(), notifier_, [] { return u","; }); }

  static constexpr char kBytes[] = "[EINSTELLUNGEN]\r\nMalPunkt=2\r\nEigenes=behalten\r\n";
  fs::path dir_, file_;
  std::unique_ptr<ProfileStore> store_ = makeWin32ProfileStore();
  SilentNotifier notifier_;
};

// Writes fail: the choices hold for the run and the file keeps every byte.
void ReadOnlySettings::expectUnwritten() {
  Settings settings;
  load(settings);  // the separator is undecided: asked, but it cannot be stored
  EXPECT_EQ(settings->listSeparator, u',');
  EXPECT_EQ(settings->wordTimes, u'\u2022');
  EXPECT_FALSE(settings.setBracketChoice(1));
  EXPECT_EQ(settings->bracketOpen, u'{');
  EXPECT_FALSE(settings.setExercisePath(u"C:\\Übungen\\Brüche.wrx"));
  EXPECT_EQ(settings->exercisePath, u"C:\\Übungen\\Brüche.wrx");
  EXPECT_EQ(testing::settingsRecordBreach(settings.record()), "");
  EXPECT_EQ(bytes(), kBytes);
}

TEST_F(ReadOnlySettings, AReadOnlyFileKeepsItsBytes) {
  ASSERT_TRUE(SetFileAttributesW(file_.c_str(), FILE_ATTRIBUTE_READONLY));
  const UniqueFile writer = openFile(file_, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  if (writer) GTEST_SKIP() << "this user may write read-only files (Wine run by root)";
  expectUnwritten();
}

TEST_F(ReadOnlySettings, AFileAnotherProgramHoldsKeepsItsBytes) {
  const UniqueFile holder = openFile(file_, GENERIC_READ, FILE_SHARE_READ);
  ASSERT_TRUE(holder);
  expectUnwritten();
}

TEST_F(ReadOnlySettings, AReadOnlyFolderStillTakesTheKeys) {
  ASSERT_TRUE(SetFileAttributesW(dir_.c_str(), FILE_ATTRIBUTE_READONLY));
  Settings settings;
  load(settings);
  EXPECT_TRUE(settings.setBracketChoice(2));
  Settings again;
  load(again);
  EXPECT_EQ(again->bracketClose, u'>');
  EXPECT_EQ(again->listSeparator, u',');
  EXPECT_EQ(notifier_.shown, 1) << "the separator was stored the first time";
  EXPECT_EQ(store_->readString(file_.u16string(), kSettingsSection, u"Eigenes", u"", 100), u"behalten");
}

}  // namespace
}  // namespace pendrix
