// Standard controls over the system's classes.
#pragma once

#include "winlib/Buttons.h"
#include "winlib/Controls.h"
#include "winlib/Forms.h"

#include <windows.h>

#include <string>

namespace winlib {

// ------------------------------------------------------------ edit and memo

// A control's border: bsNone or bsSingle of the border styles.
using TBorderStyle = TFormBorderStyle;

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// A single-line edit over the system's EDIT class. Its settings are kept
// while no window exists and shape the window when it is created; a change
// of BorderStyle makes the window anew.
class TCustomEdit : public TWinControl {
public:
    explicit TCustomEdit(TComponent* owner);
    const char* ClassName() const override { return "TCustomEdit"; }

    // 0 is the control's own default limit.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int value);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle value);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);

    // The window's modified flag; kept by the control while it has no window.
    bool IsModified();
    void SetModified(bool value);

    virtual int SelectionStart();
    virtual void SetSelectionStart(int position);
    virtual int SelectionLength();
    virtual void SetSelectionLength(int length);
    virtual std::string SelectedText();
    // Replaces the selection (not undoable) and leaves the caret after it.
    virtual void SetSelectedText(const std::string& text);
    virtual void SelectAllText();
    virtual void ClearText();
    // Copies at most bufSize characters of the selection and a terminating
    // zero (so buffer holds bufSize + 1) and returns the number copied.
    virtual int CopySelectedText(char* buffer, int bufSize);
    std::string WholeText();
    bool CanUndo();
    void Undo();

    // Raised when the text changes, but not while the window is being made.
    TNotifyEvent OnChange;

protected:
    void WndProc(TMessage& message) override;
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    virtual void ApplyMaxLength(int value);
    virtual void Change();
    // The modified flag as last taken from the window or set without one.
    bool StoredModified() const { return modified_; }

private:
    void CNCommand(TMessage& message);

    int maxLength_ = 0;
    TBorderStyle borderStyle_ = bsSingle;
    bool readOnly_ = false;
    bool modified_ = false;
};

// A multi-line edit. Changing ScrollBars, WordWrap, Alignment or
// WantReturns makes the window anew.
class TCustomMemo : public TCustomEdit {
public:
    explicit TCustomMemo(TComponent* owner);
    const char* ClassName() const override { return "TCustomMemo"; }

    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    // Whether Enter and Tab go into the text rather than to the form, whose
    // dialog keys the application's message loop handles.
    bool WantReturns() const { return wantReturns_; }
    void SetWantReturns(bool value);
    bool WantTabs() const { return wantTabs_; }
    void SetWantTabs(bool value) { wantTabs_ = value; }

protected:
    void WndProc(TMessage& message) override;
    void CreateParams(TCreateParams& params) override;

private:
    void WMGetDlgCode(TMessage& message);

    TScrollStyle scrollBars_ = ssNone;
    bool wordWrap_ = true;
    TAlignment alignment_ = taLeftJustify;
    bool wantReturns_ = true;
    bool wantTabs_ = false;
};

}  // namespace winlib
