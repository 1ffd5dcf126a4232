// Stands in for the shell's folder window in tests: records how the shell opened a folder, then exits.
// Appends two lines to the file named by FOLDER_OPEN_LOG (or folder-open.log beside this program):
// the full command line, exactly as received, and the current directory.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string environment_variable(const char* name) {
  const DWORD size = GetEnvironmentVariableA(name, nullptr, 0);
  if (size == 0) return {};
  std::string value(size, '\0');
  value.resize(GetEnvironmentVariableA(name, value.data(), size));
  return value;
}

std::string program_folder() {
  std::string path(MAX_PATH, '\0');
  DWORD length;
  while ((length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
         path.size()) {
    path.resize(path.size() * 2);
  }
  path.resize(length);
  return path.substr(0, path.find_last_of("\\/") + 1);
}

std::string current_directory() {
  const DWORD size = GetCurrentDirectoryA(0, nullptr);
  std::string directory(size, '\0');
  directory.resize(GetCurrentDirectoryA(size, directory.data()));
  return directory;
}

std::string log_path() {
  const std::string named = environment_variable("FOLDER_OPEN_LOG");
  return named.empty() ? program_folder() + "folder-open.log" : named;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::FILE* log = std::fopen(log_path().c_str(), "ab");
  if (log == nullptr) return 1;
  const bool written =
      std::fprintf(log, "%s\n%s\n", GetCommandLineA(), current_directory().c_str()) > 0;
  return std::fclose(log) == 0 && written ? 0 : 1;
}
