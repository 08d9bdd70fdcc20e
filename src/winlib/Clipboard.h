// The system clipboard, opened for the length of one operation.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace winlib {

class TClipboard {
public:
    // The window that owns what this program puts on the clipboard.
    explicit TClipboard(HWND owner) : owner_(owner) {}

    bool HasFormat(UINT format) const;
    // The CF_TEXT text up to its zero byte; empty when there is none.
    std::string Text() const;
    // The CF_UNICODETEXT text up to its zero unit; empty when there is none.
    std::wstring UnicodeText() const;
    // Empties the clipboard of every format and puts text on it as CF_TEXT.
    void SetText(std::string_view text) const;
    // The same, with the same text as CF_UNICODETEXT as well, so that the
    // system does not make it from the bytes with a code page of its choice.
    void SetText(std::string_view text, std::wstring_view unicode) const;

private:
    HWND owner_;
};

}  // namespace winlib
