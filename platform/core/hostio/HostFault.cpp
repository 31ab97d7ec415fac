#include "platform/core/hostio/HostFault.h"

#include <array>
#include <cerrno>
#include <mutex>

namespace platform {

namespace {

struct Fault {
    int countdown = 0;  // 0: none armed
    int error = 0;
};

std::mutex g_mutex;
std::array<Fault, 5> g_faults;

}  // namespace

void FailHostCall(HostCall call, int nth, int error) {
    std::lock_guard lock(g_mutex);
    g_faults[static_cast<size_t>(call)] = {nth > 0 ? nth : 0, error};
}

void ClearHostFaults() {
    std::lock_guard lock(g_mutex);
    g_faults.fill({});
}

bool HostCallFails(HostCall call) {
    std::lock_guard lock(g_mutex);
    Fault& f = g_faults[static_cast<size_t>(call)];
    if (f.countdown == 0 || --f.countdown > 0) return false;
    errno = f.error;
    return true;
}

}  // namespace platform
