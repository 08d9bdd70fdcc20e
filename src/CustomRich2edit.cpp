#include "CustomRich2edit.h"

#include "winlib/Exceptions.h"

#include <ole2.h>
#include <windowsx.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using namespace winlib;

static_assert(sizeof(CHARFORMAT2A) == 84, "the character format exchanged with the window");
static_assert(sizeof(PARAFORMAT) == 156, "the paragraph format of the first version");

const char* const RichEditLibraryName = "RICHED20.DLL";
const char* const RichEditClassName = "RichEdit20A";

namespace {

// A library of the system, from the system folder only: loaded by its bare
// name, a file of that name beside the program (a downloads folder holds
// anything) or in the current folder would be taken first. The search flag
// is understood where AddDllDirectory exists (Windows 8, or 7 and Vista with
// their update); elsewhere the full path does the same.
HMODULE LoadSystemLibrary(const char* name)
{
    const std::wstring wideName(name, name + std::strlen(name));
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (kernel != nullptr && GetProcAddress(kernel, "AddDllDirectory") != nullptr)
        return LoadLibraryExW(wideName.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    // The library's own imports are then looked for in its folder first.
    const std::wstring path = std::wstring(folder, length) + L"\\" + wideName;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

ModuleHandle LoadRichEditLibrary()
{
    const UINT oldErrorMode = SetErrorMode(SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadSystemLibrary(RichEditLibraryName);
    SetErrorMode(oldErrorMode);
    return ModuleHandle(reinterpret_cast<UINT_PTR>(module) < 32 ? nullptr : module);
}

CHARRANGE SelectionOf(HWND window)
{
    CHARRANGE range{0, 0};
    SendMessageA(window, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range;
}

void SelectRangeOf(HWND window, LONG first, LONG last)
{
    CHARRANGE range{first, last};
    SendMessageA(window, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

namespace {

// Set while a rich text control paints, for all of them together.
bool Painting = false;

CHARFORMAT2A PreparedFormat()
{
    CHARFORMAT2A format;
    std::memset(&format, 0, sizeof format);
    format.cbSize = sizeof format;
    return format;
}

PARAFORMAT PreparedParagraph()
{
    PARAFORMAT paragraph;
    std::memset(&paragraph, 0, sizeof paragraph);
    paragraph.cbSize = sizeof paragraph;
    return paragraph;
}

void CheckTabIndex(int index)
{
    if (index < 0 || index >= TPara2Attributes::MaxTabs)
        throw EInvalidOperation(Format("Tab index out of bounds (%d)", index));
}

}  // namespace

// ======================================================== TText2Attributes

TText2Attributes::TText2Attributes(TCustomRich2Edit* richEdit, TAttributeTarget target)
    : richEdit_(richEdit), target_(target)
{
}

CHARFORMAT2A TText2Attributes::FetchFormat() const
{
    CHARFORMAT2A format = PreparedFormat();
    if (richEdit_->HandleAllocated())
        SendMessageA(richEdit_->Handle(), EM_GETCHARFORMAT, target_ == atSelection ? SCF_SELECTION : 0,
                     reinterpret_cast<LPARAM>(&format));
    return format;
}

void TText2Attributes::ApplyFormat(CHARFORMAT2A& format) const
{
    if (richEdit_->HandleAllocated())
        SendMessageA(richEdit_->Handle(), EM_SETCHARFORMAT, target_ == atSelection ? SCF_SELECTION : 0,
                     reinterpret_cast<LPARAM>(&format));
}

BYTE TText2Attributes::Charset() const { return FetchFormat().bCharSet; }

void TText2Attributes::SetCharset(BYTE value)
{
    CHARFORMAT2A format = PreparedFormat();
    format.dwMask = CFM_CHARSET;
    format.bCharSet = value;
    ApplyFormat(format);
}

TColor TText2Attributes::Color() const
{
    const CHARFORMAT2A format = FetchFormat();
    if ((format.dwEffects & CFE_AUTOCOLOR) != 0)
        return clWindowText;
    return format.crTextColor;
}

void TText2Attributes::SetColor(TColor value)
{
    CHARFORMAT2A format = PreparedFormat();
    format.dwMask = CFM_COLOR;
    if (value == clWindowText)
        format.dwEffects = CFE_AUTOCOLOR;
    else
        format.crTextColor = ColorToRGB(value);
    ApplyFormat(format);
}

std::string TText2Attributes::Name() const
{
    const CHARFORMAT2A format = FetchFormat();
    return std::string(format.szFaceName, strnlen(format.szFaceName, sizeof format.szFaceName));
}

void TText2Attributes::SetName(const std::string& value)
{
    CHARFORMAT2A format = PreparedFormat();
    format.dwMask = CFM_FACE;
    // The member needs its terminating zero: the control reads past a full
    // 32 characters and falls over.
    std::memcpy(format.szFaceName, value.data(), (std::min)(value.size(), sizeof format.szFaceName - 1));
    ApplyFormat(format);
}

TFontStyles TText2Attributes::Style() const
{
    const DWORD effects = FetchFormat().dwEffects;
    TFontStyles style;
    if (effects & CFE_BOLD)
        style.Include(fsBold);
    if (effects & CFE_ITALIC)
        style.Include(fsItalic);
    if (effects & CFE_UNDERLINE)
        style.Include(fsUnderline);
    if (effects & CFE_STRIKEOUT)
        style.Include(fsStrikeOut);
    return style;
}

void TText2Attributes::SetStyle(TFontStyles value)
{
    CHARFORMAT2A format = PreparedFormat();
    format.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    if (value.Contains(fsBold))
        format.dwEffects |= CFE_BOLD;
    if (value.Contains(fsItalic))
        format.dwEffects |= CFE_ITALIC;
    if (value.Contains(fsUnderline))
        format.dwEffects |= CFE_UNDERLINE;
    if (value.Contains(fsStrikeOut))
        format.dwEffects |= CFE_STRIKEOUT;
    ApplyFormat(format);
}

int TText2Attributes::Size() const { return FetchFormat().yHeight / 20; }

void TText2Attributes::SetSize(int value)
{
    CHARFORMAT2A format = PreparedFormat();
    format.dwMask = CFM_SIZE;
    format.yHeight = value * 20;
    ApplyFormat(format);
}

TFontPitch TText2Attributes::Pitch() const
{
    switch (FetchFormat().bPitchAndFamily & 3) {
    case FIXED_PITCH: return fpFixed;
    case VARIABLE_PITCH: return fpVariable;
    default: return fpDefault;
    }
}

void TText2Attributes::SetPitch(TFontPitch value)
{
    CHARFORMAT2A format = PreparedFormat();
    // No mask of its own: CFM_FACE would also set the (empty) face name.
    format.bPitchAndFamily =
        static_cast<BYTE>(value == fpVariable ? VARIABLE_PITCH : value == fpFixed ? FIXED_PITCH : DEFAULT_PITCH);
    ApplyFormat(format);
}

void TText2Attributes::Assign(const TPersistent* source)
{
    if (const auto* font = dynamic_cast<const TFont*>(source)) {
        SetColor(font->Color());
        SetName(font->Name());
        SetCharset(font->Charset());
        SetStyle(font->Style());
        SetSize(font->Size());
        SetPitch(font->Pitch());
        return;
    }
    if (const auto* attributes = dynamic_cast<const TText2Attributes*>(source)) {
        SetColor(attributes->Color());
        SetName(attributes->Name());
        SetCharset(attributes->Charset());
        SetStyle(attributes->Style());
        SetPitch(attributes->Pitch());
        return;
    }
    TPersistent::Assign(source);
}

void TText2Attributes::AssignTo(TPersistent* dest) const
{
    if (auto* font = dynamic_cast<TFont*>(dest)) {
        font->SetColor(Color());
        font->SetName(Name());
        font->SetCharset(Charset());
        font->SetStyle(Style());
        font->SetSize(Size());
        font->SetPitch(Pitch());
        return;
    }
    if (auto* attributes = dynamic_cast<TText2Attributes*>(dest)) {
        attributes->SetColor(Color());
        attributes->SetName(Name());
        attributes->SetCharset(Charset());
        attributes->SetStyle(Style());
        attributes->SetPitch(Pitch());
        return;
    }
    TPersistent::AssignTo(dest);
}

// ======================================================== TPara2Attributes

TPara2Attributes::TPara2Attributes(TCustomRich2Edit* richEdit) : richEdit_(richEdit) {}

PARAFORMAT TPara2Attributes::FetchParagraph() const
{
    PARAFORMAT paragraph = PreparedParagraph();
    if (richEdit_->HandleAllocated())
        SendMessageA(richEdit_->Handle(), EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&paragraph));
    return paragraph;
}

void TPara2Attributes::ApplyParagraph(PARAFORMAT& paragraph) const
{
    if (richEdit_->HandleAllocated())
        SendMessageA(richEdit_->Handle(), EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&paragraph));
}

TAlignment TPara2Attributes::Alignment() const
{
    switch (FetchParagraph().wAlignment) {
    case PFA_RIGHT: return taRightJustify;
    case PFA_CENTER: return taCenter;
    default: return taLeftJustify;
    }
}

void TPara2Attributes::SetAlignment(TAlignment value)
{
    PARAFORMAT paragraph = PreparedParagraph();
    paragraph.dwMask = PFM_ALIGNMENT;
    paragraph.wAlignment = static_cast<WORD>(value + 1);
    ApplyParagraph(paragraph);
}

int TPara2Attributes::FirstIndent() const { return FetchParagraph().dxStartIndent / 20; }

void TPara2Attributes::SetFirstIndent(int value)
{
    PARAFORMAT paragraph = PreparedParagraph();
    paragraph.dwMask = PFM_STARTINDENT;
    paragraph.dxStartIndent = value * 20;
    ApplyParagraph(paragraph);
}

int TPara2Attributes::LeftIndent() const { return FetchParagraph().dxOffset / 20; }

void TPara2Attributes::SetLeftIndent(int value)
{
    PARAFORMAT paragraph = PreparedParagraph();
    paragraph.dwMask = PFM_OFFSET;
    paragraph.dxOffset = value * 20;
    ApplyParagraph(paragraph);
}

int TPara2Attributes::RightIndent() const { return FetchParagraph().dxRightIndent / 20; }

void TPara2Attributes::SetRightIndent(int value)
{
    PARAFORMAT paragraph = PreparedParagraph();
    paragraph.dwMask = PFM_RIGHTINDENT;
    paragraph.dxRightIndent = value * 20;
    ApplyParagraph(paragraph);
}

TNumberingStyle TPara2Attributes::Numbering() const
{
    return static_cast<TNumberingStyle>(FetchParagraph().wNumbering & 0xFF);
}

void TPara2Attributes::SetNumbering(TNumberingStyle value)
{
    if (value == nsNone)
        SetLeftIndent(0);
    else if (value == nsBullet && LeftIndent() < 10)
        SetLeftIndent(10);
    PARAFORMAT paragraph = PreparedParagraph();
    paragraph.dwMask = PFM_NUMBERING;
    paragraph.wNumbering = value;
    ApplyParagraph(paragraph);
}

int TPara2Attributes::Tab(int index) const
{
    CheckTabIndex(index);
    return FetchParagraph().rgxTabs[index] / 20;
}

void TPara2Attributes::SetTab(int index, int value)
{
    CheckTabIndex(index);
    // The other stops stay as they are.
    PARAFORMAT paragraph = FetchParagraph();
    paragraph.rgxTabs[index] = value * 20;
    paragraph.dwMask = PFM_TABSTOPS;
    if (paragraph.cTabCount <= index)
        paragraph.cTabCount = static_cast<SHORT>(index + 1);
    ApplyParagraph(paragraph);
}

void TPara2Attributes::Assign(const TPersistent* source)
{
    if (const auto* other = dynamic_cast<const TPara2Attributes*>(source)) {
        SetAlignment(other->Alignment());
        SetFirstIndent(other->FirstIndent());
        SetLeftIndent(other->LeftIndent());
        SetRightIndent(other->RightIndent());
        SetNumbering(other->Numbering());
        for (int i = 0; i < MaxTabs; ++i)
            SetTab(i, other->Tab(i));
        return;
    }
    TPersistent::Assign(source);
}

// ============================================== conversion and streaming

int TConversion::ReadChunk(TStream& stream, char* buffer, int count)
{
    return count > 0 ? static_cast<int>(stream.Read(buffer, static_cast<size_t>(count))) : 0;
}

int TConversion::WriteChunk(TStream& stream, const char* buffer, int count)
{
    return count > 0 ? static_cast<int>(stream.Write(buffer, static_cast<size_t>(count))) : 0;
}

const TConversionFormat* ConversionFormatList()
{
    static const TConversionFormat rtf{&MakeConversion<TConversion>, "rtf", nullptr};
    static const TConversionFormat txt{&MakeConversion<TConversion>, "txt", &rtf};
    return &txt;
}

const TConversionFormat& FindConversionFormat(const std::string& fileName)
{
    const size_t componentStart = fileName.find_last_of("\\/:");
    const size_t dot = fileName.rfind('.');
    std::string extension;
    if (dot != std::string::npos && (componentStart == std::string::npos || dot > componentStart)) {
        extension = fileName.substr(dot + 1);
        for (char& c : extension)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    const TConversionFormat* head = ConversionFormatList();
    for (const TConversionFormat* entry = head; entry != nullptr; entry = entry->Next) {
        if (entry->Extension == extension)
            return *entry;
    }
    return *head;
}

std::size_t NormalizeLineBreaks(char* dest, const char* source, std::size_t length, bool& afterCR)
{
    std::size_t written = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const char c = source[i];
        if (c == '\0')
            continue;
        if (c == '\n' && afterCR) {
            afterCR = false;
            continue;
        }
        afterCR = c == '\r';
        if (c == '\r' || c == '\n') {
            dest[written++] = '\r';
            dest[written++] = '\n';
        } else {
            dest[written++] = c;
        }
    }
    return written;
}

DWORD CALLBACK StreamInCallback(DWORD_PTR cookieValue, LPBYTE buffer, LONG cb, LONG* pcb)
{
    *pcb = 0;
    auto* cookie = reinterpret_cast<TStreamCookie*>(cookieValue);
    // At most half of what the control asks for is read: line breaks, made
    // CR LF, can at most double the bytes.
    const int half = cb / 2;
    if (cookie->Converter == nullptr || half <= 0)
        return 0;
    try {
        std::vector<char> raw(static_cast<size_t>(half));
        const int read = (std::min)(cookie->Converter->ReadChunk(*cookie->Stream, raw.data(), half), half);
        if (read > 0)
            *pcb = static_cast<LONG>(NormalizeLineBreaks(reinterpret_cast<char*>(buffer), raw.data(),
                                                         static_cast<size_t>(read), cookie->AfterCR));
        return 0;
    } catch (...) {
        // Nothing may unwind through the control; it reports this result
        // in dwError, and the reader raises its error from there.
        *pcb = 0;
        return 1;
    }
}

DWORD CALLBACK StreamOutCallback(DWORD_PTR cookieValue, LPBYTE buffer, LONG cb, LONG* pcb)
{
    *pcb = 0;
    auto* cookie = reinterpret_cast<TStreamCookie*>(cookieValue);
    if (cookie->Converter == nullptr)
        return 0;
    try {
        const int written = cookie->Converter->WriteChunk(*cookie->Stream, reinterpret_cast<const char*>(buffer), cb);
        *pcb = written;
        // The control takes a short write quietly as the end: a full disk
        // would leave a cut file behind a transfer reported as done.
        return written == cb ? 0 : 2;
    } catch (...) {
        // As for reading: the result reaches the writer through dwError.
        return 2;
    }
}

// =============================================================== line list

TRich2EditStrings::TRich2EditStrings(TCustomRich2Edit* richEdit) : richEdit_(richEdit) {}

HWND TRich2EditStrings::Window() const { return richEdit_->Handle(); }

void TRich2EditStrings::ReplaceRange(LRESULT start, LRESULT end, const std::string& text)
{
    HWND window = Window();
    SelectRangeOf(window, static_cast<LONG>(start), static_cast<LONG>(end));
    SendMessageA(window, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string TRich2EditStrings::Get(int index) const
{
    if (index < 0)
        return std::string();
    HWND window = Window();
    const LRESULT start = SendMessageA(window, EM_LINEINDEX, static_cast<WPARAM>(index), 0);
    if (start < 0)
        return std::string();
    const LRESULT length = SendMessageA(window, EM_LINELENGTH, static_cast<WPARAM>(start), 0);
    if (length <= 0)
        return std::string();
    // The text range holds the line without its break, whatever its length;
    // room for two bytes a character covers double-byte code pages.
    std::string text(static_cast<size_t>(length) * 2 + 1, '\0');
    TEXTRANGEA range{{static_cast<LONG>(start), static_cast<LONG>(start + length)}, text.data()};
    const LRESULT copied = SendMessageA(window, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    text.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, static_cast<LRESULT>(text.size()) - 1)));
    return text;
}

int TRich2EditStrings::GetCount() const
{
    HWND window = Window();
    const LRESULT count = SendMessageA(window, EM_GETLINECOUNT, 0, 0);
    if (count <= 0)
        return 0;
    const LRESULT lastStart = SendMessageA(window, EM_LINEINDEX, static_cast<WPARAM>(count - 1), 0);
    if (lastStart < 0 || SendMessageA(window, EM_LINELENGTH, static_cast<WPARAM>(lastStart), 0) == 0)
        return static_cast<int>(count - 1);
    return static_cast<int>(count);
}

void TRich2EditStrings::Put(int index, const std::string& line)
{
    if (index < 0)
        return;
    HWND window = Window();
    const LRESULT start = SendMessageA(window, EM_LINEINDEX, static_cast<WPARAM>(index), 0);
    if (start < 0)
        return;
    const LRESULT length = SendMessageA(window, EM_LINELENGTH, static_cast<WPARAM>(start), 0);
    ReplaceRange(start, start + length, line);
}

void TRich2EditStrings::Insert(int index, const std::string& line)
{
    if (index < 0)
        return;
    HWND window = Window();
    LRESULT start = SendMessageA(window, EM_LINEINDEX, static_cast<WPARAM>(index), 0);
    if (start >= 0) {
        ReplaceRange(start, start, line + "\n");
        return;
    }
    // Past the last line: append to the line before, which must have text.
    if (index == 0)
        return;
    start = SendMessageA(window, EM_LINEINDEX, static_cast<WPARAM>(index - 1), 0);
    if (start < 0)
        return;
    const LRESULT length = SendMessageA(window, EM_LINELENGTH, static_cast<WPARAM>(start), 0);
    if (length == 0)
        return;
    ReplaceRange(start + length, start + length, "\n" + line);
}

void TRich2EditStrings::Delete(int index)
{
    if (index < 0)
        return;
    HWND window = Window();
    const LRESULT start = SendMessageA(window, EM_LINEINDEX, static_cast<WPARAM>(index), 0);
    if (start < 0)
        return;
    LRESULT end = SendMessageA(window, EM_LINEINDEX, static_cast<WPARAM>(index) + 1, 0);
    if (end < 0)
        end = start + SendMessageA(window, EM_LINELENGTH, static_cast<WPARAM>(start), 0);
    ReplaceRange(start, end, std::string());
}

void TRich2EditStrings::Clear() { richEdit_->ClearText(); }

void TRich2EditStrings::SetUpdating(bool updating)
{
    HWND window = Window();
    SendMessageA(window, WM_SETREDRAW, updating ? FALSE : TRUE, 0);
    if (!updating) {
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
        richEdit_->Perform(CM_TEXTCHANGED);
    }
}

void TRich2EditStrings::SetChangeNotification(bool on)
{
    HWND window = Window();
    LRESULT mask = SendMessageA(window, EM_GETEVENTMASK, 0, 0);
    mask = on ? (mask | ENM_CHANGE) : (mask & ~static_cast<LRESULT>(ENM_CHANGE));
    SendMessageA(window, EM_SETEVENTMASK, 0, mask);
}

void TRich2EditStrings::SetTextStr(const std::string& text)
{
    SetChangeNotification(false);
    Finally restore([this] { SetChangeNotification(true); });
    TStrings::SetTextStr(text);
}

void TRich2EditStrings::AppendLines(const TStrings& source)
{
    TNotifyEvent handler = std::move(richEdit_->OnSelectionChange);
    richEdit_->OnSelectionChange = nullptr;
    Finally restore([&] { richEdit_->OnSelectionChange = std::move(handler); });
    TStrings::AppendLines(source);
}

TConversion* TRich2EditStrings::TransferConverter(std::unique_ptr<TConversion>& holder) const
{
    if (converter_)
        return converter_.get();
    if (richEdit_->DefaultConverter != nullptr)
        holder = richEdit_->DefaultConverter();
    return holder.get();
}

void TRich2EditStrings::LoadFromStream(TStream& stream)
{
    std::unique_ptr<TConversion> made;
    TStreamCookie cookie{TransferConverter(made), &stream};
    const int64_t position = stream.GetPosition();
    EDITSTREAM transfer{};
    transfer.dwCookie = reinterpret_cast<DWORD_PTR>(&cookie);
    transfer.dwError = 0;
    transfer.pfnCallback = StreamInCallback;
    const WPARAM format = plainText_ ? SF_TEXT : SF_RTF;
    SendMessageA(Window(), EM_STREAMIN, format, reinterpret_cast<LPARAM>(&transfer));
    if (format == SF_RTF && transfer.dwError != 0) {
        // Not RTF after all (or unreadable as such): the same bytes as text.
        stream.SetPosition(position);
        cookie.AfterCR = false;
        transfer.dwError = 0;
        SendMessageA(Window(), EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&transfer));
    }
    // A failed plain-text read is as much a failure as a failed retry.
    if (transfer.dwError != 0)
        throw EOutOfResources("Failed to Load Stream");
}

void TRich2EditStrings::SaveToStream(TStream& stream)
{
    std::unique_ptr<TConversion> made;
    TStreamCookie cookie{TransferConverter(made), &stream};
    EDITSTREAM transfer{};
    transfer.dwCookie = reinterpret_cast<DWORD_PTR>(&cookie);
    transfer.dwError = 0;
    transfer.pfnCallback = StreamOutCallback;
    SendMessageA(Window(), EM_STREAMOUT, plainText_ ? SF_TEXT : SF_RTF, reinterpret_cast<LPARAM>(&transfer));
    if (transfer.dwError != 0)
        throw EOutOfResources("Failed to Save Stream");
}

void TRich2EditStrings::LoadFromFile(const std::string& fileName)
{
    converter_ = FindConversionFormat(fileName).ConverterClass();
    Finally forget([&] { converter_.reset(); });
    TFileStream file(fileName, fmOpenRead);
    LoadFromStream(file);
    forget.Dismiss();
}

void TRich2EditStrings::SaveToFile(const std::string& fileName)
{
    converter_ = FindConversionFormat(fileName).ConverterClass();
    Finally forget([&] { converter_.reset(); });
    TFileStream file(fileName, fmCreate);
    SaveToStream(file);
    forget.Dismiss();
}

// ================================================================= control

TCustomRich2Edit::TCustomRich2Edit(TComponent* owner)
    : TCustomMemo(owner),
      selectionAttributes_(this, atSelection),
      defaultAttributes_(this, atDefault),
      paragraphAttributes_(this),
      lines_(this)
{
    SetTabStop(true);
    SetBounds(Left(), Top(), 185, 89);
    SetHideScrollBars(true);
}

void TCustomRich2Edit::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case CM_COLORCHANGED: CMColorChanged(message); break;
    case CM_FONTCHANGED: CMFontChanged(message); break;
    case CN_NOTIFY: CNNotify(message); break;
    case WM_NCDESTROY: WMNCDestroy(message); break;
    case WM_SETCURSOR: WMSetCursor(message); break;
    case WM_PAINT: WMPaint(message); break;
    case WM_SETFONT: WMSetFont(message); break;
    case WM_COPY:
    case WM_CUT:
    case WM_PASTE: WMClipboardCommand(message); break;
    default: TCustomMemo::WndProc(message); break;
    }
}

void TCustomRich2Edit::WMClipboardCommand(TMessage& message)
{
    const TNotifyEvent& handler = message.Msg == WM_COPY ? OnCopy : message.Msg == WM_CUT ? OnCut : OnPaste;
    if (!handler) {
        TCustomMemo::WndProc(message);
        return;
    }
    handler(this);
    message.Result = 0;
}

void TCustomRich2Edit::CreateParams(TCreateParams& params)
{
    // One reference for every window, given back at its WM_NCDESTROY.
    library_ = LoadRichEditLibrary();

    TCustomMemo::CreateParams(params);
    params.DefWndProc = nullptr;
    MakeSuperclass(params, RichEditClassName);
    if (params.DefWndProc == nullptr) {
        library_.Reset();
        throw EOutOfResources(Format("Cannot create a rich text window: %s or its class %s is not available",
                                     RichEditLibraryName, RichEditClassName));
    }
    if (!hideScrollBars_)
        params.Style |= ES_DISABLENOSCROLL;
    if (!hideSelection_)
        params.Style |= ES_NOHIDESEL;
    params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
    // The saved RTF brings the text back; the plain copy is not needed.
    if (savedContent_)
        params.Caption.clear();
}

void TCustomRich2Edit::TakeFarEastCharset()
{
    if (!GetSystemMetrics(SM_DBCSENABLED) || PRIMARYLANGID(LANGIDFROMLCID(GetSystemDefaultLCID())) == LANG_JAPANESE)
        return;
    BYTE charset = DEFAULT_CHARSET;
    WindowDC screen(nullptr);
    if (screen.Get() != nullptr) {
        SelectedObject systemFont(screen.Get(), GetStockObject(SYSTEM_FONT));
        TEXTMETRICA metrics;
        if (GetTextMetricsA(screen.Get(), &metrics))
            charset = metrics.tmCharSet;
    }
    Font().SetCharset(charset);
}

void TCustomRich2Edit::CreateWnd()
{
    // No window came, so no WM_NCDESTROY will give the reference back.
    Finally giveBack([&] {
        if (!HandleAllocated())
            library_.Reset();
    });
    TCustomMemo::CreateWnd();
    giveBack.Dismiss();
    TakeFarEastCharset();
    HWND window = Handle();
    // Text dropped from another program would come in through the control's
    // own clipboard handling, past OnPaste: drops are refused. Where the
    // control registered no drop target this does nothing.
    RevokeDragDrop(window);
    // The edit base's EM_LIMITTEXT stops at 64K characters in a rich edit
    // control; a larger limit takes EM_EXLIMITTEXT, before the content comes
    // back, since RTF streamed in is held to the limit.
    if (MaxLength() > 0)
        ApplyMaxLength(MaxLength());
    SendMessageA(window, EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_REQUESTRESIZE | ENM_SELCHANGE | ENM_PROTECTED);
    // Windows' control gives text of another script a font of its own by
    // itself; the document keeps the font it was given.
    const LRESULT languageOptions = SendMessageA(window, EM_GETLANGOPTIONS, 0, 0);
    SendMessageA(window, EM_SETLANGOPTIONS, 0, languageOptions & ~static_cast<LRESULT>(IMF_AUTOFONT | IMF_DUALFONT));
    SendMessageA(window, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
    if (!nativeUndo_)
        SendMessageA(window, EM_SETUNDOLIMIT, 0, 0);
    if (savedContent_) {
        const bool plainText = lines_.PlainText();
        lines_.SetPlainText(false);
        Finally restore([&] { lines_.SetPlainText(plainText); });
        lines_.LoadFromStream(*savedContent_);
        savedContent_.reset();
    }
    // Reading the content back clears the window's flag. The edit base took
    // the flag from the old window, or kept it while there was none.
    SetModified(StoredModified());
}

void TCustomRich2Edit::DestroyWnd()
{
    savedContent_ = std::make_unique<TMemoryStream>();
    // When saving fails the window stays; a half-written copy must not
    // replace its content at some later creation.
    Finally discard([&] { savedContent_.reset(); });
    {
        const bool plainText = lines_.PlainText();
        lines_.SetPlainText(false);
        Finally restore([&] { lines_.SetPlainText(plainText); });
        lines_.SaveToStream(*savedContent_);
    }
    discard.Dismiss();
    savedContent_->SetPosition(0);
    TCustomMemo::DestroyWnd();
}

CHARRANGE TCustomRich2Edit::Selection() { return SelectionOf(Handle()); }

int TCustomRich2Edit::SelectionStart() { return Selection().cpMin; }

void TCustomRich2Edit::SetSelectionStart(int position) { SelectRange(position, position); }

int TCustomRich2Edit::SelectionLength()
{
    const CHARRANGE range = Selection();
    return range.cpMax - range.cpMin;
}

void TCustomRich2Edit::SetSelectionLength(int length)
{
    const CHARRANGE range = Selection();
    SelectRange(range.cpMin, range.cpMin + length);
    ScrollCaret();
}

std::string TCustomRich2Edit::SelectedText() { return SelectedTextOf(Handle()); }

std::string ReadSizedText(const std::function<std::size_t(char* buffer, std::size_t size)>& request,
                          std::size_t firstSize, std::size_t maxSize)
{
    std::size_t size = std::max<std::size_t>(firstSize, 2);
    for (;;) {
        std::string text(size, '\0');
        const std::size_t copied = (std::min)(request(text.data(), size), size - 1);
        if (copied + 1 < size || size >= maxSize) {
            text.resize(copied);
            return text;
        }
        size = (std::min)(size * 2, (std::max)(maxSize, size + 1));
    }
}

std::string SelectedTextOf(HWND window)
{
    const CHARRANGE range = SelectionOf(window);
    const std::size_t length = static_cast<std::size_t>(std::max<LONG>(range.cpMax - range.cpMin, 0));
    // EM_GETSELTEXT takes no size, and a code page may make up to four
    // bytes of one position (three in UTF-8): the request states its room.
    return ReadSizedText(
        [window](char* buffer, std::size_t size) {
            GETTEXTEX request{};
            request.cb = static_cast<DWORD>(size);
            request.flags = GT_SELECTION;
            request.codepage = CP_ACP;
            const LRESULT copied = SendMessageA(window, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request),
                                                reinterpret_cast<LPARAM>(buffer));
            return static_cast<std::size_t>(std::max<LRESULT>(copied, 0));
        },
        length * 2 + 2, length * 4 + 2);
}

namespace {

// At most length UTF-16 units of the window's text (GT_DEFAULT) or of its
// selection (GT_SELECTION).
std::wstring ReadUnits(HWND window, std::size_t length, DWORD which)
{
    std::wstring units(length + 1, L'\0');
    GETTEXTEX request{};
    request.cb = static_cast<DWORD>(units.size() * sizeof(wchar_t));
    request.flags = which;
    request.codepage = 1200;
    const LRESULT copied = SendMessageA(window, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request),
                                        reinterpret_cast<LPARAM>(units.data()));
    units.resize(static_cast<std::size_t>(std::clamp<LRESULT>(copied, 0, static_cast<LRESULT>(length))));
    return units;
}

}  // namespace

std::wstring SelectedUnicodeTextOf(HWND window)
{
    const CHARRANGE range = SelectionOf(window);
    return ReadUnits(window, static_cast<std::size_t>(std::max<LONG>(range.cpMax - range.cpMin, 0)), GT_SELECTION);
}

void SetSelectedUnicodeTextOf(HWND window, const std::wstring& text)
{
    // An "A" window takes EM_REPLACESEL and WM_CHAR as 8-bit text, even sent
    // as Unicode; this request alone brings every unit in as it is.
    SETTEXTEX request{ST_SELECTION, 1200};
    SendMessageA(window, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&request), reinterpret_cast<LPARAM>(text.c_str()));
}

namespace {

struct RawTransfer {
    std::string_view input;
    std::string output;
};

DWORD CALLBACK RawInCallback(DWORD_PTR cookie, LPBYTE buffer, LONG cb, LONG* pcb)
{
    auto* transfer = reinterpret_cast<RawTransfer*>(cookie);
    const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(std::max<LONG>(cb, 0)),
                                                    transfer->input.size());
    std::memcpy(buffer, transfer->input.data(), count);
    transfer->input.remove_prefix(count);
    *pcb = static_cast<LONG>(count);
    return 0;
}

DWORD CALLBACK RawOutCallback(DWORD_PTR cookie, LPBYTE buffer, LONG cb, LONG* pcb)
{
    *pcb = 0;
    try {
        reinterpret_cast<RawTransfer*>(cookie)->output.append(reinterpret_cast<const char*>(buffer),
                                                              static_cast<std::size_t>(std::max<LONG>(cb, 0)));
    } catch (...) {
        return 1;  // out of memory: the control stops and reports it
    }
    *pcb = cb;
    return 0;
}

}  // namespace

void StreamInto(HWND window, WPARAM format, std::string_view data)
{
    RawTransfer transfer{data, {}};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&transfer);
    stream.pfnCallback = RawInCallback;
    SendMessageA(window, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&stream));
    if (stream.dwError != 0)
        throw EOutOfResources("Failed to Load Stream");
}

std::string StreamOutOf(HWND window, WPARAM format)
{
    RawTransfer transfer;
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&transfer);
    stream.pfnCallback = RawOutCallback;
    SendMessageA(window, EM_STREAMOUT, format, reinterpret_cast<LPARAM>(&stream));
    if (stream.dwError != 0)
        throw EOutOfResources("Failed to Save Stream");
    return std::move(transfer.output);
}

void TCustomRich2Edit::StreamIn(WPARAM format, std::string_view data) { StreamInto(Handle(), format, data); }

std::string TCustomRich2Edit::StreamOut(WPARAM format) { return StreamOutOf(Handle(), format); }

std::wstring TCustomRich2Edit::UnicodeText() { return UnicodeTextOf(Handle()); }

std::wstring TCustomRich2Edit::SelectedUnicodeText() { return SelectedUnicodeTextOf(Handle()); }

void TCustomRich2Edit::SetSelectedUnicodeText(const std::wstring& text) { SetSelectedUnicodeTextOf(Handle(), text); }

void TCustomRich2Edit::ShowTextIn(const TFont& font)
{
    CHARFORMAT2A format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_FACE | CFM_CHARSET | CFM_SIZE;
    lstrcpynA(format.szFaceName, font.Name().c_str(), LF_FACESIZE);
    format.bCharSet = font.Charset();
    format.yHeight = font.Size() * 20;
    format.bPitchAndFamily = static_cast<BYTE>(font.Pitch() == fpFixed      ? FIXED_PITCH
                                               : font.Pitch() == fpVariable ? VARIABLE_PITCH
                                                                            : DEFAULT_PITCH);
    // The text, the format of an empty document, and the caret's next text.
    for (const WPARAM target : {WPARAM{SCF_ALL}, WPARAM{SCF_DEFAULT}, WPARAM{SCF_SELECTION}})
        SendMessageA(Handle(), EM_SETCHARFORMAT, target, reinterpret_cast<LPARAM>(&format));
}

void TCustomRich2Edit::SelectRange(int first, int last) { SelectRangeOf(Handle(), first, last); }

CHARFORMAT2A TCustomRich2Edit::DefaultFormat()
{
    CHARFORMAT2A format{};
    format.cbSize = sizeof format;
    SendMessageA(Handle(), EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    return format;
}

void TCustomRich2Edit::SetDefaultFormat(const CHARFORMAT2A& format)
{
    CHARFORMAT2A copy = format;
    SendMessageA(Handle(), EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&copy));
}

POINT TCustomRich2Edit::ScrollPosition()
{
    POINT at{};
    if (SendMessageA(Handle(), EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&at)) == 0)
        at = POINT{0, static_cast<LONG>(SendMessageA(Handle(), EM_GETFIRSTVISIBLELINE, 0, 0))};
    return at;
}

void TCustomRich2Edit::RepaintFrom(int position, bool lineOnly)
{
    HWND window = Handle();
    RECT band;
    GetClientRect(window, &band);
    const auto topOf = [window](LRESULT line) {
        POINTL at{};
        SendMessageA(window, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at),
                     SendMessageA(window, EM_LINEINDEX, static_cast<WPARAM>(line), 0));
        return at.y;
    };
    const LRESULT line = SendMessageA(window, EM_EXLINEFROMCHAR, 0, position);
    band.top = (std::max)(band.top, static_cast<LONG>(topOf(line)));
    if (lineOnly && line + 1 < SendMessageA(window, EM_GETLINECOUNT, 0, 0))
        band.bottom = (std::min)(band.bottom, static_cast<LONG>(topOf(line + 1)));
    InvalidateRect(window, &band, TRUE);
}

int TCustomRich2Edit::TextLength()
{
    GETTEXTLENGTHEX measure{GTL_NUMCHARS | GTL_PRECISE, 1200};
    return static_cast<int>(
        std::max<LRESULT>(SendMessageA(Handle(), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&measure), 0), 0));
}

CHARRANGE TCustomRich2Edit::LinesAround(int first, int last)
{
    HWND window = Handle();
    const auto lineOf = [window](int position) {
        return SendMessageA(window, EM_EXLINEFROMCHAR, 0, static_cast<LPARAM>(position));
    };
    const auto lineStart = [window](LRESULT line) {
        return SendMessageA(window, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
    };
    const LRESULT lines = SendMessageA(window, EM_GETLINECOUNT, 0, 0);
    const LRESULT start = lineStart((std::max<LRESULT>)(lineOf(first) - 1, 0));
    const LRESULT endLine = lineStart((std::min<LRESULT>)(lineOf(last) + 1, (std::max<LRESULT>)(lines - 1, 0)));
    const LRESULT end = endLine + SendMessageA(window, EM_LINELENGTH, static_cast<WPARAM>(endLine), 0) + 1;
    const LONG length = TextLength();
    return CHARRANGE{static_cast<LONG>(std::clamp<LRESULT>(start, 0, length)),
                     static_cast<LONG>(std::clamp<LRESULT>(end, 0, length))};
}

// The edit control's EM_SCROLLCARET; the rich edit control ignores the
// WM_USER + 49 that old headers named so.
void TCustomRich2Edit::ScrollCaret() { SendMessageA(Handle(), EM_SCROLLCARET, 0, 0); }

namespace {
// The rich edit control's own undo limit, which the program never changes.
constexpr WPARAM DefaultUndoLimit = 100;
}  // namespace

TCustomRich2Edit::UndoSuspension::UndoSuspension(TCustomRich2Edit& edit) : edit_(edit)
{
    SendMessageA(edit_.Handle(), EM_SETUNDOLIMIT, 0, 0);
}

TCustomRich2Edit::UndoSuspension::~UndoSuspension()
{
    SendMessageA(edit_.Handle(), EM_EMPTYUNDOBUFFER, 0, 0);
    SendMessageA(edit_.Handle(), EM_SETUNDOLIMIT, edit_.nativeUndo_ ? DefaultUndoLimit : 0, 0);
}

void TCustomRich2Edit::SetNativeUndo(bool on)
{
    nativeUndo_ = on;
    if (!HandleAllocated())
        return;
    SendMessageA(Handle(), EM_SETUNDOLIMIT, on ? DefaultUndoLimit : 0, 0);
    SendMessageA(Handle(), EM_EMPTYUNDOBUFFER, 0, 0);
}

namespace {

bool CtrlHeld() { return (GetKeyState(VK_CONTROL) & 0x8000) != 0; }

// How far input that the control would act on itself can change its text;
// none for input that changes none.
std::optional<TEditReach> EditReachOf(const TMessage& message)
{
    switch (message.Msg) {
    case WM_CHAR:
    case WM_UNICHAR:
    case WM_IME_CHAR:
        switch (message.WParam) {
        case '\b': return CtrlHeld() ? erLines : erBackward;
        case 0x7F: return erLines;  // Ctrl+Backspace: a word
        case '\t':
        case '\r':
        case '\n': return erTyped;
        default:
            // Other control characters follow keys that are commands, not text.
            if (message.WParam < 0x20 || (message.Msg == WM_UNICHAR && message.WParam == UNICODE_NOCHAR))
                return std::nullopt;
            return erTyped;
        }
    case WM_IME_COMPOSITION:
    case WM_IME_ENDCOMPOSITION: return erLines;
    case WM_CLEAR: return erForward;
    case WM_KEYDOWN:
        switch (message.WParam) {
        case VK_BACK: return CtrlHeld() ? erLines : erBackward;
        case VK_DELETE: return CtrlHeld() ? erLines : erForward;
        case VK_RETURN:
        case VK_TAB: return erTyped;
        default:
            // Ctrl with a letter, digit or sign may be one of the control's
            // format or editing keys; Ctrl+A only selects.
            if (CtrlHeld() && message.WParam != 'A' &&
                ((message.WParam >= '0' && message.WParam <= 'Z') || message.WParam >= VK_OEM_1))
                return erLines;
            return std::nullopt;
        }
    default: return std::nullopt;
    }
}

}  // namespace

void TCustomRich2Edit::DefaultHandler(TMessage& message)
{
    if (message.Msg == WM_KEYDOWN && message.WParam == VK_INSERT && KeyboardShiftState() == 0)
        overtype_ = !overtype_;
    const std::optional<TEditReach> reach =
        OnEditInput && !inEditInput_ ? EditReachOf(message) : std::optional<TEditReach>();
    if (!reach) {
        TCustomMemo::DefaultHandler(message);
        return;
    }
    inEditInput_ = true;
    Finally done([this] { inEditInput_ = false; });
    bool applied = false;
    OnEditInput(this, *reach, [&] {
        if (applied)
            return;
        applied = true;
        TCustomMemo::DefaultHandler(message);
    });
}

TCustomRich2Edit::ViewKeeper::ViewKeeper(TCustomRich2Edit& edit)
    : window_(edit.Handle()), selection_(SelectionOf(window_)),
      firstLine_(SendMessageA(window_, EM_GETFIRSTVISIBLELINE, 0, 0))
{
    // Rich edit 3.0 and later; an older control answers 0.
    scrollKnown_ = SendMessageA(window_, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll_)) != 0;
    // A caret holds the format of what is typed next (a swatch pressed with
    // nothing selected); selecting elsewhere and back would reset it to its
    // neighbour's.
    if (selection_.cpMin == selection_.cpMax) {
        caretFormat_.cbSize = sizeof caretFormat_;
        SendMessageA(window_, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&caretFormat_));
    }
}

TCustomRich2Edit::ViewKeeper::~ViewKeeper()
{
    // Selecting scrolls the caret into view, so the view comes back after it.
    SelectRangeOf(window_, selection_.cpMin, selection_.cpMax);
    if (caretFormat_.cbSize != 0)
        SendMessageA(window_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&caretFormat_));
    if (scrollKnown_)
        SendMessageA(window_, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll_));
    // The scroll position is told in 16 bits, too few for a tall document,
    // and not at all by an older control: the first line shown still is.
    const LRESULT firstLine = SendMessageA(window_, EM_GETFIRSTVISIBLELINE, 0, 0);
    if (firstLine != firstLine_)
        SendMessageA(window_, EM_LINESCROLL, 0, static_cast<LPARAM>(firstLine_ - firstLine));
}

std::wstring UnicodeTextOf(HWND window)
{
    GETTEXTLENGTHEX measure{GTL_NUMCHARS | GTL_PRECISE, 1200};
    const LRESULT length = SendMessageA(window, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&measure), 0);
    if (length <= 0)
        return std::wstring();
    return ReadUnits(window, static_cast<std::size_t>(length), GT_DEFAULT);
}

void TCustomRich2Edit::ClearText()
{
    SetWindowTextA(Handle(), "");
    SetModified(false);
}

void TCustomRich2Edit::ApplyMaxLength(int value) { SendMessageA(Handle(), EM_EXLIMITTEXT, 0, value); }

void TCustomRich2Edit::SetHideSelection(bool value)
{
    if (value == hideSelection_)
        return;
    hideSelection_ = value;
    SendMessageA(Handle(), EM_HIDESELECTION, value ? TRUE : FALSE, 1);
}

void TCustomRich2Edit::SetHideScrollBars(bool value)
{
    if (value == hideScrollBars_)
        return;
    hideScrollBars_ = value;
    RecreateWnd();
}

void TCustomRich2Edit::DoResizeRequest(RECT& rect)
{
    if (OnResizeRequest)
        OnResizeRequest(this, rect);
}

void TCustomRich2Edit::DoSelectionChange()
{
    if (OnSelectionChange)
        OnSelectionChange(this);
}

bool TCustomRich2Edit::DoProtectChange(int startPos, int endPos)
{
    bool allowChange = false;
    if (OnProtectChange)
        OnProtectChange(this, startPos, endPos, allowChange);
    return allowChange;
}

bool TCustomRich2Edit::DoSaveClipboard(int numObjects, int numChars)
{
    bool saveClipboard = true;
    if (OnSaveClipboard)
        OnSaveClipboard(this, numObjects, numChars, saveClipboard);
    return saveClipboard;
}

void TCustomRich2Edit::CMColorChanged(TMessage& message)
{
    TCustomMemo::WndProc(message);
    // Made with the colour when there is no window yet.
    if (HandleAllocated())
        SendMessageA(Handle(), EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
}

void TCustomRich2Edit::CMFontChanged(TMessage&)
{
    // The font reaches the window only as its default character format.
    defaultAttributes_.Assign(&Font());
}

void TCustomRich2Edit::WMSetFont(TMessage& message)
{
    defaultAttributes_.Assign(&Font());
    message.Result = 0;
}

void TCustomRich2Edit::CNNotify(TMessage& message)
{
    const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
    switch (header->code) {
    case EN_REQUESTRESIZE:
        DoResizeRequest(reinterpret_cast<REQRESIZE*>(message.LParam)->rc);
        break;
    case EN_SELCHANGE:
        DoSelectionChange();
        break;
    case EN_PROTECTED: {
        const auto* change = reinterpret_cast<const ENPROTECTED*>(message.LParam);
        if (!DoProtectChange(change->chrg.cpMin, change->chrg.cpMax))
            message.Result = 1;
        break;
    }
    case EN_SAVECLIPBOARD: {
        const auto* closing = reinterpret_cast<const ENSAVECLIPBOARD*>(message.LParam);
        if (!DoSaveClipboard(closing->cObjectCount, closing->cch))
            message.Result = 1;
        break;
    }
    default:
        break;
    }
}

void TCustomRich2Edit::WMNCDestroy(TMessage& message)
{
    TCustomMemo::WndProc(message);
    library_.Reset();
}

void TCustomRich2Edit::WMSetCursor(TMessage& message)
{
    TCustomMemo::WndProc(message);
    if (message.Result != 0)
        return;
    message.Result = 1;
    POINT position;
    GetCursorPos(&position);
    const LRESULT hit = SendMessageA(Handle(), WM_NCHITTEST, 0,
                                     MAKELPARAM(static_cast<WORD>(position.x), static_cast<WORD>(position.y)));
    if (hit == HTCLIENT)
        SetCursor(LoadCursorA(nullptr, IDC_IBEAM));
    else if (hit == HTHSCROLL || hit == HTVSCROLL)
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

void TCustomRich2Edit::WMPaint(TMessage& message)
{
    HWND window = Handle();
    RECT update;
    if (GetUpdateRect(window, &update, TRUE)) {
        // The three right-most columns are repainted together or not at all.
        RECT client;
        GetClientRect(window, &client);
        const RECT strip{client.right - 3, client.top, client.right, client.bottom};
        RECT overlap;
        if (IntersectRect(&overlap, &update, &strip))
            InvalidateRect(window, &strip, TRUE);
    }
    if (Painting) {
        InvalidateRect(window, nullptr, TRUE);
        return;
    }
    Painting = true;
    Finally done([] { Painting = false; });
    TCustomMemo::WndProc(message);
}
