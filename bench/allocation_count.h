// Heap allocations made by the benchmark program: through operator new (std::string and the rest
// of the C++ library) and through the runtime's private heaps (every block and resize that the
// runtime's platform door hands out).
#pragma once

namespace bench {

// Starts counting the runtime's heap calls; call once, after the runtime's libraries started.
void count_runtime_allocations();
// Blocks and resizes the runtime's heaps handed out since counting started.
long runtime_allocations();
// Calls of the global operator new since the program started.
long operator_new_calls();

} // namespace bench
