#include "winlib/Clipboard.h"

#include "winlib/Exceptions.h"
#include "winlib/Scoped.h"
#include "winlib/Synchronization.h"

#include <cstring>

namespace winlib {

namespace {

// Holds the clipboard open. Another program may have it open for a moment,
// so opening is tried a few times before it counts as a failure; between
// the tries this program answers what that one sends it (emptying the
// clipboard sends its previous owner a message and waits for the answer).
class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner)
    {
        constexpr int Attempts = 10;
        for (int attempt = 1;; ++attempt) {
            if (OpenClipboard(owner)) {
                open_ = true;
                return;
            }
            // Taken at once: what the waiting handles can set another error.
            const DWORD error = GetLastError();
            if (attempt == Attempts)
                throw EWin32Error(error);
            WaitHandlingSentMessages(nullptr, 20);
        }
    }
    ~OpenedClipboard()
    {
        if (open_)
            CloseClipboard();
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;

private:
    bool open_ = false;
};

}  // namespace

bool TClipboard::HasFormat(UINT format) const { return IsClipboardFormatAvailable(format) != FALSE; }

std::string TClipboard::Text() const
{
    OpenedClipboard open(owner_);
    HANDLE data = GetClipboardData(CF_TEXT);
    if (data == nullptr)
        return {};
    const char* text = static_cast<const char*>(GlobalLock(data));
    if (text == nullptr)
        return {};
    // The block may be larger than the text; the text ends at its zero byte.
    const std::size_t limit = GlobalSize(data);
    const std::size_t length = strnlen(text, limit);
    std::string result(text, length);
    GlobalUnlock(data);
    return result;
}

void TClipboard::SetText(std::string_view text) const
{
    // Freed here unless the clipboard takes it.
    GlobalMemory block(GlobalAlloc(GMEM_MOVEABLE, text.size() + 1));
    if (!block)
        throw EOutOfResources("Out of memory for the clipboard");
    char* memory = static_cast<char*>(GlobalLock(block.Get()));
    if (memory == nullptr)
        throw EWin32Error::FromLastError();
    std::memcpy(memory, text.data(), text.size());
    memory[text.size()] = '\0';
    GlobalUnlock(block.Get());

    OpenedClipboard open(owner_);
    Win32Check(EmptyClipboard() != FALSE);
    if (SetClipboardData(CF_TEXT, block.Get()) == nullptr)
        throw EWin32Error::FromLastError();
    block.Release();
}

}  // namespace winlib
