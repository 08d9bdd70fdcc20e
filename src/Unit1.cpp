#include "Unit1.h"

#include "BulkChecks.h"
#include "BulkExchange.h"
#include "ArtFont.h"
#include "CharacterList.h"
#include "DocumentHistory.h"
#include "Unit2.h"
#include "winlib/Clipboard.h"
#include "winlib/RuntimeFiles.h"
#include "winlib/Scoped.h"
#include "winlib/Strings.h"
#include "winlib/Synchronization.h"

#include <richedit.h>
#include <shlobj.h>

#include <algorithm>
#include <numeric>
#include <optional>
#include <string_view>
#include <utility>

using namespace winlib;
using codedtext::CharStyle;

TForm1* Form1 = nullptr;

const char* const TransferFile = "c:\\txtbuff";

TForm1::TForm1(TComponent* owner) : TForm(owner)
{
    CreateComponents();
    history_ = std::make_unique<DocumentHistory>(*RichEdit1);
    history_->TrackDocumentKind([this] { return static_cast<int>(documentEncoding_); },
                                [this](int kind) { SetDocumentEncoding(static_cast<textenc::Encoding>(kind)); });
}

TForm1::~TForm1() = default;

// ------------------------------------------------------------------ engine

std::string TForm1::Indexof(TColor color) const { return codedtext::Indexof(Palette, color); }

CharStyle TForm1::GetSelStyle() { return bulk::SelectionStyle(RichEdit1->WindowHandle()); }

void TForm1::SetSelStyle(const CharStyle& style, WPARAM target)
{
    bulk::SetSelectionStyle(RichEdit1->WindowHandle(), style, target);
}

CharStyle TForm1::CurrentStyle() const
{
    // After the Font button the text swatch holds the system window-text
    // colour; the control takes only RGB values, so it gets the colour that
    // the user sees on the swatch.
    return CharStyle{bold->Checked(), underline->Checked(), ColorToRGB(Shape17->Brush().Color()),
                     ColorToRGB(Shape18->Brush().Color())};
}

void TForm1::ApplyCurrentStyle(WPARAM target) { SetSelStyle(CurrentStyle(), target); }

void TForm1::getcolors(const std::string& Spec, TColor& TextColor, TColor& BackColor, int& Consumed) const
{
    codedtext::getcolors(Palette, Spec, TextColor, BackColor, Consumed);
}

namespace {

std::string ReadAllBytes(const std::string& name)
{
    ByteFile file;
    file.Reset(name);
    std::string bytes = file.ReadRest();
    file.Close();
    return bytes;
}

// The one code page of 8-bit text, a byte a character: the ANSI code page
// where it is so; where it is not (932, 936, 949, 950, 65001) a lead byte and
// the byte after it would make one character, so Windows' Western one.
unsigned EightBitCodePage()
{
    CPINFO info{};
    if (GetCPInfo(CP_ACP, &info) && info.MaxCharSize == 1)
        return GetACP();
    return 1252;
}

// Whether 8-bit text goes into and out of the control as its own 8-bit
// text, as it always has; otherwise it goes as the characters of its bytes.
bool ControlTakesEightBit() { return EightBitCodePage() == GetACP(); }

// The characters of 8-bit text, one a byte.
std::wstring EightBitText(std::string_view bytes)
{
    return DecodeCodePage(EightBitCodePage(), bytes).value_or(std::wstring());
}

// Whether the 8-bit code page has a byte for every unit: no best-fit byte and
// no default character stand in for one.
bool AnsiHolds(std::wstring_view units)
{
    if (units.empty())
        return true;
    BOOL usedDefault = FALSE;
    const int converted = WideCharToMultiByte(EightBitCodePage(), WC_NO_BEST_FIT_CHARS, units.data(),
                                              static_cast<int>(units.size()), nullptr, 0, nullptr, &usedDefault);
    return converted > 0 && !usedDefault;
}

// The bytes of text that AnsiHolds has vouched for.
std::string EightBitBytes(std::u16string_view text)
{
    if (text.empty())
        return {};
    const auto* units = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    std::string bytes(static_cast<std::size_t>(length) * 2, '\0');
    const int count = WideCharToMultiByte(EightBitCodePage(), WC_NO_BEST_FIT_CHARS, units, length, bytes.data(),
                                          static_cast<int>(bytes.size()), nullptr, nullptr);
    bytes.resize(static_cast<std::size_t>((std::max)(count, 0)));
    return bytes;
}

// The bytes of Unicode text in encoding; what that form cannot give back (a
// leading U+FEFF without the mark) takes the mark, and what no UTF-8 can (a
// lone surrogate) is UTF-16, so that nothing is lost.
std::string UnicodeBytes(std::u16string_view text, textenc::Encoding encoding)
{
    std::optional<std::string> bytes = textenc::Encode(text, encoding);
    if (!bytes)
        bytes = textenc::Encode(text, textenc::Encoding::Utf8Bom);
    if (!bytes)
        bytes = textenc::Encode(text, textenc::Encoding::Utf16LeBom);
    return std::move(bytes).value();
}

}  // namespace

void TForm1::SetDocumentEncoding(textenc::Encoding encoding)
{
    if (encoding == documentEncoding_)
        return;
    documentEncoding_ = encoding;
    history_->SetTextKind(textenc::IsUnicode(encoding) ? bulk::TextKind::Unicode : bulk::TextKind::EightBit);
    DocumentEncodingChanged();
}

void TForm1::DocumentEncodingChanged()
{
    // Fixedsys draws no block or box character: a Unicode document is shown
    // in a face that draws them in its columns, an 8-bit one in the editor's
    // font (Fixedsys, or what the Font button chose), which stays the
    // reference for both.
    TFont shown;
    AssignShownFont(shown);
    RichEdit1->ShowTextIn(shown);
    // The sample and the list follow, in their own colours and styles.
    for (TFont* follower : {&Label1->Font(), &ListBox1->Font()}) {
        const TColor color = follower->Color();
        const TFontStyles style = follower->Style();
        follower->Assign(&shown);
        follower->SetColor(color);
        follower->SetStyle(style);
    }
    FillCharacterList(CheckBox1->Checked());
}

void TForm1::AssignShownFont(TFont& font)
{
    font.Assign(&RichEdit1->Font());
    if (!textenc::IsUnicode(documentEncoding_) || artfont::ArtCell(font))
        return;
    if (const std::optional<artfont::ArtFace>& face = artfont::ArtFaceNear(RichEdit1->Font()))
        artfont::ApplyTo(font, *face);
}

bool TForm1::AnsiHolds(int Start, int Count)
{
    const std::wstring units = RichEdit1->UnicodeText();
    const long long length = static_cast<long long>(units.size());
    const long long first = (std::clamp)(static_cast<long long>(Start), 0LL, length);
    const long long last = (std::clamp)(static_cast<long long>(Start) + Count, first, length);
    return ::AnsiHolds(std::wstring_view(units).substr(static_cast<std::size_t>(first),
                                                       static_cast<std::size_t>(last - first)));
}

std::string TForm1::CodedText(int Start, int Count, textenc::Encoding& encoding)
{
    // An 8-bit document that has come to hold what no byte of its code page
    // stands for is written as UTF-8, never with a stand-in byte.
    if (!textenc::IsUnicode(encoding) && !AnsiHolds(Start, Count))
        encoding = textenc::Encoding::Utf8;
    std::string coded;
    if (textenc::IsUnicode(encoding)) {
        coded = UnicodeBytes(bulk::WriteUnicodeCoded(*RichEdit1, Palette, Start, Count), encoding);
        encoding = textenc::Detect(coded);
    } else if (!ControlTakesEightBit()) {
        coded = EightBitBytes(bulk::WriteUnicodeCoded(*RichEdit1, Palette, Start, Count));
    } else {
        coded = bulk::WriteCoded(*RichEdit1, Palette, Start, Count);
    }
    return coded;
}

int TForm1::WholeLength()
{
    // The length of the control's 8-bit text, as the writer has always been
    // given; in UTF-16 units for a Unicode document, and for 8-bit text that
    // goes as characters, which the control's 8-bit text would count in
    // stand-in or paired bytes.
    if (!textenc::IsUnicode(documentEncoding_) && ControlTakesEightBit())
        return static_cast<int>(RichEdit1->WholeText().size());
    GETTEXTLENGTHEX measure{GTL_USECRLF | GTL_NUMCHARS | GTL_PRECISE, 1200};
    return static_cast<int>((std::max)(
        SendMessageA(RichEdit1->WindowHandle(), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&measure), 0),
        LRESULT{0}));
}

void TForm1::Savefile(const std::string& FileName, int Start, int Count)
{
    // Everything is read before the file is touched, and the file is
    // replaced whole or not at all.
    textenc::Encoding encoding = documentEncoding_;
    ReplaceFileContent(FileName, CodedText(Start, Count, encoding));
}

void TForm1::loadfile(const std::string& FileName) { InsertCoded(ReadAllBytes(FileName)); }

void TForm1::InsertCoded(const std::string& bytes)
{
    const bool empty = RichEdit1->TextLength() == 0;
    const textenc::Encoding found = textenc::Detect(bytes);
    // Before the text comes in, so that it comes in the document's font.
    if (empty)
        SetDocumentEncoding(found);
    if (textenc::IsUnicode(found)) {
        // Detect has found the bytes to be in this form: they decode.
        const std::u16string text = textenc::Decode(bytes, found).value();
        bulk::ReadCoded(*RichEdit1, Palette, text);
        // An 8-bit document pasted into that now holds what its code page
        // cannot would be saved as UTF-8: it becomes a UTF-8 document, shown
        // in a face that draws what came in (the data end at U+001A).
        const std::u16string_view inserted = std::u16string_view(text).substr(0, text.find(u'\x1A'));
        if (!textenc::IsUnicode(documentEncoding_) && !::AnsiHolds(AsWide(inserted)))
            SetDocumentEncoding(textenc::Encoding::Utf8);
    } else if (!ControlTakesEightBit()) {
        // Each byte its own character, where the control would join some.
        bulk::ReadCoded(*RichEdit1, Palette, AsUtf16(EightBitText(bytes)));
    } else {
        // 8-bit text: today's reader, byte for byte.
        bulk::ReadCoded(*RichEdit1, Palette, bytes);
    }
}

// ------------------------------------------------------- window as a whole

void TForm1::FormCreate(TComponent*)
{
    // Documents of any size: at the control's default limit of 64K
    // characters typing stops, and stream-in and replacing can be cut short.
    RichEdit1->SetMaxLength(0x7FFFFFFE);
    for (std::size_t i = 0; i < Palette.size(); ++i)
        Palette[i] = Shapes[i]->Brush().Color();
    Label1->Font().Assign(&RichEdit1->Font());
    Label1->Font().SetColor(0x000000);
    Label1->SetColor(0xFFFFFF);
    ListBox1->Font().Assign(&RichEdit1->Font());
    FillCharacterList(true);
}

void TForm1::Panel1Resize(TComponent*)
{
    const int inner = Panel1->Width() - 2 * Panel1->BorderWidth() - 2 * Panel1->BevelWidth();
    const int w = inner / 16;
    Shapes[0]->SetWidth(w);
    for (std::size_t k = 1; k < 16; ++k) {
        Shapes[k]->SetWidth(w);
        Shapes[k]->SetLeft(Shapes[k - 1]->Left() + Shapes[k - 1]->Width());
    }
    CheckBox1->SetLeft(Panel1->Width() - CheckBox1->Width() - 10);
}

void TForm1::Exit1Click(TComponent*) { Close(); }

void TForm1::FormCloseQuery(TComponent*, bool& CanClose) { CanClose = QuerySave(); }

void TForm1::Help1Click(TComponent*) { Application->HelpContext(1); }

void TForm1::About1Click(TComponent*)
{
    AboutBox = new TAboutBox(this);
    AboutBox->ShowModal();
}

// -------------------------------------------------- colouring and modes

void TForm1::Shape1MouseDown(TComponent* Sender, TMouseButton Button, TShiftState, int, int)
{
    const TColor color = static_cast<TShape*>(Sender)->Brush().Color();
    if (Button == mbLeft) {
        Shape17->Brush().SetColor(color);
        Label1->Font().SetColor(color);
        ListBox1->Font().SetColor(color);
    } else {
        Shape18->Brush().SetColor(color);
        Label1->SetColor(color);
        ListBox1->SetColor(color);
    }
    PaintSelection();
}

void TForm1::PaintSelection()
{
    const int start = RichEdit1->SelectionStart(), length = RichEdit1->SelectionLength();
    // At a caret the style is only that of what is typed next.
    if (length == 0)
        ApplyCurrentStyle(SCF_SELECTION);
    else
        history_->Record(start, start + length, [this] { ApplyCurrentStyle(SCF_SELECTION); });
}

void TForm1::RichEdit1MouseUp(TComponent*, TMouseButton, TShiftState, int, int)
{
    if (!Coloring->Checked())
        return;
    PaintSelection();
    RichEdit1->SetSelectionLength(0);
}

void TForm1::RichEdit1EditInput(TComponent*, TEditReach reach, const std::function<void()>& apply)
{
    history_->RecordInput(reach, apply);
}

namespace {
void SetLabelStyle(TLabel& label, TFontStyle style, bool on)
{
    TFontStyles styles = label.Font().Style();
    if (on)
        styles.Include(style);
    else
        styles.Exclude(style);
    label.Font().SetStyle(styles);
}
}  // namespace

void TForm1::boldClick(TComponent*) { SetLabelStyle(*Label1, fsBold, bold->Checked()); }

void TForm1::underlineClick(TComponent*) { SetLabelStyle(*Label1, fsUnderline, underline->Checked()); }

void TForm1::Button1Click(TComponent*)
{
    // The dialog starts at the font the user sees.
    TFont& chosen = FontDialog1->Font();
    AssignShownFont(chosen);
    if (!FontDialog1->Execute())
        return;
    Label1->Font().Assign(&chosen);
    // Coded text holds no font: the text is shown in the face, script and
    // size chosen, and every character keeps its colours and styles, so do
    // the end of the document and what is typed there.
    const CHARFORMAT2A kept = RichEdit1->DefaultFormat();
    RichEdit1->Font().Assign(&chosen);
    RichEdit1->SetDefaultFormat(kept);
    Shape17->Brush().SetColor(chosen.Color());
    TFont shown;
    AssignShownFont(shown);
    RichEdit1->ShowTextIn(shown);
    ListBox1->Font().Assign(&chosen);
}

void TForm1::New1Click(TComponent*)
{
    if (QuerySave())
        NewDocument();
}

void TForm1::NewDocument()
{
    RichEdit1->ClearText();
    history_->Clear();
    documentName_.clear();
    SetDocumentEncoding(textenc::Encoding::Ansi);
    RichEdit1->SetColor(Shape18->Brush().Color());
    ListBox1->Font().SetColor(Shape17->Brush().Color());
    Label1->Font().SetColor(Shape17->Brush().Color());
    ListBox1->SetColor(Shape18->Brush().Color());
    Label1->SetColor(Shape18->Brush().Color());
    const CharStyle style = CurrentStyle();
    SetSelStyle(style, SCF_SELECTION);
    SetSelStyle(style, SCF_DEFAULT);
    RichEdit1->SetEnabled(true);
    // The user goes on typing in the new document.
    if (GetActiveWindow() == Handle())
        RichEdit1->SetFocus();
}

void TForm1::Load1Click(TComponent*)
{
    if (!QuerySave())
        return;
    StartFileDialog(*OpenDialog1, false);
    if (!OpenDialog1->Execute())
        return;
    // Read whole before anything is dropped: a load that fails leaves the
    // document as it was.
    const std::string bytes = ReadAllBytes(OpenDialog1->FileName);
    NewDocument();
    InsertCoded(bytes);
    history_->Clear();
    documentName_ = OpenDialog1->FileName;
}

void TForm1::Save1Click(TComponent*) { SaveDocument(); }

bool TForm1::SaveDocument()
{
    StartFileDialog(*SaveDialog1, true);
    if (!SaveDialog1->Execute())
        return false;
    Savefile(SaveDialog1->FileName, 0, WholeLength());
    documentName_ = SaveDialog1->FileName;
    history_->MarkSaved();
    return true;
}

namespace {
// Where the name of a file starts in its path, after the folder.
std::size_t NameStart(const std::string& path)
{
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? 0 : slash + 1;
}
}  // namespace

void TForm1::StartFileDialog(TOpenDialog& dialog, bool atName) const
{
    dialog.InitialDir = documentName_.substr(0, NameStart(documentName_));
    dialog.FileName = atName ? documentName_.substr(NameStart(documentName_)) : std::string();
}

std::string TForm1::DocumentTitle() const
{
    return documentName_.empty() ? "Untitled" : documentName_.substr(NameStart(documentName_));
}

bool TForm1::QuerySave()
{
    if (!history_->Modified())
        return true;
    const std::string question = "Do you want to save changes to " + DocumentTitle() + "?";
    // Windows waits for the answer rather than end the program meanwhile.
    std::optional<ShutdownBlock> block;
    if (EndingSession())
        block.emplace(Handle(), SystemFileName(question));
    switch (MessageDlg(question, mtWarning, MB_YESNOCANCEL | MB_DEFBUTTON1)) {
    case IDYES:
        if (SaveDocument())
            return true;
        break;
    case IDNO: return true;
    default: break;
    }
    if (RichEdit1->Enabled())
        RichEdit1->SetFocus();
    return false;
}

// ------------------------------------------------------------- clipboard

namespace {

// Every running copy of the program passes its text through the one transfer
// file. Copy's write and read-back, and Paste's write and read, are made one
// step for all copies, so that none can hand on the text of another that
// wrote the file in between. A copy that holds the lock much longer than any
// transfer takes is not waited for.
// The transfer file is one for the whole machine, so the lock is named in
// the namespace of the whole machine, and in the session's where that one is
// refused.
const std::initializer_list<const char*> TransferLockNames = {"Global\\Vexil.TransferFile",
                                                               "Local\\Vexil.TransferFile"};
constexpr DWORD TransferLockTimeoutMs = 10000;

// Since Windows Vista a process without administrator rights may not create
// files in the root of C:. The 32-bit program without a manifest is quietly
// redirected; any other is refused, and then the running copies of the user
// meet in the user's local application data instead. Any other failure is
// left to the file's own opening to report.
std::string TransferFileName()
{
    {
        const FileHandle probe(CreateFileA(TransferFile, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (probe || GetLastError() != ERROR_ACCESS_DENIED)
            return TransferFile;
    }
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                                folder)))
        return TransferFile;
    const std::wstring ours = std::wstring(folder) + L"\\Vexil";
    CreateDirectoryW(ours.c_str(), nullptr);  // there already after the first time
    return ProgramFileName(ours + L"\\txtbuff");
}

}  // namespace

bool TForm1::CopySelection()
{
    const int length = RichEdit1->SelectionLength();
    const int start = RichEdit1->SelectionStart();
    const NamedMutexLock lock(TransferLockNames, TransferLockTimeoutMs);
    const std::string transfer = TransferFileName();
    // Other programs take the transfer's bytes as CF_TEXT: a Unicode
    // document goes as UTF-8.
    textenc::Encoding written =
        textenc::IsUnicode(documentEncoding_) ? textenc::Encoding::Utf8 : textenc::Encoding::Ansi;
    {
        const std::string coded = CodedText(start, length, written);
        TextFileWriter writer;
        writer.Rewrite(transfer);
        writer.Write(coded);
        writer.Close();
    }

    ByteFile file;
    try {
        file.Reset(transfer);
    } catch (const EInOutError&) {
        // The one quiet failure: Copy ends, and the caller learns of it.
        return false;
    }
    std::string text = file.ReadRest();
    // The text ends at a zero byte, as CF_TEXT does.
    text.resize((std::min)(text.find('\0'), text.size()));
    // The same characters as CF_UNICODETEXT, read as they were written:
    // otherwise the system would convert the bytes with the keyboard's
    // language.
    std::optional<std::wstring> unicode;
    if (!textenc::IsUnicode(written)) {
        unicode = EightBitText(text);
    } else if (const std::optional<std::u16string> units = textenc::Decode(text, written)) {
        unicode.emplace(units->begin(), units->end());
    }
    if (unicode)
        TClipboard(Handle()).SetText(text, *unicode);
    else
        TClipboard(Handle()).SetText(text);
    file.Close();
    return true;
}

void TForm1::Copy1Click(TComponent*) { CopySelection(); }

void TForm1::Cut1Click(TComponent*)
{
    // The copy leaves the selection as it was: that is what goes.
    if (!CopySelection())
        return;
    const int start = RichEdit1->SelectionStart();
    history_->Record(start, start + RichEdit1->SelectionLength(), [this] { RichEdit1->SetSelectedText(""); });
}

void TForm1::Paste1Click(TComponent*)
{
    const TClipboard clipboard(Handle());
    // The characters themselves where the bytes would stand in for some;
    // otherwise the bytes, as they have always been taken.
    std::string text;
    if (clipboard.HasFormat(CF_UNICODETEXT)) {
        const std::wstring unicode = clipboard.UnicodeText();
        if (!::AnsiHolds(unicode))
            text = UnicodeBytes(AsUtf16(unicode), textenc::Encoding::Utf8);
    }
    if (text.empty()) {
        if (!clipboard.HasFormat(CF_TEXT))
            return;
        text = clipboard.Text();
    }
    if (text.empty())
        return;
    const NamedMutexLock lock(TransferLockNames, TransferLockTimeoutMs);
    const std::string transfer = TransferFileName();
    ByteFile file;
    file.Rewrite(transfer);
    file.Write(text.data(), text.size());
    file.Close();
    const int start = RichEdit1->SelectionStart();
    history_->Record(start, start + RichEdit1->SelectionLength(), [&] { loadfile(transfer); });
}

bool TForm1::DocumentModified() const { return history_->Modified(); }

void TForm1::Undo1Click(TComponent*) { history_->Undo(); }

void TForm1::Redo1Click(TComponent*) { history_->Redo(); }

void TForm1::Edit1Click(TComponent*)
{
    Undo1->SetEnabled(history_->CanUndo());
    Redo1->SetEnabled(history_->CanRedo());
    Cut1->SetEnabled(RichEdit1->Enabled());
    const TClipboard clipboard(Handle());
    Paste1->SetEnabled((clipboard.HasFormat(CF_TEXT) || clipboard.HasFormat(CF_UNICODETEXT)) &&
                       RichEdit1->Enabled());
    Copy1->SetEnabled(RichEdit1->Enabled());
}

void TForm1::RichEdit1KeyDown(TComponent*, WORD& Key, TShiftState Shift)
{
    // Both the letters and the older Insert and Delete chords, which the
    // control would otherwise handle itself, without the codes.
    const TShiftState chord = Shift;
    if ((chord == shCtrl && Key == 'Z') || (chord == shAlt && Key == VK_BACK))
        Undo1Click(this);
    else if ((chord == shCtrl && Key == 'Y') || (chord == (shCtrl | shShift) && Key == 'Z'))
        Redo1Click(this);
    else if ((chord == shCtrl && Key == 'C') || (chord == shCtrl && Key == VK_INSERT))
        Copy1Click(this);
    else if ((chord == shCtrl && Key == 'V') || (chord == shShift && Key == VK_INSERT))
        Paste1Click(this);
    else if ((chord == shCtrl && Key == 'X') || (chord == shShift && Key == VK_DELETE))
        Cut1Click(this);
    else
        return;
    Key = 0;
}

// ------------------------------------------------------ character picker

void TForm1::FillCharacterList(bool filtered)
{
    TStrings& items = ListBox1->Items();
    items.InBatch([&] {
        items.Clear();
        if (!textenc::IsUnicode(documentEncoding_)) {
            for (const std::string& entry : charlist::ByteEntries(filtered))
                items.Add(entry);
            return;
        }
        std::string bytes(charlist::CodePageTable().size(), '\0');
        std::iota(bytes.begin(), bytes.end(), '\0');
        const std::wstring characters = EightBitText(bytes);  // one a byte: the code page is single-byte
        charlist::CodePageTable table{};
        std::copy_n(AsUtf16(characters).begin(), (std::min)(characters.size(), table.size()), table.begin());
        for (const std::u16string& entry : charlist::UnicodeEntries(filtered, table))
            ListBox1->AddItemUtf16(entry);
    });
}

void TForm1::CheckBox1Click(TComponent*) { FillCharacterList(CheckBox1->Checked()); }

void TForm1::ListBox1Click(TComponent*)
{
    if (!RichEdit1->Enabled())
        return;
    const int index = ListBox1->ItemIndex();
    if (index < 0)
        return;
    const int start = RichEdit1->SelectionStart();
    history_->Record(start, start + RichEdit1->SelectionLength(), [&] {
        if (textenc::IsUnicode(documentEncoding_))
            RichEdit1->SetSelectedUnicodeText(std::wstring(AsWide(ListBox1->ItemUtf16(index))));
        else
            RichEdit1->SetSelectedText(ListBox1->Items().Get(index));
    });
}
