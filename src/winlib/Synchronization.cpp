#include "winlib/Synchronization.h"

namespace winlib {

NamedMutexLock::NamedMutexLock(const std::string& name, DWORD timeoutMs)
    : mutex_(CreateMutexA(nullptr, FALSE, name.c_str()))
{
    if (!mutex_)
        return;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        HANDLE handle = mutex_.get();
        const DWORD result = MsgWaitForMultipleObjects(1, &handle, FALSE, left, QS_SENDMESSAGE);
        if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED_0) {
            owned_ = true;
            return;
        }
        if (result != WAIT_OBJECT_0 + 1)
            return;  // timed out or failed
        // Handles the sent messages only; posted ones wait for the loop.
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

NamedMutexLock::~NamedMutexLock()
{
    if (owned_)
        ReleaseMutex(mutex_.get());
}

}  // namespace winlib
