#include "winlib/Lists.h"

#include "winlib/Exceptions.h"

#include <utility>

namespace winlib {

namespace {

// What the window's "A" road makes of a UTF-16 item.
std::string ToAnsi(const std::u16string& text)
{
    if (text.empty())
        return {};
    const std::wstring units(text.begin(), text.end());
    const int length = static_cast<int>(units.size());
    const int size = WideCharToMultiByte(CP_ACP, 0, units.c_str(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return {};
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, units.c_str(), length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::u16string FromAnsi(const std::string& bytes)
{
    const std::wstring units = DecodeCodePage(CP_ACP, bytes).value_or(std::wstring());
    return std::u16string(units.begin(), units.end());
}

// A message with UTF-16 text, handed to the system list box's own Unicode
// procedure. Sent to the window, it would pass through our "A" procedure,
// and the system would convert the text to the ANSI code page and back on
// the way (U+2588 comes back as U+00A6).
LRESULT SendUnicode(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    if (GetClassInfoExW(GetModuleHandleW(nullptr), L"LISTBOX", &info) || GetClassInfoExW(nullptr, L"LISTBOX", &info))
        return CallWindowProcW(info.lpfnWndProc, window, msg, wParam, lParam);
    return SendMessageW(window, msg, wParam, lParam);
}

void CheckAdded(LRESULT result)
{
    if (result == LB_ERR || result == LB_ERRSPACE)
        throw EOutOfResources("Not enough memory for the list's items");
}

}  // namespace

// -------------------------------------------------------- TListBoxStrings

HWND TListBoxStrings::Window() const
{
    return list_.HandleAllocated() ? list_.Handle() : nullptr;
}

void TListBoxStrings::CheckIndex(int index, int limit) const
{
    if (index < 0 || index >= limit)
        throw EStringListError(Format("List index out of bounds (%d)", index));
}

int TListBoxStrings::GetCount() const
{
    if (HWND window = Window()) {
        const LRESULT count = SendMessageA(window, LB_GETCOUNT, 0, 0);
        return count == LB_ERR ? 0 : static_cast<int>(count);
    }
    return static_cast<int>(saved_.size());
}

std::string TListBoxStrings::Get(int index) const
{
    CheckIndex(index, GetCount());
    HWND window = Window();
    if (window == nullptr) {
        const SavedItem& item = saved_[static_cast<size_t>(index)];
        return item.text ? ToAnsi(*item.text) : item.bytes;
    }
    const LRESULT length = SendMessageA(window, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR)
        throw EStringListError(Format("List index out of bounds (%d)", index));
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const LRESULT copied =
        SendMessageA(window, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == LB_ERR ? 0 : static_cast<size_t>(copied));
    return text;
}

int TListBoxStrings::AddUtf16(std::u16string_view text)
{
    if (HWND window = Window()) {
        const std::wstring units(text.begin(), text.end());
        const LRESULT result = SendUnicode(window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(units.c_str()));
        CheckAdded(result);
        return static_cast<int>(result);
    }
    saved_.push_back(SavedItem{std::string(), std::u16string(text)});
    return static_cast<int>(saved_.size()) - 1;
}

std::u16string TListBoxStrings::GetUtf16(int index) const
{
    CheckIndex(index, GetCount());
    HWND window = Window();
    if (window == nullptr) {
        const SavedItem& item = saved_[static_cast<size_t>(index)];
        return item.text ? *item.text : FromAnsi(item.bytes);
    }
    const LRESULT length = SendUnicode(window, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR)
        throw EStringListError(Format("List index out of bounds (%d)", index));
    std::wstring units(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied =
        SendUnicode(window, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(units.data()));
    units.resize(copied == LB_ERR ? 0 : static_cast<size_t>(copied));
    return std::u16string(units.begin(), units.end());
}

void TListBoxStrings::Put(int index, const std::string& line)
{
    CheckIndex(index, GetCount());
    const bool selected = list_.ItemIndex() == index;
    TStrings::Put(index, line);
    if (selected)
        list_.SetItemIndex(index);
}

void TListBoxStrings::Insert(int index, const std::string& line)
{
    CheckIndex(index, GetCount() + 1);
    if (HWND window = Window()) {
        CheckAdded(SendMessageA(window, LB_INSERTSTRING, static_cast<WPARAM>(index),
                                reinterpret_cast<LPARAM>(line.c_str())));
        return;
    }
    saved_.insert(saved_.begin() + index, SavedItem{line, std::nullopt});
    if (list_.savedIndex_ >= index)
        ++list_.savedIndex_;
}

void TListBoxStrings::Delete(int index)
{
    CheckIndex(index, GetCount());
    if (HWND window = Window()) {
        SendMessageA(window, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
        return;
    }
    saved_.erase(saved_.begin() + index);
    if (list_.savedIndex_ == index)
        list_.savedIndex_ = -1;
    else if (list_.savedIndex_ > index)
        --list_.savedIndex_;
}

void TListBoxStrings::Clear()
{
    if (HWND window = Window())
        SendMessageA(window, LB_RESETCONTENT, 0, 0);
    saved_.clear();
    list_.savedIndex_ = -1;
}

void TListBoxStrings::SetUpdating(bool updating)
{
    HWND window = Window();
    if (window == nullptr)
        return;
    SendMessageA(window, WM_SETREDRAW, updating ? FALSE : TRUE, 0);
    if (!updating)
        InvalidateRect(window, nullptr, TRUE);
}

// --------------------------------------------------------------- TListBox

TListBox::TListBox(TComponent* owner) : TWinControl(owner), items_(*this)
{
    SetBounds(0, 0, 121, 97);
    SetTabStop(true);
    SetColor(clWindow);
}

void TListBox::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case CN_COMMAND: CNCommand(message); break;
    default: TWinControl::WndProc(message); break;
    }
}

void TListBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    MakeSuperclass(params, "LISTBOX");
    // Its height is the one it is given, not a whole number of items.
    params.Style |= WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    if (Ctl3D)
        params.ExStyle |= WS_EX_CLIENTEDGE;
    else
        params.Style |= WS_BORDER;
}

void TListBox::CreateWnd()
{
    TWinControl::CreateWnd();
    // The items and the selection kept while there was no window move into it.
    std::vector<TListBoxStrings::SavedItem> items;
    items.swap(items_.saved_);
    const int index = savedIndex_;
    savedIndex_ = -1;
    HWND window = Handle();
    SendMessageA(window, WM_SETREDRAW, FALSE, 0);
    Finally redraw([window] { SendMessageA(window, WM_SETREDRAW, TRUE, 0); });
    for (const TListBoxStrings::SavedItem& item : items) {
        if (item.text)
            items_.AddUtf16(*item.text);
        else
            CheckAdded(SendMessageA(window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.bytes.c_str())));
    }
    if (index >= 0)
        SendMessageA(window, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TListBox::DestroyWnd()
{
    // An item keeps its bytes unless they do not give back its text, as
    // those of a character that the ANSI code page lacks.
    std::vector<TListBoxStrings::SavedItem> items;
    const int count = items_.GetCount();
    items.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        std::string bytes = items_.Get(i);
        std::u16string text = items_.GetUtf16(i);
        if (FromAnsi(bytes) == text)
            items.push_back({std::move(bytes), std::nullopt});
        else
            items.push_back({std::string(), std::move(text)});
    }
    const int index = ItemIndex();
    TWinControl::DestroyWnd();
    items_.saved_.swap(items);
    savedIndex_ = index;
}

int TListBox::ItemIndex() const
{
    if (!HandleAllocated())
        return savedIndex_;
    const LRESULT index = SendMessageA(const_cast<TListBox*>(this)->Handle(), LB_GETCURSEL, 0, 0);
    return index == LB_ERR ? -1 : static_cast<int>(index);
}

void TListBox::SetItemIndex(int index)
{
    if (index < -1 || index >= items_.GetCount())
        index = -1;
    if (HandleAllocated())
        SendMessageA(Handle(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    else
        savedIndex_ = index;
}

int TListBox::TopIndex() const
{
    if (!HandleAllocated())
        return 0;
    const LRESULT index = SendMessageA(const_cast<TListBox*>(this)->Handle(), LB_GETTOPINDEX, 0, 0);
    return index == LB_ERR ? 0 : static_cast<int>(index);
}

void TListBox::CNCommand(TMessage& message)
{
    // The system reports selection changes made by the user, not by LB_SETCURSEL.
    if (HIWORD(message.WParam) == LBN_SELCHANGE)
        Click();
    message.Result = 0;
}

}  // namespace winlib
