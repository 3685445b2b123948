#pragma once
// Exercise files as teachers save them. Notepad writes UTF-8 today, with or without a
// byte-order mark, but the profile functions read an INI file as ANSI unless it starts
// with the UTF-16 byte-order mark: every umlaut of a UTF-8 file would come out as two
// characters, and a UTF-8 mark in front of "[AUFGABE]" even hides that section from
// Windows. So a UTF-8 file is turned into UTF-16 before it is opened; ANSI and UTF-16
// files are opened as they are.

#include <string>
#include <string_view>

namespace pendrix {

enum class TextEncoding { Ansi, Utf8, Utf16 };

// UTF-16 by its byte-order mark (either order), UTF-8 by its mark or, without one, by
// holding non-ASCII bytes that are well-formed UTF-8 (text in code page 1252 with an
// umlaut practically never is); everything else is ANSI.
TextEncoding detectTextEncoding(std::string_view bytes);

// The file to open for `path`: `path` itself when it is not UTF-8 or once it has been
// rewritten as UTF-16 with its byte-order mark (line for line, nothing else changes);
// a UTF-16 copy in the folder `copies` when `path` cannot be rewritten (a folder the
// user may only read); `path` when neither works.
std::u16string unicodeExerciseFile(const std::u16string& path, const std::u16string& copies);

// Where copies of files that cannot be rewritten go: "Pendrix" in the temporary folder.
std::u16string exerciseCopyFolder();

}  // namespace pendrix
