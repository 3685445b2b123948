#pragma once
// Reading and writing keys of INI ("private profile") files, as the Windows
// private-profile functions do it.

#include <cstddef>
#include <unordered_map>
#include <memory>
#include <string>

namespace pendrix {

class ProfileStore {
 public:
  virtual ~ProfileStore() = default;

  // The key's value, trimmed of surrounding blanks and one pair of surrounding
  // quotes, cut to capacity - 1 characters; `fallback` (trailing blanks removed, a
  // lone blank kept) when the file, section or key is missing. Section and key names
  // compare case-insensitively.
  virtual std::u16string readString(const std::u16string& file, const std::u16string& section,
                                    const std::u16string& key, const std::u16string& fallback,
                                    size_t capacity) = 0;

  // Writes key=value, creating the file (not its folder) when missing. A new file is
  // written in the ANSI code page; a file that starts with a UTF-16LE byte-order mark
  // stays Unicode.
  virtual bool writeString(const std::u16string& file, const std::u16string& section,
                           const std::u16string& key, const std::u16string& value) = 0;

  // Whether a write keeps what the file holds: true for a missing or empty file and
  // for one in which the functions find a named section; false for one they cannot
  // read at all (UTF-16 without a byte-order mark, a binary file), which the system
  // functions rewrite from nothing on the first write.
  virtual bool writeKeepsContent(const std::u16string& file) = 0;
};

// Integer keys as GetPrivateProfileInt reads them: optional sign and decimal digits,
// reading stops at the first other character; a missing or empty value gives `fallback`.
int readProfileInt(ProfileStore& store, const std::u16string& file, const std::u16string& section,
                   const std::u16string& key, int fallback);

// Pure implementation with the observable behaviour of the Windows functions, for the
// native build; code page 1252 stands for the ANSI code page.
std::unique_ptr<ProfileStore> makePortableProfileStore();

// The same store over files held in `files` by name, as their bytes: for the fuzz
// target, which reads and rewrites a settings file thousands of times a second.
std::unique_ptr<ProfileStore> makeMemoryProfileStore(std::unordered_map<std::u16string, std::string>& files);

}  // namespace pendrix
