// Stands in for the shell's folder window in tests: records how the shell opened a folder, then exits.
// Appends two lines to the file named by FOLDER_OPEN_LOG (or folder-open.log beside this program):
// the full command line, exactly as received, and the current directory.
#include "support/process_record.h"

#include <string>

namespace {

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

std::string log_path() {
  const std::string named = test_support::environment_variable("FOLDER_OPEN_LOG");
  return named.empty() ? program_folder() + "folder-open.log" : named;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return test_support::append_start_record(log_path()) ? 0 : 1;
}
