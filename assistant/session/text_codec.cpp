#include "session/text_codec.h"

#include <array>
#include <cstdint>

namespace pendrix {
namespace {

// Code page 1252 bytes 0x80..0x9F; 0 marks the five unassigned bytes, which
// Windows maps to the C1 control of the same value.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

struct BestFit {
  char16_t from;
  char to;
};
// The few best-fit mappings of the Windows 1252 table that matter to formulas.
constexpr BestFit kBestFit[] = {
    {0x221A, 'v'}, {0x2212, '-'}, {0x2219, '\xB7'}, {0x2264, '='}, {0x2265, '='},
    {0x2215, '/'}, {0x2044, '/'}, {0x00A0, ' '},    {0x2010, '-'}, {0x2011, '-'},
};

// A character outside ASCII and Latin-1: its byte among 0x80..0x9F, else its best fit, else '?'.
char highByteFor(char16_t c) {
  char mapped = '?';
  for (size_t b = 0; b < kCp1252High.size(); ++b) {
    if (kCp1252High[b] == c || (kCp1252High[b] == 0 && c == 0x80 + b)) mapped = static_cast<char>(0x80 + b);
  }
  for (const BestFit& fit : kBestFit) {
    if (fit.from == c) mapped = fit.to;
  }
  return mapped;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void appendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out += static_cast<char16_t>(cp);
  } else {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 | (cp >> 10));
    out += static_cast<char16_t>(0xDC00 | (cp & 0x3FF));
  }
}

}  // namespace

std::string toUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;  // a lone surrogate has no UTF-8 form
    }
    appendUtf8(out, cp);
  }
  return out;
}

std::u16string fromUtf8(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<uint8_t>(bytes[i]);
    const int extra = lead < 0x80 ? 0 : (lead >> 5) == 0x6 ? 1 : (lead >> 4) == 0xE ? 2 : (lead >> 3) == 0x1E ? 3 : -1;
    bool ok = extra >= 0 && i + extra < bytes.size();
    char32_t cp = extra > 0 ? lead & (0x3F >> extra) : lead;
    for (int k = 1; ok && k <= extra; ++k) {
      const auto next = static_cast<uint8_t>(bytes[i + k]);
      ok = (next & 0xC0) == 0x80;
      cp = (cp << 6) | (next & 0x3F);
    }
    constexpr char32_t kShortest[] = {0, 0x80, 0x800, 0x10000};
    if (!ok || cp < kShortest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    appendUtf16(out, cp);
    i += extra + 1;
  }
  return out;
}

std::u16string fromCp1252(std::string_view bytes) {
  // Byte by byte through one table: settings and exercise files pass here on every read.
  static constexpr std::array<char16_t, 256> kTable = [] {
    std::array<char16_t, 256> table{};
    for (size_t b = 0; b < table.size(); ++b) table[b] = static_cast<char16_t>(b);
    for (size_t b = 0; b < kCp1252High.size(); ++b)
      if (kCp1252High[b] != 0) table[0x80 + b] = kCp1252High[b];
    return table;
  }();
  std::u16string out(bytes.size(), u'\0');
  char16_t* to = out.data();
  for (const char byte : bytes) *to++ = kTable[static_cast<uint8_t>(byte)];
  return out;
}

std::string toCp1252(std::u16string_view text) {
  std::string out(text.size(), '\0');
  char* to = out.data();
  for (const char16_t c : text) *to++ = c < 0x80 || (c >= 0xA0 && c <= 0xFF) ? static_cast<char>(c) : highByteFor(c);
  return out;
}

}  // namespace pendrix
