// Real X input for Windows tests, carried out outside Wine by scripts/x-input-agent (started by scripts/run-windows).
#pragma once

#include <string>

namespace test_support {

// Runs `xdotool <xdotool_arguments>` on the run's display (UTF-8, split at white space; after "type" the rest is one
// argument), dispatching this thread's messages; true when it exits with 0, false after timeout_ms or without the agent.
bool send_x_input(const std::string& xdotool_arguments, int timeout_ms = 10000);

} // namespace test_support
