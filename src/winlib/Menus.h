// The menu bar of a form and its items.
#pragma once

#include "winlib/Components.h"
#include "winlib/Controls.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace winlib {

class TForm;
class TMainMenu;

// An entry of a menu. An item with sub-items opens them as a popup menu,
// and its OnClick runs as the popup opens, before its items show; an item
// without sub-items is a command, also on the menu bar itself.
class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;
    const char* ClassName() const override { return "TMenuItem"; }

    // "&" marks the mnemonic letter.
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    // Sub-items, in menu order. The item does not own them: their owner does.
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    void Remove(TMenuItem* item);
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const { return items_.at(static_cast<size_t>(index)); }
    TMenuItem* Parent() const { return parent_; }
    int MenuIndex() const;

    // The WM_COMMAND id of the item; ids start above the dialog commands.
    WORD Command() const { return command_; }
    // The popup menu of an item with sub-items while the menu exists.
    HMENU PopupHandle() const { return popup_; }

    TNotifyEvent OnClick;
    // Runs OnClick, as a choice of the user does.
    virtual void Click();

private:
    friend class TMainMenu;

    TMainMenu* Menu() const;
    // The live menu that holds this item and its position there.
    HMENU HolderHandle() const;
    void StructureChanged();

    std::string caption_;
    bool enabled_ = true;
    WORD command_;
    TMenuItem* parent_ = nullptr;
    std::vector<TMenuItem*> items_;
    HMENU popup_ = nullptr;  // not owned: part of the menu bar
    TMainMenu* root_ = nullptr;
};

// A form's menu bar. The component owns the HMENU for its whole life: while
// the bar is attached to a window it takes it back before the window is
// destroyed (a window frees its menu with itself), so that a re-created form
// window gets the same bar again and nothing is freed twice.
class TMainMenu : public TComponent {
public:
    explicit TMainMenu(TComponent* owner);
    ~TMainMenu() override;
    const char* ClassName() const override { return "TMainMenu"; }

    // The bar entries.
    TMenuItem& Items() { return *items_; }
    const TMenuItem& Items() const { return *items_; }

    // Makes this the form's menu bar: the form shows it and hands it its
    // commands and the opening of its popups.
    void AttachTo(TForm& form);
    TForm* Form() const { return form_; }

    // The menu bar, built when first asked for.
    HMENU Handle();
    bool HandleAllocated() const { return static_cast<bool>(handle_); }

    // The item of a command id or popup menu, or null.
    TMenuItem* FindCommand(WORD command) const;
    TMenuItem* FindPopup(HMENU popup) const;
    // What the form calls: true when the command was one of the menu's.
    bool DispatchCommand(WORD command);
    void DispatchPopup(HMENU popup);

private:
    friend class TMenuItem;

    void Build(HMENU menu, TMenuItem& parent);
    void ForgetHandles(TMenuItem& item);
    // Rebuilds the bar after items were added or removed.
    void Rebuild();
    void DestroyHandle();
    // The window that shows the bar now, or null.
    HWND AttachedWindow() const;

    std::unique_ptr<TMenuItem> items_;
    OwnedMenu handle_;
    TForm* form_ = nullptr;
};

}  // namespace winlib
