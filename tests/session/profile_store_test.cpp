// One contract for both profile stores: the portable one must behave as the Windows
// private-profile functions do (the Win32 store runs under Wine).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "session/profile_store.h"
#include "session/text_codec.h"
#ifdef _WIN32
#include "session/system_win32.h"
#else
#include <sys/resource.h>

#include <csignal>
#endif

namespace pendrix {
namespace {

namespace fs = std::filesystem;

// A literal's bytes, NULs included.
template <size_t N>
std::string bytesOf(const char (&text)[N]) {
  return std::string(text, N - 1);
}

struct StoreKind {
  const char* name;
  std::unique_ptr<ProfileStore> (*make)();
};

class ProfileStoreContract : public ::testing::TestWithParam<StoreKind> {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("pendrix-profile-" + std::string(GetParam().name) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    store_ = GetParam().make();
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::u16string file(const char* name) const { return (dir_ / name).u16string(); }
  void writeBytes(const char* name, const std::string& bytes) const {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }
  std::string readBytes(const char* name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  std::u16string read(const char* name, const char16_t* key, const char16_t* fallback = u"dflt", size_t capacity = 100) {
    return store_->readString(file(name), u"EINSTELLUNGEN", key, fallback, capacity);
  }

  fs::path dir_;
  std::unique_ptr<ProfileStore> store_;
};

TEST_P(ProfileStoreContract, MissingFileSectionOrKeyGivesTheFallback) {
  EXPECT_EQ(read("none.ini", u"MalPunkt"), u"dflt");
  writeBytes("a.ini", "[ANDERES]\r\nMalPunkt=2\r\n[EINSTELLUNGEN]\r\nHochZahl=3\r\n");
  EXPECT_EQ(read("a.ini", u"MalPunkt"), u"dflt");
  EXPECT_EQ(read("a.ini", u"HochZahl"), u"3");
}

TEST_P(ProfileStoreContract, FallbackLosesTrailingBlanksButALoneBlankStays) {
  EXPECT_EQ(read("none.ini", u"AufgabePfad", u" "), u" ");
  EXPECT_EQ(read("none.ini", u"AufgabePfad", u"ab  "), u"ab");
}

TEST_P(ProfileStoreContract, NamesCompareCaseInsensitivelyAndValuesAreTrimmed) {
  writeBytes("a.ini", "[einstellungen]\r\n  malpunkt  =   2 3  \r\nQuoted=\"  x \"\r\nSingle='y'\r\n");
  EXPECT_EQ(read("a.ini", u"MalPunkt"), u"2 3");
  EXPECT_EQ(read("a.ini", u"quoted"), u"  x ");
  EXPECT_EQ(read("a.ini", u"SINGLE"), u"y");
}

TEST_P(ProfileStoreContract, ValuesAreCutToTheCapacity) {
  writeBytes("a.ini", "[EINSTELLUNGEN]\r\nAufgabePfad=" + std::string(150, 'p') + "\r\n");
  EXPECT_EQ(read("a.ini", u"AufgabePfad", u" ", 100), std::u16string(99, u'p'));
}

TEST_P(ProfileStoreContract, WriteCreatesTheFileAndReplacesKeysInPlace) {
  ASSERT_TRUE(store_->writeString(file("new.ini"), u"EINSTELLUNGEN", u"Strichpunkt", u";"));
  ASSERT_TRUE(store_->writeString(file("new.ini"), u"EINSTELLUNGEN", u"MalPunkt", u"1"));
  ASSERT_TRUE(store_->writeString(file("new.ini"), u"einstellungen", u"STRICHPUNKT", u","));
  EXPECT_EQ(read("new.ini", u"Strichpunkt"), u",");
  EXPECT_EQ(read("new.ini", u"MalPunkt"), u"1");
  const std::string text = readBytes("new.ini");
  EXPECT_EQ(text.find("[EINSTELLUNGEN]"), 0u) << text;
  EXPECT_EQ(text.find("MalPunkt=1"), text.rfind("MalPunkt=1"));
}

// Every read looks at the file as it is now, whatever the store read or wrote before.
TEST_P(ProfileStoreContract, AFileChangedByAnotherProgramIsReadAnew) {
  ASSERT_TRUE(store_->writeString(file("a.ini"), u"EINSTELLUNGEN", u"MalPunkt", u"1"));
  EXPECT_EQ(read("a.ini", u"MalPunkt"), u"1");
  writeBytes("a.ini", "[EINSTELLUNGEN]\r\nMalPunkt=2\r\n");
  EXPECT_EQ(read("a.ini", u"MalPunkt"), u"2");
  // A value that breaks its line reads back as its first line.
  ASSERT_TRUE(store_->writeString(file("a.ini"), u"EINSTELLUNGEN", u"AufgabePfad", u"C:\\A\nHochZahl=7"));
  EXPECT_EQ(read("a.ini", u"AufgabePfad"), u"C:\\A");
  EXPECT_EQ(read("a.ini", u"HochZahl"), u"7");
}

TEST_P(ProfileStoreContract, WriteKeepsOtherSectionsAndKeys) {
  writeBytes("a.ini", "[ANDERES]\r\nMalPunkt=9\r\n[EINSTELLUNGEN]\r\nHochZahl=3\r\n");
  ASSERT_TRUE(store_->writeString(file("a.ini"), u"EINSTELLUNGEN", u"MalPunkt", u"2"));
  EXPECT_EQ(read("a.ini", u"MalPunkt"), u"2");
  EXPECT_EQ(read("a.ini", u"HochZahl"), u"3");
  EXPECT_EQ(store_->readString(file("a.ini"), u"ANDERES", u"MalPunkt", u"", 10), u"9");
}

TEST_P(ProfileStoreContract, WriteIntoAMissingFolderFails) {
  EXPECT_FALSE(store_->writeString((dir_ / "Einstellung" / "WordZomb.ini").u16string(), u"EINSTELLUNGEN", u"MalPunkt", u"1"));
  EXPECT_FALSE(fs::exists(dir_ / "Einstellung"));
}

TEST_P(ProfileStoreContract, UmlautsSurviveInANewAnsiFile) {
  const std::u16string path = u"C:\\Schüler\\Übungen\\Brüche für Anfänger.wrx";
  ASSERT_TRUE(store_->writeString(file("new.ini"), u"EINSTELLUNGEN", u"AufgabePfad", path));
  EXPECT_EQ(read("new.ini", u"AufgabePfad"), path);
  // A new file is ANSI: one byte per character, the umlauts in code page 1252.
  EXPECT_NE(readBytes("new.ini").find("Sch\xFCler"), std::string::npos);
}

TEST_P(ProfileStoreContract, AnAnsiFileLosesWhatCodePage1252Lacks) {
  ASSERT_TRUE(store_->writeString(file("new.ini"), u"EINSTELLUNGEN", u"Zeichen", u"\u221A\u00E5\u00E8"));
  EXPECT_EQ(read("new.ini", u"Zeichen"), u"v\u00E5\u00E8");
}

TEST_P(ProfileStoreContract, AUnicodeFileStaysUnicode) {
  writeBytes("u.ini", std::string("\xFF\xFE", 2));
  ASSERT_TRUE(store_->writeString(file("u.ini"), u"EINSTELLUNGEN", u"Zeichen", u"\u221A2"));
  EXPECT_EQ(read("u.ini", u"Zeichen"), u"\u221A2");
  const std::string bytes = readBytes("u.ini");
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE", 2));
}

TEST_P(ProfileStoreContract, IntegersReadAsDecimalNumbers) {
  writeBytes("a.ini", "[EINSTELLUNGEN]\r\nA=-1\r\nB=12abc\r\nC=abc\r\nD=\r\nE=+7\r\n");
  EXPECT_EQ(readProfileInt(*store_, file("a.ini"), u"EINSTELLUNGEN", u"A", 5), -1);
  EXPECT_EQ(readProfileInt(*store_, file("a.ini"), u"EINSTELLUNGEN", u"B", 5), 12);
  EXPECT_EQ(readProfileInt(*store_, file("a.ini"), u"EINSTELLUNGEN", u"C", 5), 0);
  EXPECT_EQ(readProfileInt(*store_, file("a.ini"), u"EINSTELLUNGEN", u"D", 5), 5);
  EXPECT_EQ(readProfileInt(*store_, file("a.ini"), u"EINSTELLUNGEN", u"E", 5), 7);
  EXPECT_EQ(readProfileInt(*store_, file("a.ini"), u"EINSTELLUNGEN", u"Missing", 8), 8);
}

// Files that are no proper INI text: what reads sensibly still reads, and a write
// adds its key while every byte the user had stays.
TEST_P(ProfileStoreContract, BinaryAndTruncatedFilesKeepWhatTheyHold) {
  const std::string binary = bytesOf("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\xFF\xFE\x00\x01=\x7F[\x80\x81\x9D");
  const std::string cases[] = {
      binary + "\r\n[EINSTELLUNGEN]\r\nHochZahl=3\r\n",
      "[EINSTELLUNGEN]\r\nHochZahl=3\r\nMalPu",
      "[EINSTELLUNGEN]\nHochZahl=3\n[EINSTELL",
  };
  for (const std::string& bytes : cases) {
    SCOPED_TRACE(bytes);
    writeBytes("a.ini", bytes);
    EXPECT_EQ(read("a.ini", u"HochZahl"), u"3");
    EXPECT_EQ(read("a.ini", u"MalPunkt"), u"dflt");
    ASSERT_TRUE(store_->writeString(file("a.ini"), u"EINSTELLUNGEN", u"MalPunkt", u"2"));
    EXPECT_EQ(read("a.ini", u"MalPunkt"), u"2");
    EXPECT_EQ(read("a.ini", u"HochZahl"), u"3");
  }
}

TEST_P(ProfileStoreContract, ANulEndsTheValue) {
  writeBytes("a.ini", bytesOf("[EINSTELLUNGEN]\r\nStrichpunkt=,\0;\r\nHochZahl=\0\r\n"));
  EXPECT_EQ(read("a.ini", u"Strichpunkt"), u",");
  EXPECT_EQ(read("a.ini", u"HochZahl"), u"");
}

TEST_P(ProfileStoreContract, UmlautsInTheFileName) {
  const fs::path path = dir_ / std::u16string(u"Brüche für Größen.wrx");
  EXPECT_TRUE(store_->writeKeepsContent(path.u16string()));
  ASSERT_TRUE(store_->writeString(path.u16string(), u"AUFGABE", u"Anzahl", u"3"));
  EXPECT_TRUE(fs::exists(path));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
  EXPECT_EQ(store_->readString(path.u16string(), u"AUFGABE", u"Anzahl", u"", 10), u"3");
  EXPECT_TRUE(store_->writeKeepsContent(path.u16string()));
}

// A header runs to its last ']'; an unclosed one is no header.
TEST_P(ProfileStoreContract, MalformedHeaders) {
  writeBytes("a.ini", "[A]\r\nk=1\r\n[B\r\nj=3\r\n[ C ]x\r\nk=4\r\n[D]]\r\nk=6\r\n");
  EXPECT_EQ(store_->readString(file("a.ini"), u"A", u"j", u"-", 10), u"3");
  EXPECT_EQ(store_->readString(file("a.ini"), u"B", u"j", u"-", 10), u"-");
  EXPECT_EQ(store_->readString(file("a.ini"), u"C", u"k", u"-", 10), u"4");
  EXPECT_EQ(store_->readString(file("a.ini"), u"D]", u"k", u"-", 10), u"6");
}

// What the first write would not destroy: nothing, an empty file, or one with a
// named section; a file without one is text the functions cannot read.
TEST_P(ProfileStoreContract, AWriteKeepsTheContentOfFilesWithASection) {
  EXPECT_TRUE(store_->writeKeepsContent(file("missing.wrx")));
  EXPECT_TRUE(store_->writeKeepsContent((dir_ / "no folder" / "a.wrx").u16string()));
  const std::pair<std::string, bool> cases[] = {
      {"", true},
      {"\r\n[AUFGABE]\r\nAnzahl=1\r\n", true},
      {"; Kommentar\r\n[x]", true},
      {"Anzahl=1\r\n[AUFGABE\r\n", false},
      {bytesOf("\x89PNG\r\n\x1A\n\0\0\0\rIHDR"), false},
      {bytesOf("[\0A\0]\0\r\0\n\0k\0=\0001\0\r\0\n\0"), false},
  };
  for (const auto& [bytes, keeps] : cases) {
    SCOPED_TRACE(bytes);
    writeBytes("a.wrx", bytes);
    EXPECT_EQ(store_->writeKeepsContent(file("a.wrx")), keeps);
  }
}

// A megabyte of other sections and one value of a hundred thousand characters.
TEST_P(ProfileStoreContract, AHugeFileReadsAndKeepsItsSize) {
  std::string bytes = "[EINSTELLUNGEN]\r\nAufgabePfad=" + std::string(100000, 'p') + "\r\n";
  for (int i = 0; bytes.size() < (1u << 20); ++i)
    bytes += "[Abschnitt" + std::to_string(i) + "]\r\nSchluessel=" + std::string(40, 'w') + "\r\n";
  bytes += "[EINSTELLUNGEN]\r\nHochZahl=7\r\n";
  writeBytes("big.ini", bytes);
  EXPECT_EQ(read("big.ini", u"AufgabePfad"), std::u16string(99, u'p'));
  ASSERT_TRUE(store_->writeString(file("big.ini"), u"EINSTELLUNGEN", u"MalPunkt", u"1"));
  EXPECT_EQ(read("big.ini", u"MalPunkt"), u"1");
  EXPECT_EQ(store_->readString(file("big.ini"), u"Abschnitt900", u"Schluessel", u"", 100), std::u16string(40, u'w'));
  EXPECT_EQ(read("big.ini", u"AufgabePfad", u"", 200000), std::u16string(100000, u'p'));
  EXPECT_GE(readBytes("big.ini").size(), bytes.size());
}

// Without a byte-order mark UTF-16 is not recognised: its keys are not found, and a
// write leaves what was there for the user to repair.
TEST_P(ProfileStoreContract, Utf16WithoutByteOrderMarkIsNotRead) {
  const std::u16string text = u"[AUFGABE]\r\nAnzahl=2\r\n";
  std::string bytes;
  for (char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  writeBytes("u.wrx", bytes);
  EXPECT_EQ(store_->readString(file("u.wrx"), u"AUFGABE", u"Anzahl", u"none", 10), u"none");
  ASSERT_TRUE(store_->writeString(file("u.wrx"), u"AUFGABE", u"Anzahl", u"0"));
  EXPECT_EQ(store_->readString(file("u.wrx"), u"AUFGABE", u"Anzahl", u"none", 10), u"0");
}

const StoreKind kStores[] = {
    {"portable", &makePortableProfileStore},
#ifdef _WIN32
    {"win32", &makeWin32ProfileStore},
#endif
};

// The system functions rewrite a file from what they understood of it; the portable
// store changes only the line of its key, so even a file that is no text survives.
TEST(PortableProfileStore, AWriteKeepsEveryOtherByte) {
  const fs::path path = fs::temp_directory_path() / "pendrix-profile-verbatim.ini";
  const std::u16string utf16 = u"[AUFGABE]\r\nAnzahl=2\r\n";
  std::string noMark;
  for (char16_t c : utf16) noMark += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  const std::string cases[] = {
      bytesOf("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\xFF\xFE\x00\x01=\x7F[\x80\x81\x9D\n"),
      noMark,
      "[AUFGABE]\nAlt=1\r\n",
  };
  auto store = makePortableProfileStore();
  for (const std::string& bytes : cases) {
    SCOPED_TRACE(bytes);
    std::ofstream(path, std::ios::binary) << bytes;
    ASSERT_TRUE(store->writeString(path.u16string(), u"EINSTELLUNGEN", u"MalPunkt", u"1"));
    std::ifstream in(path, std::ios::binary);
    const std::string after((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(after.substr(0, bytes.size()), bytes);
    const std::string added = after.substr(bytes.size());
    EXPECT_TRUE(added == "\r\n[EINSTELLUNGEN]\r\nMalPunkt=1\r\n" || added == "\r\n\r\n[EINSTELLUNGEN]\r\nMalPunkt=1\r\n")
        << added;
  }
  fs::remove(path);
}

#ifndef _WIN32
// A disk that fills up during the write (here a limit on file sizes) leaves the old
// file whole and says the write failed; a write that fits then still goes through.
TEST(PortableProfileStore, AWriteThatFailsHalfwayLeavesTheOldFile) {
  const fs::path dir = fs::temp_directory_path() / "pendrix-profile-full-disk";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path path = dir / "WordZomb.ini";
  const std::string original = "[EINSTELLUNGEN]\r\nMalPunkt=1\r\nStrichpunkt=z\r\n";
  std::ofstream(path, std::ios::binary) << original;
  auto store = makePortableProfileStore();

  rlimit limit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
  const rlimit small{200, limit.rlim_max};
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool tooLong = store->writeString(path.u16string(), u"EINSTELLUNGEN", u"AufgabePfad", std::u16string(500, u'x'));
  const bool fits = store->writeString(path.u16string(), u"EINSTELLUNGEN", u"MalPunkt", u"0");
  setrlimit(RLIMIT_FSIZE, &limit);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(tooLong);
  EXPECT_TRUE(fits);
  std::ifstream in(path, std::ios::binary);
  const std::string after((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(after, "[EINSTELLUNGEN]\r\nMalPunkt=0\r\nStrichpunkt=z\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1) << "a temporary file was left";
  fs::remove_all(dir);
}

// A settings file that is a link stays a link; the file it names takes the change.
TEST(PortableProfileStore, AWriteGoesThroughALink) {
  const fs::path dir = fs::temp_directory_path() / "pendrix-profile-link";
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::ofstream(dir / "echt.ini", std::ios::binary) << "[EINSTELLUNGEN]\r\nMalPunkt=1\r\n";
  fs::create_symlink("echt.ini", dir / "WordZomb.ini");
  auto store = makePortableProfileStore();
  ASSERT_TRUE(store->writeString((dir / "WordZomb.ini").u16string(), u"EINSTELLUNGEN", u"MalPunkt", u"0"));
  EXPECT_TRUE(fs::is_symlink(dir / "WordZomb.ini"));
  EXPECT_EQ(store->readString((dir / "echt.ini").u16string(), u"EINSTELLUNGEN", u"MalPunkt", u"", 10), u"0");
  fs::remove_all(dir);
}
#endif

INSTANTIATE_TEST_SUITE_P(Stores, ProfileStoreContract, ::testing::ValuesIn(kStores),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pendrix
