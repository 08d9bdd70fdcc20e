#include "winlib/Lists.h"

#include "winlib/Exceptions.h"

namespace winlib {

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
    if (window == nullptr)
        return saved_[static_cast<size_t>(index)];
    const LRESULT length = SendMessageA(window, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR)
        throw EStringListError(Format("List index out of bounds (%d)", index));
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const LRESULT copied =
        SendMessageA(window, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == LB_ERR ? 0 : static_cast<size_t>(copied));
    return text;
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
        const LRESULT result = SendMessageA(window, LB_INSERTSTRING, static_cast<WPARAM>(index),
                                            reinterpret_cast<LPARAM>(line.c_str()));
        if (result == LB_ERR || result == LB_ERRSPACE)
            throw EOutOfResources("Not enough memory for the list's items");
        return;
    }
    saved_.insert(saved_.begin() + index, line);
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
    std::vector<std::string> items;
    items.swap(items_.saved_);
    const int index = savedIndex_;
    savedIndex_ = -1;
    HWND window = Handle();
    SendMessageA(window, WM_SETREDRAW, FALSE, 0);
    Finally redraw([window] { SendMessageA(window, WM_SETREDRAW, TRUE, 0); });
    for (const std::string& item : items) {
        const LRESULT result =
            SendMessageA(window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        if (result == LB_ERR || result == LB_ERRSPACE)
            throw EOutOfResources("Not enough memory for the list's items");
    }
    if (index >= 0)
        SendMessageA(window, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TListBox::DestroyWnd()
{
    std::vector<std::string> items;
    const int count = items_.GetCount();
    items.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        items.push_back(items_.Get(i));
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
