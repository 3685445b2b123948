#pragma once
// Conversions at the edges of the UTF-16 core: UTF-8 for consoles and files of the
// native build, Windows code page 1252 for ANSI profile files.

#include <string>
#include <string_view>

namespace pendrix {

std::string toUtf8(std::u16string_view text);
// Malformed sequences become U+FFFD.
std::u16string fromUtf8(std::string_view bytes);

std::u16string fromCp1252(std::string_view bytes);
// Characters that code page 1252 lacks get the system's best-fit replacement where
// one is known (U+221A becomes "v", U+2212 "-"), else "?".
std::string toCp1252(std::u16string_view text);

}  // namespace pendrix
