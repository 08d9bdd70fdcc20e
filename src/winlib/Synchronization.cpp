#include "winlib/Synchronization.h"

namespace winlib {

DWORD WaitHandlingSentMessages(HANDLE object, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    const DWORD count = object != nullptr ? 1 : 0;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        const DWORD result = MsgWaitForMultipleObjects(count, &object, FALSE, left, QS_SENDMESSAGE);
        if (result != WAIT_OBJECT_0 + count)
            return result;  // the object, the time, or a failure
        // Peeking handles the sent messages; nothing is taken from the queue.
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        if (left == 0)
            return WAIT_TIMEOUT;
    }
}

NamedMutexLock::NamedMutexLock(const std::string& name, DWORD timeoutMs)
    : NamedMutexLock({name.c_str()}, timeoutMs)
{
}

NamedMutexLock::NamedMutexLock(std::initializer_list<const char*> names, DWORD timeoutMs)
{
    for (const char* name : names) {
        mutex_.Reset(CreateMutexA(nullptr, FALSE, name));
        if (mutex_)
            break;
    }
    if (!mutex_)
        return;  // no lock to be had: go on unguarded rather than not at all
    const DWORD result = WaitHandlingSentMessages(mutex_.Get(), timeoutMs);
    owned_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED_0;
}

NamedMutexLock::~NamedMutexLock()
{
    if (owned_)
        ReleaseMutex(mutex_.Get());
}

}  // namespace winlib
