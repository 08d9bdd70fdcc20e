#include "winlib/Dialogs.h"

#include "winlib/Forms.h"
#include "winlib/Strings.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

namespace winlib {

ECommonDialogError::ECommonDialogError(unsigned long code)
    : Exception(Format("The dialog could not be shown (error 0x%04lX)", code)), code_(code)
{
}

HWND DialogOwner()
{
    if (Application == nullptr)
        return nullptr;
    HWND active = Application->ActiveFormHandle;
    if (active != nullptr && IsWindow(active) && IsWindowVisible(active))
        return active;
    TForm* main = Application->MainForm();
    if (main != nullptr && main->HandleAllocated())
        return main->Handle();
    return nullptr;
}

std::string FilterToApi(const std::string& filter)
{
    if (filter.empty())
        return std::string();
    std::string result = filter;
    std::replace(result.begin(), result.end(), '|', '\0');
    // Each part ends in a NUL, the list in one more.
    result.push_back('\0');
    result.push_back('\0');
    return result;
}

// ------------------------------------------------------------- TOpenDialog

TOpenDialog::TOpenDialog(TComponent* owner) : TComponent(owner) {}

DWORD TOpenDialog::ApiFlags() const
{
    DWORD flags = OFN_EXPLORER | OFN_ENABLESIZING;
    if (Options & ofHideReadOnly)
        flags |= OFN_HIDEREADONLY;
    if (Options & ofOverwritePrompt)
        flags |= OFN_OVERWRITEPROMPT;
    if (Options & ofFileMustExist)
        flags |= OFN_FILEMUSTEXIST;
    if (Options & ofPathMustExist)
        flags |= OFN_PATHMUSTEXIST;
    if (Options & ofNoChangeDir)
        flags |= OFN_NOCHANGEDIR;
    if (Options & ofCreatePrompt)
        flags |= OFN_CREATEPROMPT;
    return flags;
}

bool TOpenDialog::Execute() { return Execute(DialogOwner()); }

bool TOpenDialog::Execute(HWND owner)
{
    // The Unicode dialog, so that a name in any script can be chosen; the
    // filter's pairs and their ending NULs come through the conversion.
    const std::wstring filter = SystemFileName(FilterToApi(Filter));
    // The system wants the extension without its dot.
    const size_t extensionStart = DefaultExt.find_first_not_of('.');
    const std::wstring extension =
        extensionStart == std::string::npos ? std::wstring() : SystemFileName(DefaultExt.substr(extensionStart));
    const std::wstring initialDir = SystemFileName(InitialDir), title = SystemFileName(Title);
    const std::wstring current = SystemFileName(FileName);
    std::vector<wchar_t> name(std::max<size_t>(4096, current.size() + 1), L'\0');
    std::copy(current.begin(), current.end(), name.begin());

    OPENFILENAMEW request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    request.nFilterIndex = static_cast<DWORD>((std::max)(FilterIndex, 0));
    request.lpstrFile = name.data();
    request.nMaxFile = static_cast<DWORD>(name.size());
    request.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
    request.lpstrTitle = title.empty() ? nullptr : title.c_str();
    request.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    request.Flags = ApiFlags();

    const BOOL chosen = IsSave() ? GetSaveFileNameW(&request) : GetOpenFileNameW(&request);
    if (!chosen) {
        const DWORD error = CommDlgExtendedError();
        if (error != 0)
            throw ECommonDialogError(error);
        return false;
    }
    FileName = ProgramFileName(name.data());
    FilterIndex = static_cast<int>(request.nFilterIndex);
    return true;
}

// ------------------------------------------------------------- TFontDialog

TFontDialog::TFontDialog(TComponent* owner) : TComponent(owner) {}

DWORD TFontDialog::ApiFlags() const
{
    DWORD flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
    if (Options & fdEffects)
        flags |= CF_EFFECTS;
    if (Options & fdFixedPitchOnly)
        flags |= CF_FIXEDPITCHONLY;
    if (MinFontSize > 0 && MaxFontSize > 0)
        flags |= CF_LIMITSIZE;
    return flags;
}

bool TFontDialog::Execute() { return Execute(DialogOwner()); }

bool TFontDialog::Execute(HWND owner)
{
    LOGFONTA logFont = font_.LogFont();
    CHOOSEFONTA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.lpLogFont = &logFont;
    request.Flags = ApiFlags();
    request.rgbColors = ColorToRGB(font_.Color());
    request.nSizeMin = MinFontSize;
    request.nSizeMax = MaxFontSize;

    if (!ChooseFontA(&request)) {
        const DWORD error = CommDlgExtendedError();
        if (error != 0)
            throw ECommonDialogError(error);
        return false;
    }
    font_.SetLogFont(logFont);
    // Without the effects group the dialog had no colour to offer.
    if (Options & fdEffects)
        font_.SetColor(request.rgbColors);
    return true;
}

// ----------------------------------------------------------- message boxes

int MessageDlg(const std::string& text, TMsgDlgType type, UINT buttons)
{
    UINT flags = buttons;
    switch (type) {
    case mtWarning: flags |= MB_ICONWARNING; break;
    case mtError: flags |= MB_ICONERROR; break;
    case mtInformation: flags |= MB_ICONINFORMATION; break;
    case mtConfirmation: flags |= MB_ICONQUESTION; break;
    case mtCustom: break;
    }
    HWND owner = DialogOwner();
    if (owner == nullptr)
        flags |= MB_TASKMODAL;
    // The text may name a file, in any script.
    const std::wstring caption = SystemFileName(Application != nullptr ? Application->Title() : std::string());
    const int result = MessageBoxW(owner, SystemFileName(text).c_str(), caption.c_str(), flags);
    if (result == 0)
        throw EWin32Error::FromLastError();
    return result;
}

void ShowMessage(const std::string& text) { MessageDlg(text, mtCustom, MB_OK); }

}  // namespace winlib
