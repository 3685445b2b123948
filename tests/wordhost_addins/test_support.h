#pragma once
// Paths, log files and COM set-up shared by the add-in and symbol-tool tests.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pendrix::wordhost::testing {

// A build-tree path as Wine's programs see it, through the Z: drive.
inline std::wstring winePath(const char* unixPath) {
  std::wstring path = L"Z:";
  for (const char* c = unixPath; *c; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
  return path;
}

inline std::wstring uniqueTempFile(const wchar_t* prefix) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  wchar_t file[MAX_PATH];
  GetTempFileNameW(folder, prefix, 0, file);
  return file;
}

// The log's UTF-8 lines, without their line ends.
inline std::vector<std::wstring> readLogLines(const std::wstring& path) {
  std::vector<std::wstring> lines;
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return lines;
  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
  CloseHandle(file);
  const int length = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
  size_t start = 0;
  for (size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

class ComApartment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_HRESULT_SUCCEEDED(OleInitialize(nullptr)); }
  void TearDown() override { OleUninitialize(); }
};

}  // namespace pendrix::wordhost::testing
