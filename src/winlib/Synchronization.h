// Waiting without blocking other programs, and locks shared by the
// program's running copies.
#pragma once

#include "winlib/Scoped.h"

#include <windows.h>

#include <initializer_list>
#include <string>

namespace winlib {

// Waits up to timeoutMs for the object to be signalled (with none, only for
// the time), handling meanwhile the messages that other threads and
// processes send to this thread's windows: a program that sends one while
// it holds something this thread waits for (the clipboard does) is not left
// waiting for the waiter. Posted messages wait for the message loop.
// Returns WAIT_OBJECT_0, WAIT_ABANDONED_0, WAIT_TIMEOUT or WAIT_FAILED.
DWORD WaitHandlingSentMessages(HANDLE object, DWORD timeoutMs);

// Holds a named mutex, shared by every process that names it, for its
// lifetime, waiting for it as above. A mutex left behind by a process that
// ended counts as taken.
class NamedMutexLock {
public:
    // Waits at most timeoutMs; Owned() tells whether the lock was had.
    NamedMutexLock(const std::string& name, DWORD timeoutMs);
    // The first of the names whose mutex the system gives (a name can be
    // refused: not allowed, or taken by an object of another kind).
    NamedMutexLock(std::initializer_list<const char*> names, DWORD timeoutMs);
    ~NamedMutexLock();
    NamedMutexLock(const NamedMutexLock&) = delete;
    NamedMutexLock& operator=(const NamedMutexLock&) = delete;

    bool Owned() const noexcept { return owned_; }

private:
    KernelHandle mutex_;
    bool owned_ = false;
};

}  // namespace winlib
