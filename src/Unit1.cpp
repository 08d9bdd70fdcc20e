#include "Unit1.h"

#include "BulkChecks.h"
#include "BulkExchange.h"
#include "CharacterList.h"
#include "Unit2.h"
#include "winlib/Clipboard.h"
#include "winlib/RuntimeFiles.h"
#include "winlib/Scoped.h"
#include "winlib/Strings.h"
#include "winlib/Synchronization.h"

#include <richedit.h>
#include <shlobj.h>

#include <algorithm>

using namespace winlib;
using codedtext::CharStyle;

TForm1* Form1 = nullptr;

const char* const TransferFile = "c:\\txtbuff";

TForm1::TForm1(TComponent* owner) : TForm(owner) { CreateComponents(); }

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

void TForm1::Savefile(const std::string& FileName, int Start, int Count)
{
    // Everything is read before the file is rewritten: when reading fails,
    // the file is still what it was.
    const std::string coded = bulk::WriteCoded(*RichEdit1, Palette, Start, Count);
    TextFileWriter file;
    file.Rewrite(FileName);
    if (!coded.empty())
        file.Write(coded);
    file.Close();
}

void TForm1::loadfile(const std::string& FileName)
{
    TextFileReader file;
    file.Reset(FileName);
    bulk::ReadCoded(*RichEdit1, Palette, file);
    file.Close();
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
    ApplyCurrentStyle(SCF_SELECTION);
}

void TForm1::RichEdit1MouseUp(TComponent*, TMouseButton, TShiftState, int, int)
{
    if (!Coloring->Checked())
        return;
    ApplyCurrentStyle(SCF_SELECTION);
    RichEdit1->SetSelectionLength(0);
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
    TFont& chosen = FontDialog1->Font();
    chosen.Assign(&RichEdit1->Font());
    if (!FontDialog1->Execute())
        return;
    Label1->Font().Assign(&chosen);
    RichEdit1->Font().Assign(&chosen);
    Shape17->Brush().SetColor(chosen.Color());
    RichEdit1->SelectAllText();
    RichEdit1->SelectionAttributes().Assign(&chosen);
    RichEdit1->DefaultAttributes().Assign(&chosen);
    RichEdit1->SetSelectionLength(0);
    ListBox1->Font().Assign(&chosen);
}

void TForm1::New1Click(TComponent*)
{
    RichEdit1->ClearText();
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
    if (!OpenDialog1->Execute())
        return;
    New1Click(this);
    loadfile(OpenDialog1->FileName);
}

void TForm1::Save1Click(TComponent*)
{
    if (!SaveDialog1->Execute())
        return;
    const int length = static_cast<int>(RichEdit1->WholeText().size());
    Savefile(SaveDialog1->FileName, 0, length);
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
    Savefile(transfer, start, length);

    ByteFile file;
    try {
        file.Reset(transfer);
    } catch (const EInOutError&) {
        // The one quiet failure: Copy ends, and the caller learns of it.
        return false;
    }
    std::string text;
    char block[65536];
    for (;;) {
        const std::size_t read = file.Read(block, sizeof block);
        text.append(block, read);
        if (read < sizeof block)
            break;
    }
    // The text ends at a zero byte, as CF_TEXT does.
    text.resize((std::min)(text.find('\0'), text.size()));
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
    RichEdit1->SetSelectedText("");
}

void TForm1::Paste1Click(TComponent*)
{
    const TClipboard clipboard(Handle());
    if (!clipboard.HasFormat(CF_TEXT))
        return;
    const std::string text = clipboard.Text();
    if (text.empty())
        return;
    const NamedMutexLock lock(TransferLockNames, TransferLockTimeoutMs);
    const std::string transfer = TransferFileName();
    ByteFile file;
    file.Rewrite(transfer);
    file.Write(text.data(), text.size());
    file.Close();
    loadfile(transfer);
}

void TForm1::Undo1Click(TComponent*) { RichEdit1->Undo(); }

void TForm1::Edit1Click(TComponent*)
{
    Undo1->SetEnabled(RichEdit1->CanUndo());
    Cut1->SetEnabled(RichEdit1->Enabled());
    Paste1->SetEnabled(TClipboard(Handle()).HasFormat(CF_TEXT) && RichEdit1->Enabled());
    Copy1->SetEnabled(RichEdit1->Enabled());
}

void TForm1::RichEdit1KeyDown(TComponent*, WORD& Key, TShiftState Shift)
{
    // Both the letters and the older Insert and Delete chords, which the
    // control would otherwise handle itself, without the codes.
    const TShiftState chord = Shift;
    if ((chord == shCtrl && Key == 'C') || (chord == shCtrl && Key == VK_INSERT))
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
        for (const std::string& entry : charlist::ByteEntries(filtered))
            items.Add(entry);
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
    RichEdit1->SetSelectedText(ListBox1->Items().Get(index));
}
