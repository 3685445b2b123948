#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unordered_map>
#include <optional>
#include <utility>
#include <vector>

#include "session/profile_store.h"
#include "session/text_codec.h"

namespace pendrix {
namespace {

enum class Encoding { Ansi, Utf8Bom, Utf16Le };

bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string trim(std::u16string_view text) {
  size_t begin = 0, end = text.size();
  while (begin < end && isBlank(text[begin])) ++begin;
  while (end > begin && isBlank(text[end - 1])) --end;
  return std::u16string(text.substr(begin, end - begin));
}

char16_t foldCase(char16_t c) {
  if (c >= u'A' && c <= u'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  return c;
}

bool sameName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (foldCase(a[i]) != foldCase(b[i])) return false;
  }
  return true;
}

// The path in the file system's own encoding: UTF-8 on Linux, UTF-16 on Windows,
// where a narrow path would be read in the ANSI code page and miss every umlaut.
std::filesystem::path nativePath(const std::u16string& file) {
  std::u16string path = file;
  for (char16_t& c : path) {
    if (c == u'\\') c = u'/';
  }
  return std::filesystem::path(path);
}

// One line of the file, kept verbatim with its own line end so that a write changes
// nothing else, not even in a file that is no text at all.
struct Line {
  std::u16string text;
  std::optional<std::u16string> section;  // set on a "[name]" line
  std::optional<std::u16string> key;      // set on a "key=value" line
  std::u16string value;
  std::u16string end = u"\r\n";
};

struct ProfileFile {
  Encoding encoding = Encoding::Ansi;
  std::vector<Line> lines;
};

Line parseLine(std::u16string text) {
  Line line{std::move(text), std::nullopt, std::nullopt, {}, u"\r\n"};
  const std::u16string trimmed = trim(line.text);
  // A header runs to the last ']'; without one the line is no header and stays in
  // the section before it.
  const size_t close = trimmed.rfind(u']');
  if (!trimmed.empty() && trimmed[0] == u'[' && close != std::u16string::npos) {
    line.section = trim(std::u16string_view(trimmed).substr(1, close - 1));
    return line;
  }
  if (trimmed.empty() || trimmed[0] == u';') return line;
  const size_t equals = trimmed.find(u'=');
  line.key = trim(std::u16string_view(trimmed).substr(0, equals));
  if (equals != std::u16string::npos) line.value = trim(std::u16string_view(trimmed).substr(equals + 1));
  return line;
}

std::u16string decode(const std::string& bytes, Encoding& encoding) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    encoding = Encoding::Utf16Le;
    std::u16string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
      text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
    return text;
  }
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    encoding = Encoding::Utf8Bom;
    return fromUtf8(std::string_view(bytes).substr(3));
  }
  encoding = Encoding::Ansi;
  return fromCp1252(bytes);
}

std::string encode(const std::u16string& text, Encoding encoding) {
  switch (encoding) {
    case Encoding::Utf16Le: {
      std::string bytes = "\xFF\xFE";
      for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
      }
      return bytes;
    }
    case Encoding::Utf8Bom:
      return "\xEF\xBB\xBF" + toUtf8(text);
    case Encoding::Ansi:
      break;
  }
  return toCp1252(text);
}

// The file's bytes; nothing when it is missing or cannot be read (a folder, say).
std::optional<std::string> readBytes(const std::u16string& file) {
  std::ifstream in(nativePath(file), std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes;
  std::array<char, 1 << 16> chunk;
  // read() reports a failing device through badbit instead of throwing.
  while (in.read(chunk.data(), chunk.size()) || in.gcount() > 0) bytes.append(chunk.data(), static_cast<size_t>(in.gcount()));
  if (in.bad()) return std::nullopt;
  return bytes;
}

bool somethingAt(const std::u16string& file) {
  std::error_code error;
  return std::filesystem::exists(nativePath(file), error);
}

ProfileFile parseFile(const std::string& bytes) {
  ProfileFile profile;
  const std::u16string text = decode(bytes, profile.encoding);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(u'\n', start);
    if (end == std::u16string::npos) end = text.size();
    size_t textEnd = end;
    if (textEnd > start && text[textEnd - 1] == u'\r') --textEnd;
    Line line = parseLine(text.substr(start, textEnd - start));
    // The last line keeps the line end it gets when something follows it.
    if (end < text.size()) line.end = text.substr(textEnd, end + 1 - textEnd);
    profile.lines.push_back(std::move(line));
    start = end + 1;
  }
  return profile;
}

std::u16string textOf(const ProfileFile& profile) {
  size_t length = 0;
  for (const Line& line : profile.lines) length += line.text.size() + line.end.size();
  std::u16string text;
  text.reserve(length);
  for (const Line& line : profile.lines) text.append(line.text).append(line.end);
  return text;
}

// The new content goes to a file beside the old one, which it replaces only when it
// is whole: a write that fails halfway (a full disk) leaves the old file as it was.
bool replaceBytes(const std::u16string& file, const std::string& bytes) {
  std::filesystem::path target = nativePath(file);
  std::error_code error;
  // Through a link into the file it names, as the system functions write.
  if (std::filesystem::is_symlink(target, error)) {
    const std::filesystem::path linked = std::filesystem::canonical(target, error);
    if (!error) target = linked;
  }
  const bool replacing = std::filesystem::exists(target, error);
  // A file that refuses writes (read-only, or held by another program) stays as it is.
  if (replacing && !std::ofstream(target, std::ios::binary | std::ios::app)) return false;
  std::filesystem::path temporary = target;
  temporary += ".pendrix-neu";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::filesystem::remove(temporary, error);
      return false;
    }
  }
  if (replacing) {
    const auto permissions = std::filesystem::status(target, error).permissions();
    if (!error) std::filesystem::permissions(temporary, permissions, error);
  }
  std::error_code renameError;
  std::filesystem::rename(temporary, target, renameError);
  if (renameError) std::filesystem::remove(temporary, error);
  return !renameError;
}

std::u16string unquote(std::u16string value) {
  if (value.size() >= 2 && (value[0] == u'"' || value[0] == u'\'') && value.back() == value[0])
    return value.substr(1, value.size() - 2);
  return value;
}

// The system functions hand values over as C strings: a NUL in the file ends the value.
std::u16string untilNul(const std::u16string& text) { return text.substr(0, text.find(u'\0')); }

std::u16string stripTrailingBlanks(std::u16string text) {
  while (text.size() > 1 && text.back() == u' ') text.pop_back();
  return text;
}

// Where the store's files lie: the file system, or a map in memory.
class FileBytes {
 public:
  virtual ~FileBytes() = default;
  // The file's bytes, valid until the next call; null when the file is missing or
  // cannot be read.
  virtual const std::string* read(const std::u16string& file) = 0;
  virtual bool exists(const std::u16string& file) = 0;
  virtual bool replace(const std::u16string& file, const std::string& bytes) = 0;
};

class FileSystemBytes final : public FileBytes {
 public:
  const std::string* read(const std::u16string& file) override {
    last_ = readBytes(file);
    return last_ ? &*last_ : nullptr;
  }
  bool exists(const std::u16string& file) override { return somethingAt(file); }
  bool replace(const std::u16string& file, const std::string& bytes) override { return replaceBytes(file, bytes); }

 private:
  std::optional<std::string> last_;
};

class MemoryBytes final : public FileBytes {
 public:
  explicit MemoryBytes(std::unordered_map<std::u16string, std::string>& files) : files_(files) {}
  const std::string* read(const std::u16string& file) override {
    const auto found = files_.find(file);
    return found == files_.end() ? nullptr : &found->second;
  }
  bool exists(const std::u16string& file) override { return files_.count(file) != 0; }
  bool replace(const std::u16string& file, const std::string& bytes) override {
    files_[file] = bytes;
    return true;
  }

 private:
  std::unordered_map<std::u16string, std::string>& files_;
};

class PortableProfileStore final : public ProfileStore {
 public:
  explicit PortableProfileStore(std::unique_ptr<FileBytes> bytes) : bytes_(std::move(bytes)) {}

  std::u16string readString(const std::u16string& file, const std::u16string& section,
                            const std::u16string& key, const std::u16string& fallback,
                            size_t capacity) override {
    std::u16string value = stripTrailingBlanks(fallback);
    if (const auto profile = loadFile(file)) {
      if (const Line* line = findKey(*profile, section, key)) value = unquote(untilNul(line->value));
    }
    if (capacity == 0) return {};
    if (value.size() > capacity - 1) value.resize(capacity - 1);
    return value;
  }

  // The portable store would keep such bytes, but answers as the system does, so that
  // both lead to the same outcome.
  bool writeKeepsContent(const std::u16string& file) override {
    const ProfileFile* profile = loadFile(file);
    if (!profile) return !bytes_->exists(file);
    return profile->lines.empty() || std::any_of(profile->lines.begin(), profile->lines.end(), [](const Line& line) {
             return line.section && !untilNul(*line.section).empty();
           });
  }

  bool writeString(const std::u16string& file, const std::u16string& section,
                   const std::u16string& key, const std::u16string& value) override {
    const ProfileFile* loaded = loadFile(file);
    // What cannot be read is not replaced by a file of one key.
    if (!loaded && bytes_->exists(file)) return false;
    // The kept parse is taken over, and the written one kept instead.
    ProfileFile profile;
    if (loaded) profile = std::move(std::exchange(lastRead_, std::nullopt)->profile);
    Line entry = parseLine(key + u"=" + value);
    auto lines = profile.lines.begin();
    const auto sectionLine = std::find_if(lines, profile.lines.end(), [&](const Line& line) {
      return line.section && sameName(*line.section, section);
    });
    if (sectionLine == profile.lines.end()) {
      if (!profile.lines.empty() && !trim(profile.lines.back().text).empty()) profile.lines.push_back(parseLine(u""));
      profile.lines.push_back(parseLine(u"[" + section + u"]"));
      profile.lines.push_back(std::move(entry));
      return save(file, std::move(profile));
    }
    auto insertAt = sectionLine + 1;
    for (auto it = sectionLine + 1; it != profile.lines.end() && !it->section; ++it) {
      if (!it->key) continue;
      if (sameName(*it->key, key)) {
        *it = std::move(entry);
        return save(file, std::move(profile));
      }
      insertAt = it + 1;
    }
    profile.lines.insert(insertAt, std::move(entry));
    return save(file, std::move(profile));
  }

 private:
  // Like the system functions, every call reads the whole file; the parse of the
  // bytes read last is kept, as a settings or exercise file is read key by key.
  const ProfileFile* loadFile(const std::u16string& file) {
    const std::string* bytes = bytes_->read(file);
    if (!bytes) return nullptr;
    if (!lastRead_ || lastRead_->bytes != *bytes) lastRead_ = Parsed{*bytes, parseFile(*bytes)};
    return &lastRead_->profile;
  }

  // The written lines are kept as parsed when reading the new bytes back would give
  // the same lines: every character survived the code page and no value broke a line.
  bool save(const std::u16string& file, ProfileFile profile) {
    const std::u16string text = textOf(profile);
    std::string bytes = encode(text, profile.encoding);
    if (!bytes_->replace(file, bytes)) return false;
    Encoding readBack = profile.encoding;
    const std::u16string decoded = decode(bytes, readBack);
    // Compared as memory: the fuzz targets' instrumentation makes a character loop slow.
    const bool exact = decoded.size() == text.size() &&
                       std::memcmp(decoded.data(), text.data(), text.size() * sizeof(char16_t)) == 0 &&
                       readBack == profile.encoding &&
                       std::none_of(profile.lines.begin(), profile.lines.end(),
                                    [](const Line& line) { return line.text.find(u'\n') != std::u16string::npos; });
    if (exact) lastRead_ = Parsed{std::move(bytes), std::move(profile)};
    return true;
  }

  static const Line* findKey(const ProfileFile& profile, const std::u16string& section,
                             const std::u16string& key) {
    bool inSection = false;
    for (const Line& line : profile.lines) {
      if (line.section) inSection = sameName(*line.section, section);
      else if (inSection && line.key && sameName(*line.key, key)) return &line;
    }
    return nullptr;
  }

  struct Parsed {
    std::string bytes;
    ProfileFile profile;
  };
  std::unique_ptr<FileBytes> bytes_;
  std::optional<Parsed> lastRead_;
};

}  // namespace

std::unique_ptr<ProfileStore> makePortableProfileStore() {
  return std::make_unique<PortableProfileStore>(std::make_unique<FileSystemBytes>());
}

std::unique_ptr<ProfileStore> makeMemoryProfileStore(std::unordered_map<std::u16string, std::string>& files) {
  return std::make_unique<PortableProfileStore>(std::make_unique<MemoryBytes>(files));
}

int readProfileInt(ProfileStore& store, const std::u16string& file, const std::u16string& section,
                   const std::u16string& key, int fallback) {
  const std::u16string text = store.readString(file, section, key, u"", 30);
  if (text.empty()) return fallback;
  size_t i = 0;
  bool negative = false;
  if (text[i] == u'-' || text[i] == u'+') negative = text[i++] == u'-';
  // Wraps like the 32-bit unsigned arithmetic of the system function.
  uint32_t value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) value = value * 10 + (text[i] - u'0');
  return static_cast<int>(negative ? 0u - value : value);
}

}  // namespace pendrix
