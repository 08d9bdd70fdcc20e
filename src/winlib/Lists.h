// The list box over the system's LISTBOX class, with its items as a string
// list that talks to the window.
#pragma once

#include "winlib/Controls.h"
#include "winlib/Strings.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace winlib {

class TListBox;

// The items of a list box. While the list has a window they live in the
// window; while it has none (before creation, during re-creation) here.
class TListBoxStrings : public TStrings {
public:
    explicit TListBoxStrings(TListBox& list) : list_(list) {}

    std::string Get(int index) const override;
    int GetCount() const override;
    // Replaces an item; a selection on it stays.
    void Put(int index, const std::string& line) override;
    void Insert(int index, const std::string& line) override;
    void Delete(int index) override;
    void Clear() override;

protected:
    void SetUpdating(bool updating) override;

private:
    friend class TListBox;

    // An item while the list has no window: the bytes it was given, or
    // the UTF-16 text when it was given so.
    struct SavedItem {
        std::string bytes;
        std::optional<std::u16string> text;
    };

    void CheckIndex(int index, int limit) const;
    HWND Window() const;
    int AddUtf16(std::u16string_view text);
    std::u16string GetUtf16(int index) const;

    TListBox& list_;
    // Only while the list has no window.
    std::vector<SavedItem> saved_;
};

// A list of single selection, unsorted. OnClick runs when the user changes
// the selection with the mouse or the keyboard; setting ItemIndex from code
// does not run it.
class TListBox : public TWinControl {
public:
    explicit TListBox(TComponent* owner);
    const char* ClassName() const override { return "TListBox"; }

    TStrings& Items() { return items_; }
    const TStrings& Items() const { return items_; }
    // The selected item, -1 for none.
    int ItemIndex() const;
    void SetItemIndex(int index);
    // The first item shown.
    int TopIndex() const;
    void Clear() { items_.Clear(); }
    // An item in UTF-16, for characters that the ANSI code page lacks: the
    // list holds its items so, and the "A" road of Items() would convert
    // them through that code page. Adds at the end and answers the index.
    int AddItemUtf16(std::u16string_view text) { return items_.AddUtf16(text); }
    std::u16string ItemUtf16(int index) const { return items_.GetUtf16(index); }

protected:
    void WndProc(TMessage& message) override;
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void DestroyWnd() override;

private:
    friend class TListBoxStrings;

    void CNCommand(TMessage& message);

    TListBoxStrings items_;
    // Only while the list has no window.
    int savedIndex_ = -1;
};

}  // namespace winlib
