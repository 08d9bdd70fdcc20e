// The standard Open, Save and Font dialogs, and message boxes.
#pragma once

#include "winlib/Components.h"
#include "winlib/Exceptions.h"
#include "winlib/Graphics.h"

#include <windows.h>

#include <string>

namespace winlib {

// A common dialog that could not be shown; the code is CommDlgExtendedError's.
class ECommonDialogError : public Exception {
public:
    explicit ECommonDialogError(unsigned long code);
    unsigned long ErrorCode() const noexcept { return code_; }
    const char* ClassName() const noexcept override { return "ECommonDialogError"; }

private:
    unsigned long code_;
};

// The window that dialogs open over: the application's active form, else
// its main form, else none.
HWND DialogOwner();

// "Text Files (*.txt)|*.txt|All Files (*.*)|*.*" in the API's form: each
// part ended by a NUL, and one more NUL at the end ("" stays empty).
std::string FilterToApi(const std::string& filter);

// Options of the file dialogs, combined with |.
enum TOpenOption : unsigned {
    ofNone = 0,
    ofHideReadOnly = 1u << 0,
    ofOverwritePrompt = 1u << 1,
    ofFileMustExist = 1u << 2,
    ofPathMustExist = 1u << 3,
    ofNoChangeDir = 1u << 4,
    ofCreatePrompt = 1u << 5,
};
using TOpenOptions = unsigned;

class TOpenDialog : public TComponent {
public:
    explicit TOpenDialog(TComponent* owner);
    const char* ClassName() const override { return "TOpenDialog"; }

    std::string FileName;  // UTF-8, as every file name of the program
    std::string Filter;
    // 1 for the first entry of the filter.
    int FilterIndex = 1;
    // With or without its leading dot; given to the system without it.
    std::string DefaultExt;
    std::string InitialDir;
    std::string Title;
    TOpenOptions Options = ofHideReadOnly;

    // Shows the dialog modally: true when the user chose a file (FileName
    // and FilterIndex then hold the choice), false when cancelled. A dialog
    // that fails to show raises ECommonDialogError.
    bool Execute();
    bool Execute(HWND owner);

    // The flags given to the system for the options (explorer style).
    DWORD ApiFlags() const;

protected:
    virtual bool IsSave() const { return false; }
};

class TSaveDialog : public TOpenDialog {
public:
    explicit TSaveDialog(TComponent* owner) : TOpenDialog(owner) {}
    const char* ClassName() const override { return "TSaveDialog"; }

protected:
    bool IsSave() const override { return true; }
};

enum TFontDialogOption : unsigned { fdNone = 0, fdEffects = 1u << 0, fdFixedPitchOnly = 1u << 1 };
using TFontDialogOptions = unsigned;

class TFontDialog : public TComponent {
public:
    explicit TFontDialog(TComponent* owner);
    const char* ClassName() const override { return "TFontDialog"; }

    // In: the font the dialog starts from. Out, after OK: the chosen face,
    // size, style, pitch and character set; the colour stays unless the
    // dialog offers effects.
    TFont& Font() { return font_; }
    // Both non-zero: the sizes offered are limited to this range (points).
    int MinFontSize = 0;
    int MaxFontSize = 0;
    TFontDialogOptions Options = fdNone;

    bool Execute();
    bool Execute(HWND owner);

    DWORD ApiFlags() const;

private:
    TFont font_;
};

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// A message box over the active form with the application's title as its
// caption; buttons are MB_OK, MB_YESNO, ...; returns IDOK, IDYES, ... The
// text is UTF-8, as file names are.
int MessageDlg(const std::string& text, TMsgDlgType type, UINT buttons);
void ShowMessage(const std::string& text);

}  // namespace winlib
