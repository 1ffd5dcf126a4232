// Stands in for the external conversion tool in the converter's tests. It records its exact
// command line and current directory (two lines appended to the file named by STAND_IN_LOG, or
// ffmpeg-calls.log in the current directory), stays running for STAND_IN_SECONDS seconds (0 when
// unset) and writes the output file named by its last parameter into the current directory.
#include "support/process_record.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The last space-separated word of the command line: the tool's output file.
std::string last_parameter() {
  std::string line = GetCommandLineA();
  line.erase(line.find_last_not_of(' ') + 1);
  return line.substr(line.find_last_of(' ') + 1);
}

bool write_output(const std::string& name) {
  std::FILE* output = std::fopen(name.c_str(), "wb");
  if (output == nullptr) return false;
  std::fputs("converted by the stand-in tool\n", output);
  return std::fclose(output) == 0;
}

}  // namespace

int main() {
  std::string log = test_support::environment_variable("STAND_IN_LOG");
  if (!test_support::append_start_record(log.empty() ? "ffmpeg-calls.log" : log)) return 2;
  Sleep(1000 * static_cast<DWORD>(std::atoi(test_support::environment_variable("STAND_IN_SECONDS").c_str())));
  return write_output(last_parameter()) ? 0 : 3;
}
