// Talks to the input agent through files in the folder X_INPUT_DIR: NAME.cmd in, NAME.out and
// NAME.done back. Each call uses a name of its own, so a late answer never meets a later call.
#include "x_input.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

namespace test_support {
namespace {

thread_local std::string last_output;

std::string agent_folder() {
  char folder[MAX_PATH];
  const DWORD length = GetEnvironmentVariableA("X_INPUT_DIR", folder, sizeof folder);
  return length > 0 && length < sizeof folder ? std::string(folder, length) : std::string();
}

// The path of this call's files without their extension, unique in the process and among processes.
std::string new_call_path(const std::string& folder) {
  static std::atomic<unsigned> calls{0};
  return folder + "\\" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++calls);
}

bool write_file(const std::string& path, const std::string& text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                  written == text.size();
  return CloseHandle(file) && ok;
}

std::string read_file(const std::string& path) {
  std::string text;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return text;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  CloseHandle(file);
  return text;
}

bool file_exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Dispatches what is queued for this thread; a WM_QUIT is kept for the caller in quit_code.
void pump_messages(bool& quit, WPARAM& quit_code) {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quit = true;
      quit_code = message.wParam;
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// Waits for the agent's answer while pumping messages; false when timeout_ms passes first.
bool wait_for(const std::string& done_path, int timeout_ms) {
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(std::max(timeout_ms, 0));
  bool quit = false;
  WPARAM quit_code = 0;
  bool answered = file_exists(done_path);
  while (!answered && GetTickCount64() < deadline) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    pump_messages(quit, quit_code);
    answered = file_exists(done_path);
  }
  if (quit) PostQuitMessage(static_cast<int>(quit_code));
  return answered;
}

// Withdraws a call the agent has not taken yet, or asks it to stop the one it is running.
void cancel(const std::string& call) {
  if (!DeleteFileA((call + ".cmd").c_str())) write_file(call + ".cancel", "");
}

}  // namespace

bool send_x_input(const std::string& xdotool_arguments, int timeout_ms) {
  last_output.clear();
  const std::string folder = agent_folder();
  if (folder.empty()) return false;
  const std::string call = new_call_path(folder);
  if (!write_file(call + ".tmp", xdotool_arguments + "\n") ||
      !MoveFileA((call + ".tmp").c_str(), (call + ".cmd").c_str())) {
    return false;
  }
  if (!wait_for(call + ".done", timeout_ms)) {
    cancel(call);
    return false;
  }
  last_output = read_file(call + ".out");
  const std::string code = read_file(call + ".done");
  DeleteFileA((call + ".out").c_str());
  DeleteFileA((call + ".done").c_str());
  return code == "0\n";  // the agent writes the exit code and a newline
}

const std::string& x_input_output() { return last_output; }

}  // namespace test_support
