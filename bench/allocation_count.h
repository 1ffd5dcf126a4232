// Heap allocations made by the benchmark program: through operator new (std::string and the rest
// of the C++ library) and through the runtime's private heaps (every block and resize that the
// runtime's platform door hands out).
#pragma once

namespace bench {

// Starts counting the runtime's heap calls; call once, after the runtime's string engine started.
void count_runtime_allocations();
// Calls of the global operator new since the program started, and blocks and resizes of the
// runtime's heaps since counting started.
long heap_allocations();

} // namespace bench
