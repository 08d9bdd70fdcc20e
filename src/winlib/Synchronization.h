// Locks shared by the program's running copies.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace winlib {

// Holds a named mutex, shared by every process that names it, for its
// lifetime. While it waits, messages that other threads and processes send
// to this thread's windows are still handled, so that a holder that sends
// one (the clipboard does) is not left waiting for the waiter. A mutex left
// behind by a process that ended counts as taken.
class NamedMutexLock {
public:
    // Waits at most timeoutMs; Owned() tells whether the lock was had.
    NamedMutexLock(const std::string& name, DWORD timeoutMs);
    ~NamedMutexLock();
    NamedMutexLock(const NamedMutexLock&) = delete;
    NamedMutexLock& operator=(const NamedMutexLock&) = delete;

    bool Owned() const noexcept { return owned_; }

private:
    struct HandleCloser {
        void operator()(HANDLE handle) const noexcept { CloseHandle(handle); }
    };
    std::unique_ptr<void, HandleCloser> mutex_;
    bool owned_ = false;
};

}  // namespace winlib
