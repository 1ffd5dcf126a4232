// What the tests' stand-in programs need to record how they were started: their environment,
// their current directory, and an append-only log of lines.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

namespace test_support {

inline std::string environment_variable(const char* name) {
  const DWORD size = GetEnvironmentVariableA(name, nullptr, 0);
  if (size == 0) return {};
  std::string value(size, '\0');
  value.resize(GetEnvironmentVariableA(name, value.data(), size));
  return value;
}

inline std::string current_directory() {
  const DWORD size = GetCurrentDirectoryA(0, nullptr);
  std::string directory(size, '\0');
  directory.resize(GetCurrentDirectoryA(size, directory.data()));
  return directory;
}

// Appends the program's exact command line and its current directory, one line each.
inline bool append_start_record(const std::string& log_path) {
  std::FILE* log = std::fopen(log_path.c_str(), "ab");
  if (log == nullptr) return false;
  const bool written =
      std::fprintf(log, "%s\n%s\n", GetCommandLineA(), current_directory().c_str()) > 0;
  return std::fclose(log) == 0 && written;
}

}  // namespace test_support
