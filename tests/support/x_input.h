// Real X input for Windows tests, carried out outside Wine by the input agent that scripts/run-windows
// starts beside the run's Xvfb (see scripts/x-input-agent).
#pragma once

#include <string>

namespace test_support {

// Runs `xdotool <xdotool_arguments>` on the run's display (UTF-8, split at white space; after "type"
// the rest is one argument); true when it exits with 0. While waiting it dispatches this thread's
// messages. False after timeout_ms, or at once when the program runs without the agent.
bool send_x_input(const std::string& xdotool_arguments, int timeout_ms = 10000);

} // namespace test_support
