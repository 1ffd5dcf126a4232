// The runtime's entry and exit: every library started in one fixed order before the application
// runs, and ended in one fixed order after it.
#pragma once

namespace rt {

// Creates the main heap, then starts the libraries: strings first, then the rest in their order.
void start_runtime();
// Ends the libraries in their order, destroys the main heap and ends the process with code 0.
// Worker threads still running are not waited for; the runtime operations they reach do nothing
// from the start of shutdown on.
[[noreturn]] void end_runtime();

} // namespace rt
