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

namespace {

// The text of a clipboard block up to its zero, in units of Char.
template <class Char>
std::basic_string<Char> BlockText(HWND owner, UINT format)
{
    OpenedClipboard open(owner);
    HANDLE data = GetClipboardData(format);
    if (data == nullptr)
        return {};
    const Char* text = static_cast<const Char*>(GlobalLock(data));
    if (text == nullptr)
        return {};
    // The block may be larger than the text; the text ends at its zero.
    const std::size_t limit = GlobalSize(data) / sizeof(Char);
    std::size_t length = 0;
    while (length < limit && text[length] != Char{})
        ++length;
    std::basic_string<Char> result(text, length);
    GlobalUnlock(data);
    return result;
}

// A block holding the text and its zero; freed unless the clipboard takes it.
template <class Char>
GlobalMemory Block(std::basic_string_view<Char> text)
{
    GlobalMemory block(GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(Char)));
    if (!block)
        throw EOutOfResources("Out of memory for the clipboard");
    Char* memory = static_cast<Char*>(GlobalLock(block.Get()));
    if (memory == nullptr)
        throw EWin32Error::FromLastError();
    std::memcpy(memory, text.data(), text.size() * sizeof(Char));
    memory[text.size()] = Char{};
    GlobalUnlock(block.Get());
    return block;
}

void Put(UINT format, GlobalMemory& block)
{
    if (SetClipboardData(format, block.Get()) == nullptr)
        throw EWin32Error::FromLastError();
    block.Release();
}

}  // namespace

std::string TClipboard::Text() const { return BlockText<char>(owner_, CF_TEXT); }

std::wstring TClipboard::UnicodeText() const { return BlockText<wchar_t>(owner_, CF_UNICODETEXT); }

void TClipboard::SetText(std::string_view text) const
{
    GlobalMemory block = Block(text);
    OpenedClipboard open(owner_);
    Win32Check(EmptyClipboard() != FALSE);
    Put(CF_TEXT, block);
}

void TClipboard::SetText(std::string_view text, std::wstring_view unicode) const
{
    GlobalMemory bytes = Block(text), units = Block(unicode);
    OpenedClipboard open(owner_);
    Win32Check(EmptyClipboard() != FALSE);
    Put(CF_TEXT, bytes);
    Put(CF_UNICODETEXT, units);
}

}  // namespace winlib
