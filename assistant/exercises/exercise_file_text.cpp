#include "exercises/exercise_file_text.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <system_error>

#include "session/text_codec.h"

namespace pendrix {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// Backslashes are separators to Windows only; the native build needs slashes.
fs::path nativePath(std::u16string path) {
#ifndef _WIN32
  for (char16_t& c : path)
    if (c == u'\\') c = u'/';
#endif
  return fs::path(path);
}

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Well-formed UTF-8 with at least one sequence beyond ASCII.
bool isUtf8BeyondAscii(std::string_view bytes) {
  bool beyond = false;
  for (size_t i = 0; i < bytes.size();) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    size_t length = c < 0x80 ? 1 : (c >= 0xC2 && c <= 0xDF) ? 2 : (c >= 0xE0 && c <= 0xEF) ? 3 : (c >= 0xF0 && c <= 0xF4) ? 4 : 0;
    if (length == 0 || i + length > bytes.size()) return false;
    for (size_t k = 1; k < length; ++k)
      if (!isContinuation(static_cast<unsigned char>(bytes[i + k]))) return false;
    beyond |= length > 1;
    i += length;
  }
  return beyond;
}

std::optional<std::string> readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

std::string utf16Image(std::string_view utf8) {
  if (utf8.substr(0, kUtf8Mark.size()) == kUtf8Mark) utf8.remove_prefix(kUtf8Mark.size());
  std::string image = "\xFF\xFE";
  for (char16_t c : fromUtf8(utf8)) {
    image += static_cast<char>(c & 0xFF);
    image += static_cast<char>(c >> 8);
  }
  return image;
}

bool writeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return out.good();
}

// Written beside the file first and then put in its place, so that a full disk or a
// failed write never leaves the teacher's file half written.
bool rewriteInPlace(const fs::path& path, const std::string& bytes) {
  fs::path fresh = path;
  fresh += ".neu";
  std::error_code error;
  if (fs::exists(fresh, error)) return false;  // not ours to overwrite
  if (!writeFile(fresh, bytes)) {
    fs::remove(fresh, error);
    return false;
  }
  fs::rename(fresh, path, error);
  if (!error) return true;
  fs::remove(fresh, error);
  return false;
}

}  // namespace

TextEncoding detectTextEncoding(std::string_view bytes) {
  if (bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF')))
    return TextEncoding::Utf16;
  if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark || isUtf8BeyondAscii(bytes)) return TextEncoding::Utf8;
  return TextEncoding::Ansi;
}

std::u16string exerciseCopyFolder() {
  std::error_code error;
  const fs::path temporary = fs::temp_directory_path(error);
  return error ? std::u16string() : (temporary / "Pendrix").u16string();
}

std::u16string unicodeExerciseFile(const std::u16string& path, const std::u16string& copies) {
  const fs::path file = nativePath(path);
  const std::optional<std::string> bytes = readBytes(file);
  if (!bytes || detectTextEncoding(*bytes) != TextEncoding::Utf8) return path;
  const std::string image = utf16Image(*bytes);
  if (rewriteInPlace(file, image)) return path;
  if (copies.empty()) return path;
  // One copy per file, named after its whole path, so that two folders never share one.
  std::error_code error;
  fs::create_directories(nativePath(copies), error);
  const std::u16string copy = copies + u"\\" + fromUtf8(std::to_string(std::hash<std::u16string>{}(path))) + u".wrx";
  return writeFile(nativePath(copy), image) ? copy : path;
}

}  // namespace pendrix
