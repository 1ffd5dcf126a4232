// Real X input for Windows tests: one xdotool call at a time, carried out outside Wine by the input
// agent that scripts/run-windows starts beside the run's Xvfb (see scripts/x-input-agent).
#pragma once

#include <string>

namespace test_support {

// Runs `xdotool <xdotool_arguments>` on the run's display; true when it exits with 0. The arguments
// are UTF-8 text split at white space, except that after "type" the rest of the line is one
// argument. While waiting it dispatches this thread's messages, so its windows keep answering.
// False after timeout_ms, or at once when the program runs without the agent.
bool send_x_input(const std::string& xdotool_arguments, int timeout_ms = 10000);

// What the last send_x_input of this thread printed (e.g. the window ids that `search` found).
const std::string& x_input_output();

} // namespace test_support
