// What every library may ask about the process: the program's module, and whether shutdown has
// begun (the shutdown gate, which says which runtime operations may still run).
//
// Worker threads are not stopped by shutdown, so an operation they reach (timers, gadgets, the
// launcher's lists) passes this gate first. A call admitted before shutdown began is counted until
// it ends, and shutdown frees nothing while the count is above zero; no call is admitted after.
#pragma once

#include <windows.h>

namespace rt {

// The program's module (for window classes and the application icon).
HINSTANCE module_handle();

// One admission through the gate, for as long as it lives. Not admitted (false), the operation
// must touch no runtime state and answer its "nothing" result.
class RuntimeCall {
public:
    RuntimeCall();
    ~RuntimeCall();
    RuntimeCall(const RuntimeCall&) = delete;
    RuntimeCall& operator=(const RuntimeCall&) = delete;
    explicit operator bool() const { return admitted_; }

private:
    bool admitted_;
};

// Admits no call from now on.
void begin_shutdown();
bool shutdown_has_begun();
// Are calls admitted before shutdown began still running?
bool runtime_calls_running();

} // namespace rt
