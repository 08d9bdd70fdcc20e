#include "winlib/Menus.h"

#include "winlib/Exceptions.h"
#include "winlib/Forms.h"

#include <algorithm>

namespace winlib {

namespace {

// Above IDOK, IDCANCEL and the other dialog commands.
constexpr unsigned FirstCommand = 1000;

WORD NextCommand()
{
    static unsigned next = FirstCommand;
    if (next > 0xFFFF)
        throw EOutOfResources("Too many menu items");
    return static_cast<WORD>(next++);
}

bool IsSeparator(const std::string& caption) { return caption == "-"; }

}  // namespace

// --------------------------------------------------------------- TMenuItem

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), command_(NextCommand()) {}

TMenuItem::~TMenuItem()
{
    for (TMenuItem* child : items_)
        child->parent_ = nullptr;
    items_.clear();
    if (parent_ != nullptr) {
        TMenuItem* parent = parent_;
        parent->items_.erase(std::remove(parent->items_.begin(), parent->items_.end(), this), parent->items_.end());
        parent_ = nullptr;
        // When the whole form goes, its menu goes too: nothing to rebuild.
        TMainMenu* menu = parent->Menu();
        const bool ending = Owner() != nullptr && Owner()->Destroying();
        if (menu != nullptr && menu->HandleAllocated() && !ending)
            menu->Rebuild();
    }
}

TMainMenu* TMenuItem::Menu() const
{
    const TMenuItem* item = this;
    while (item->parent_ != nullptr)
        item = item->parent_;
    return item->root_;
}

int TMenuItem::MenuIndex() const
{
    if (parent_ == nullptr)
        return -1;
    const auto& siblings = parent_->items_;
    return static_cast<int>(std::find(siblings.begin(), siblings.end(), this) - siblings.begin());
}

HMENU TMenuItem::HolderHandle() const
{
    if (parent_ == nullptr)
        return nullptr;
    if (parent_->root_ != nullptr)
        return parent_->root_->handle_.Get();
    return parent_->popup_;
}

void TMenuItem::SetCaption(const std::string& caption)
{
    if (caption == caption_)
        return;
    const bool kindChanged = IsSeparator(caption) != IsSeparator(caption_);
    caption_ = caption;
    HMENU holder = HolderHandle();
    if (holder == nullptr)
        return;
    if (kindChanged) {
        StructureChanged();
        return;
    }
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<char*>(caption_.c_str());
    Win32Check(SetMenuItemInfoA(holder, static_cast<UINT>(MenuIndex()), TRUE, &info) != FALSE);
    if (TMainMenu* menu = Menu(); menu != nullptr && holder == menu->handle_.Get()) {
        if (HWND window = menu->AttachedWindow())
            DrawMenuBar(window);
    }
}

void TMenuItem::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    HMENU holder = HolderHandle();
    if (holder == nullptr)
        return;
    EnableMenuItem(holder, static_cast<UINT>(MenuIndex()), MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
    // Entries of the bar itself are drawn by the window's frame.
    if (TMainMenu* menu = Menu(); menu != nullptr && holder == menu->handle_.Get()) {
        if (HWND window = menu->AttachedWindow())
            DrawMenuBar(window);
    }
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item)
{
    if (item == nullptr || item == this)
        throw EInvalidOperation("Cannot insert a menu item into itself");
    for (const TMenuItem* up = this; up != nullptr; up = up->parent_) {
        if (up == item)
            throw EInvalidOperation("Cannot insert a menu item into itself");
    }
    if (index < 0 || index > Count())
        throw EInvalidOperation(Format("Menu index out of range (%d)", index));
    if (item->parent_ != nullptr)
        item->parent_->Remove(item);
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
    StructureChanged();
}

void TMenuItem::Remove(TMenuItem* item)
{
    const auto found = std::find(items_.begin(), items_.end(), item);
    if (found == items_.end())
        return;
    items_.erase(found);
    item->parent_ = nullptr;
    StructureChanged();
}

void TMenuItem::StructureChanged()
{
    TMainMenu* menu = Menu();
    if (menu != nullptr && menu->HandleAllocated())
        menu->Rebuild();
}

void TMenuItem::Click()
{
    if (OnClick)
        OnClick(this);
}

// --------------------------------------------------------------- TMainMenu

TMainMenu::TMainMenu(TComponent* owner) : TComponent(owner), items_(std::make_unique<TMenuItem>(nullptr))
{
    items_->root_ = this;
}

TMainMenu::~TMainMenu()
{
    // A form that is going has destroyed its window already, which gave the
    // bar back first (TWinControl's WM_DESTROY); a form that stays loses its bar.
    if (form_ != nullptr && !form_->Destroying()) {
        if (HWND window = AttachedWindow()) {
            SetMenu(window, nullptr);
            DrawMenuBar(window);
        }
        if (form_->MenuHandle == handle_.Get())
            form_->MenuHandle = nullptr;
        form_->OnMenuCommand = nullptr;
        form_->OnMenuPopup = nullptr;
    }
    DestroyHandle();
    items_->root_ = nullptr;
}

HWND TMainMenu::AttachedWindow() const
{
    if (!handle_ || form_ == nullptr || !form_->HandleAllocated())
        return nullptr;
    HWND window = form_->Handle();
    return GetMenu(window) == handle_.Get() ? window : nullptr;
}

void TMainMenu::AttachTo(TForm& form)
{
    form_ = &form;
    form.MenuHandle = Handle();
    form.OnMenuCommand = [this](WORD command) { return DispatchCommand(command); };
    form.OnMenuPopup = [this](HMENU popup) { DispatchPopup(popup); };
    if (form.HandleAllocated()) {
        Win32Check(SetMenu(form.Handle(), handle_.Get()) != FALSE);
        DrawMenuBar(form.Handle());
    }
}

HMENU TMainMenu::Handle()
{
    if (!handle_) {
        OwnedMenu bar(CreateMenu());
        if (!bar)
            throw EWin32Error::FromLastError();
        Finally forget([this] { ForgetHandles(*items_); });
        Build(bar.Get(), *items_);
        forget.Dismiss();
        handle_ = std::move(bar);
    }
    return handle_.Get();
}

void TMainMenu::Build(HMENU menu, TMenuItem& parent)
{
    for (TMenuItem* item : parent.items_) {
        if (IsSeparator(item->caption_)) {
            Win32Check(AppendMenuA(menu, MF_SEPARATOR, 0, nullptr) != FALSE);
            continue;
        }
        const UINT state = item->enabled_ ? MF_ENABLED : MF_GRAYED;
        if (item->items_.empty()) {
            Win32Check(AppendMenuA(menu, MF_STRING | state, item->command_, item->caption_.c_str()) != FALSE);
            continue;
        }
        OwnedMenu popup(CreatePopupMenu());
        if (!popup)
            throw EWin32Error::FromLastError();
        Win32Check(AppendMenuA(menu, MF_STRING | MF_POPUP | state, reinterpret_cast<UINT_PTR>(popup.Get()),
                               item->caption_.c_str()) != FALSE);
        // From here the popup belongs to menu and goes with it.
        item->popup_ = popup.Release();
        Build(item->popup_, *item);
    }
}

void TMainMenu::ForgetHandles(TMenuItem& item)
{
    item.popup_ = nullptr;
    for (TMenuItem* child : item.items_)
        ForgetHandles(*child);
}

void TMainMenu::DestroyHandle()
{
    if (!handle_)
        return;
    handle_.Reset();
    ForgetHandles(*items_);
}

void TMainMenu::Rebuild()
{
    HWND window = AttachedWindow();
    OwnedMenu old = std::move(handle_);
    ForgetHandles(*items_);
    // Should no new bar come, the old one stays up, its items no longer
    // known: better than none.
    Finally keepOld([&] {
        if (!handle_)
            handle_ = std::move(old);
    });
    Handle();
    if (form_ != nullptr && form_->MenuHandle == old.Get())
        form_->MenuHandle = handle_.Get();
    if (window != nullptr) {
        SetMenu(window, handle_.Get());
        DrawMenuBar(window);
    }
}

namespace {

TMenuItem* FindItem(const TMenuItem& parent, WORD command, HMENU popup)
{
    for (int i = 0; i < parent.Count(); ++i) {
        TMenuItem* item = parent.Items(i);
        if (popup != nullptr ? item->PopupHandle() == popup : (item->Count() == 0 && item->Command() == command))
            return item;
        if (TMenuItem* inner = FindItem(*item, command, popup))
            return inner;
    }
    return nullptr;
}

}  // namespace

TMenuItem* TMainMenu::FindCommand(WORD command) const
{
    return handle_ ? FindItem(*items_, command, nullptr) : nullptr;
}

TMenuItem* TMainMenu::FindPopup(HMENU popup) const
{
    return handle_ && popup != nullptr ? FindItem(*items_, 0, popup) : nullptr;
}

bool TMainMenu::DispatchCommand(WORD command)
{
    TMenuItem* item = FindCommand(command);
    if (item == nullptr)
        return false;
    if (item->Enabled())
        item->Click();
    return true;
}

void TMainMenu::DispatchPopup(HMENU popup)
{
    if (TMenuItem* item = FindPopup(popup))
        item->Click();
}

}  // namespace winlib
