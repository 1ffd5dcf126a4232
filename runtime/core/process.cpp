// The program's module and the shutdown gate. The gate's count is raised before the flag is read,
// and the flag is set before the count is read (both sequentially consistent), so a call and
// shutdown never miss each other.
#include "core/process.h"

#include <atomic>

namespace rt {

namespace {
std::atomic<bool> shutting_down{false};
std::atomic<int> running_calls{0};
} // namespace

HINSTANCE module_handle() { return GetModuleHandleA(nullptr); }

RuntimeCall::RuntimeCall() {
    running_calls.fetch_add(1);
    admitted_ = !shutting_down.load();
    if (!admitted_) running_calls.fetch_sub(1);
}

RuntimeCall::~RuntimeCall() {
    if (admitted_) running_calls.fetch_sub(1);
}

void begin_shutdown() { shutting_down.store(true); }

bool shutdown_has_begun() { return shutting_down.load(); }

bool runtime_calls_running() { return running_calls.load() != 0; }

} // namespace rt
