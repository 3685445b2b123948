#include <iostream>

#include "commands.h"

#ifdef _WIN32
#include <windows.h>

#include "session/text_codec.h"

int wmain(int argc, wchar_t** argv) {
  SetConsoleOutputCP(CP_UTF8);
  pendrix::cli::Args args;
  for (int i = 1; i < argc; ++i) args.push_back(pendrix::toUtf8(reinterpret_cast<const char16_t*>(argv[i])));
  return pendrix::cli::runCli(args, std::cout, std::cerr);
}
#else
int main(int argc, char** argv) {
  return pendrix::cli::runCli(pendrix::cli::Args(argv + 1, argv + argc), std::cout, std::cerr);
}
#endif
