// Push buttons, the glyph button, check boxes and radio buttons, all built on
// the system's BUTTON class.
#pragma once

#include "winlib/Controls.h"
#include "winlib/Graphics.h"

namespace winlib {

class TForm;

// The form a control sits on, or null.
TForm* GetParentForm(TControl* control);

class TButton : public TWinControl {
public:
    explicit TButton(TComponent* owner);
    const char* ClassName() const override { return "TButton"; }

    // A default button is pressed by Enter anywhere in its form.
    bool Default() const { return default_; }
    void SetDefault(bool value);
    bool IsDefault() const override { return default_; }

    // Given to the form as its modal result when the button is clicked;
    // mrNone leaves the form's result alone.
    int ModalResult = 0;

    // Presses the button as a click of the user would.
    virtual void Press();

protected:
    void WndProc(TMessage& message) override;
    void CreateParams(TCreateParams& params) override;
    void Click() override;

    // The button type bits of the style (BS_PUSHBUTTON, BS_OWNERDRAW, ...).
    virtual DWORD ButtonStyle() const;

private:
    void CNCommand(TMessage& message);

    bool default_ = false;
};

enum TBitBtnKind { bkCustom, bkOK };

// A push button that draws itself: an optional glyph near its left edge and
// the caption centred in the space to the right of it.
class TBitBtn : public TButton {
public:
    explicit TBitBtn(TComponent* owner);
    const char* ClassName() const override { return "TBitBtn"; }

    // bkOK makes the OK button: caption "OK", a green check mark, modal
    // result mrOk and default button.
    TBitBtnKind Kind() const { return kind_; }
    void SetKind(TBitBtnKind kind);

    // Distance of the glyph from the left edge.
    static constexpr int GlyphMargin = 2;
    static constexpr int GlyphSize = 18;

protected:
    void WndProc(TMessage& message) override;
    DWORD ButtonStyle() const override;
    void DrawButton(const DRAWITEMSTRUCT& item);
    void DrawCheckGlyph(HDC dc, int left, int top, bool enabled);

private:
    void CNDrawItem(TMessage& message);

    TBitBtnKind kind_ = bkCustom;
    TBrush glyphFill_;
    TPen glyphOutline_;
    TBrush disabledFill_;
    TPen disabledOutline_;
};

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// A check box that checks and unchecks itself when clicked.
//
// OnClick runs when the user changes the state (mouse, Space, mnemonic).
// Setting Checked from code does not run it: the program's handlers react
// to the user, and code that sets the state knows it did.
class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TComponent* owner);
    const char* ClassName() const override { return "TCheckBox"; }

    bool Checked() const;
    void SetChecked(bool value);

    // taLeftJustify puts the caption to the left of the box, taRightJustify
    // (the default) to its right.
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);

protected:
    void WndProc(TMessage& message) override;
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void DestroyWnd() override;

private:
    void CNCommand(TMessage& message);

    bool checked_ = false;
    TAlignment alignment_ = taRightJustify;
};

// A radio button, exclusive with the radio buttons of the same parent:
// checking one, by the user or from code, unchecks the others.
//
// Radio buttons that follow each other in their parent's tab order form one
// group for the dialog keys: the arrow keys move and check within it, and
// its one tab stop is the checked button, so that Tab never checks one.
//
// OnClick runs when the user's action checks the button; as with the check
// box, setting Checked from code does not run it.
class TRadioButton : public TWinControl {
public:
    explicit TRadioButton(TComponent* owner);
    const char* ClassName() const override { return "TRadioButton"; }

    bool Checked() const;
    void SetChecked(bool value);

protected:
    void WndProc(TMessage& message) override;
    void CreateParams(TCreateParams& params) override;
    bool StartsGroup() const override;
    void CreateWnd() override;
    void DestroyWnd() override;

private:
    void CNCommand(TMessage& message);
    void BMSetCheck(TMessage& message);
    void UncheckSiblings();

    bool checked_ = false;
    // The window checked itself since the last click notification, as an
    // auto radio button does before it reports the click.
    bool checkedByWindow_ = false;
    bool settingFromCode_ = false;
};

}  // namespace winlib
