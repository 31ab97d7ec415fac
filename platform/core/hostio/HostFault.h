#pragma once
// A failing device for tests: makes the Nth write, rename, fsync, close or
// date setting of
// the host file layer from now on fail with a chosen errno, once, as a full
// disk or a dying drive would. Only closes of files opened for writing
// count: closing a file that was only read cannot lose data. Every byte the programs write goes through
// this layer, so a test can fail any step of any save and check that the old
// file is intact and the error is the clear one.
namespace platform {

enum class HostCall { Write, Rename, Sync, Close, Date };

// The nth call of that kind from now (1: the next one) fails with error.
// One fault per kind is armed at a time; arming again replaces it.
void FailHostCall(HostCall call, int nth, int error);
void ClearHostFaults();

// Arms a fault for its lifetime.
class ScopedHostFault {
public:
    ScopedHostFault(HostCall call, int nth, int error) { FailHostCall(call, nth, error); }
    ~ScopedHostFault() { ClearHostFaults(); }
    ScopedHostFault(const ScopedHostFault&) = delete;
    ScopedHostFault& operator=(const ScopedHostFault&) = delete;
};

// For the layer itself: whether this call is the one to fail; if so, errno
// is set to the chosen error.
bool HostCallFails(HostCall call);

}  // namespace platform
