#include "Unit1.h"

#include "BulkChecks.h"
#include "RtfText.h"
#include "Unit2.h"
#include "winlib/Clipboard.h"
#include "winlib/RuntimeFiles.h"
#include "winlib/Synchronization.h"

#include <richedit.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>

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

// ------------------------------------------------- bulk exchange with the control
//
// The writer and the reader are defined one position and one character at
// a time; done so literally they cost several messages, each with a redraw
// or a scroll, for every character. Here the same results come in bulk: the
// reader streams an RTF fragment in at the caret, the writer reads the
// positions' styles from the control's own RTF and their text from its
// Unicode text. Only what the control was seen to do faithfully goes the
// bulk route (BulkChecks); wherever it cannot tell, the position or the
// character takes the literal route.

CharStyle TForm1::WalkPosition(int Position, std::string& Text)
{
    RichEdit1->SetSelectionStart(Position);
    RichEdit1->SetSelectionLength(1);
    const CharStyle style = GetSelStyle();
    Text = RichEdit1->SelectedText();
    return style;
}

std::vector<CharStyle> TForm1::ReadStyles(int First, int Last, std::wstring_view Units, const bulk::Profile* profile)
{
    std::vector<std::optional<CharStyle>> found(Units.size());
    const HWND window = RichEdit1->WindowHandle();
    if (profile != nullptr && profile->Rtf().Styles()) {
        CHARRANGE range{First, Last};
        SendMessageA(window, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        try {
            if (auto matched = rtftext::MatchStyles(bulk::SelectionRuns(window), Units,
                                                    profile->Rtf()))
                found = std::move(*matched);
        } catch (const rtftext::EMalformedRtf&) {
            // RTF that cannot be read tells nothing: every position is asked.
        } catch (const EOutOfResources&) {
            // Nor does a stream that the control broke off.
        }
    }

    // Ask the control where the RTF could not tell: a stretch at once when
    // it is uniform, otherwise position by position.
    const auto ask = [&](int first, int last, CharStyle& style) {
        CHARRANGE stretch{first, last};
        SendMessageA(window, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&stretch));
        bool uniform = false;
        style = bulk::SelectionStyle(window, &uniform);
        return uniform;
    };
    std::vector<CharStyle> styles(Units.size());
    for (std::size_t i = 0; i < found.size();) {
        if (found[i]) {
            styles[i] = *found[i];
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < found.size() && !found[j])
            ++j;
        CharStyle style;
        const int first = First + static_cast<int>(i), last = First + static_cast<int>(j);
        if (ask(first, last, style)) {
            std::fill(styles.begin() + static_cast<std::ptrdiff_t>(i), styles.begin() + static_cast<std::ptrdiff_t>(j),
                      style);
        } else {
            for (int p = first; p < last; ++p) {
                ask(p, p + 1, style);
                styles[static_cast<std::size_t>(p - First)] = style;
            }
        }
        i = j;
    }
    return styles;
}

void TForm1::Savefile(const std::string& FileName, int Start, int Count)
{
    // Everything is read before the file is rewritten: when reading fails,
    // the file is still what it was.
    codedtext::Encoder encoder(Palette);
    const long long end = static_cast<long long>(Start) + Count;
    if (Count > 0) {
        // The walk moves the selection all over the document; the window
        // shows only where it ends.
        RedrawSuspension suspension(RichEdit1->WindowHandle());
        const std::wstring units = RichEdit1->UnicodeText();
        const long long length = static_cast<long long>(units.size());
        const int first = static_cast<int>(std::clamp<long long>(Start, 0, length));
        const int last = static_cast<int>(std::clamp<long long>(end, 0, length));
        std::shared_ptr<const bulk::Profile> profile;
        std::vector<CharStyle> styles;
        if (first < last) {
            CHARRANGE range{first, last};
            SendMessageA(RichEdit1->WindowHandle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
            profile = bulk::ProfileForSelection(RichEdit1->WindowHandle());
            if (profile)
                styles = ReadStyles(first, last,
                                    std::wstring_view(units).substr(static_cast<std::size_t>(first),
                                                                    static_cast<std::size_t>(last - first)),
                                    profile.get());
        }
        // Every position past the end selects the same nothing, so the
        // control is asked once for all of them.
        std::optional<std::pair<CharStyle, std::string>> pastEnd;
        std::string text;
        for (long long p = Start; p < end; ++p) {
            if (p >= first && p < last && profile) {
                const std::size_t i = static_cast<std::size_t>(p - first);
                if (const auto known = profile->SelectedText(units[static_cast<std::size_t>(p)])) {
                    encoder.Add(styles[i], *known);
                    continue;
                }
            }
            if (p >= length) {
                if (!pastEnd) {
                    const CharStyle style = WalkPosition(static_cast<int>(p), text);
                    pastEnd.emplace(style, text);
                }
                encoder.Add(pastEnd->first, pastEnd->second);
            } else {
                const CharStyle style = WalkPosition(static_cast<int>(p), text);
                encoder.Add(style, text);
            }
        }
        // The selection ends where walking each position would leave it.
        WalkPosition(static_cast<int>(end - 1), text);
    }
    const std::string coded = encoder.Take();
    TextFileWriter file;
    file.Rewrite(FileName);
    if (!coded.empty())
        file.Write(coded);
    file.Close();
}

namespace {

// The rich edit control's own undo limit, which the program never changes.
constexpr WPARAM DefaultUndoLimit = 100;

// Insertions gathered into one fragment at most: a fragment and what it
// stands for are held in memory until they are brought in, however long
// the line.
constexpr std::size_t FragmentLimit = 1 << 16;

// Insertions at the caret, in the reader's order, brought to the control in
// bulk as RTF fragments, each read back and compared once it is in. While
// the control still holds a selection, for breaks whose style a fragment
// cannot state, and for what the control's fragments were not seen to bring
// in faithfully, the insertion is made literally; so is the rest of a
// fragment from where its reading back differs.

class CaretInserter {
public:
    CaretInserter(TForm1& form, TRich2Edit& edit)
        : form_(form), edit_(edit), window_(edit.WindowHandle()), writer_(GetACP()),
          literal_(edit.SelectionLength() != 0), suspension_(std::in_place, window_)
    {
    }

    void Add(const codedtext::StyledChar& c)
    {
        if (!literal_ && !profiled_) {
            profile_ = bulk::ProfileForSelection(window_);
            profiled_ = true;
        }
        // A NUL inserts nothing; an LF makes a paragraph break.
        if (literal_ || !profile_ || (c.ch != '\0' && profile_->FragmentUnit(c.ch) == 0) ||
            (c.ch == '\n' && !profile_->FragmentBreaks())) {
            Flush();
            form_.SetSelStyle(c.style, SCF_SELECTION);
            Replace(std::string(1, c.ch));
            breakLiteral_ = true;
            return;
        }
        if (pending_.size() >= FragmentLimit)
            Flush();
        writer_.SetStyle(c.style);
        if (c.ch == '\n')
            writer_.Break();  // what the replace operation makes of it
        else if (c.ch != '\0')
            writer_.Text(std::string_view(&c.ch, 1));
        pending_.push_back(bulk::Insertion{c.ch, false, c.style});
        lastStyle_ = c.style;
        breakLiteral_ = c.ch == '\n';
    }

    void Break()
    {
        // A break that directly follows another break (a line of codes
        // only) takes the style that the control gives at the start of a
        // paragraph, which a fragment cannot state; one after a literal
        // insertion takes that insertion's.
        if (literal_ || breakLiteral_ || !profile_ || !profile_->FragmentBreaks()) {
            Flush();
            Replace("\r\n");
            breakLiteral_ = true;
            return;
        }
        writer_.Break();
        pending_.push_back(bulk::Insertion{'\0', true, lastStyle_});
        breakLiteral_ = true;
    }

    void Flush()
    {
        if (writer_.Empty())
            return;
        const std::string rtf = writer_.Take();
        if (!inserted_) {
            // The steps would be thrown away at the end (literal insertions
            // leave none behind), and recording them costs as much again.
            SendMessageA(window_, EM_SETUNDOLIMIT, 0, 0);
            inserted_ = true;
        }
        const LONG start = edit_.SelectionStart();
        bulk::StreamFragment(window_, rtf);
        if (profile_->Checked())
            Check(start);
        pending_.clear();
    }

    // Call once at the end, also after a failure.
    void Finish()
    {
        try {
            Flush();
        } catch (...) {
            End();
            throw;
        }
        End();
    }

private:
    // Reads back what the last fragment brought in (from start to the
    // caret) and inserts literally what it did not bring in as inserting
    // each character would have.
    void Check(LONG start)
    {
        const LONG end = edit_.SelectionStart();
        CHARRANGE range{start, end};
        SendMessageA(window_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        std::wstring units = SelectedUnitsOf(window_);
        const auto length = static_cast<std::size_t>(end - start);
        if (units.size() != length)
            units = edit_.UnicodeText().substr(static_cast<std::size_t>(start), length);
        const std::shared_ptr<const bulk::Profile> profile = bulk::ProfileForSelection(window_);
        const std::vector<CharStyle> styles = form_.ReadStyles(start, end, units, profile.get());
        const std::size_t missing = bulk::FirstMissing(pending_, units, styles, *profile_);
        LONG from = start;
        for (std::size_t i = 0; i < missing; ++i)
            from += pending_[i].isBreak || pending_[i].byte != '\0' ? 1 : 0;
        range = CHARRANGE{from, end};
        SendMessageA(window_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        if (from == end && missing == pending_.size())
            return;
        edit_.SetSelectedText("");
        for (std::size_t i = missing; i < pending_.size(); ++i) {
            const bulk::Insertion& insertion = pending_[i];
            // A break takes the style at the caret, which is that of the
            // insertion before it.
            if (!insertion.isBreak || i == missing)
                form_.SetSelStyle(insertion.style, SCF_SELECTION);
            edit_.SetSelectedText(insertion.isBreak ? std::string("\r\n") : std::string(1, insertion.byte));
        }
    }

    void End()
    {
        if (inserted_) {
            SendMessageA(window_, EM_EMPTYUNDOBUFFER, 0, 0);
            SendMessageA(window_, EM_SETUNDOLIMIT, DefaultUndoLimit, 0);
        }
        suspension_.reset();
        // Where each insertion would have scrolled: the caret in view.
        SendMessageA(window_, EM_SCROLLCARET, 0, 0);
    }

    void Replace(const std::string& text)
    {
        edit_.SetSelectedText(text);
        literal_ = false;
    }

    TForm1& form_;
    TRich2Edit& edit_;
    HWND window_;
    rtftext::FragmentWriter writer_;
    bool literal_;
    std::optional<RedrawSuspension> suspension_;
    std::shared_ptr<const bulk::Profile> profile_;  // none: everything is inserted literally
    bool profiled_ = false;
    std::vector<bulk::Insertion> pending_;  // what the fragment being built brings in
    bool inserted_ = false;
    bool breakLiteral_ = true;  // the load starts at the caret's own style
    CharStyle lastStyle_;
};

}  // namespace

void TForm1::loadfile(const std::string& FileName)
{
    TextFileReader file;
    file.Reset(FileName);
    CaretInserter inserter(*this, *RichEdit1);
    std::string line;
    try {
        while (file.ReadLine(line)) {
            codedtext::DecodeLineTo(Palette, line, [&](const codedtext::StyledChar& c) { inserter.Add(c); });
            inserter.Break();
        }
    } catch (...) {
        // What was read before the failure stays inserted.
        inserter.Finish();
        throw;
    }
    inserter.Finish();
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

}  // namespace

bool TForm1::CopySelection()
{
    const int length = RichEdit1->SelectionLength();
    const int start = RichEdit1->SelectionStart();
    const NamedMutexLock lock(TransferLockNames, TransferLockTimeoutMs);
    Savefile(TransferFile, start, length);

    ByteFile file;
    try {
        file.Reset(TransferFile);
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
    text.resize(std::min(text.find('\0'), text.size()));
    TClipboard(Handle()).SetText(text);
    file.Close();
    return true;
}

void TForm1::Copy1Click(TComponent*) { CopySelection(); }

void TForm1::Cut1Click(TComponent*)
{
    const int start = RichEdit1->SelectionStart();
    const int length = RichEdit1->SelectionLength();
    if (!CopySelection())
        return;
    RichEdit1->SetSelectionStart(start);
    RichEdit1->SetSelectionLength(length);
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
    ByteFile file;
    file.Rewrite(TransferFile);
    file.Write(text.data(), text.size());
    file.Close();
    loadfile(TransferFile);
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
    if (Shift != ssCtrl)
        return;
    switch (Key) {
    case 'C': Copy1Click(this); break;
    case 'V': Paste1Click(this); break;
    case 'X': Cut1Click(this); break;
    default: return;
    }
    Key = 0;
}

// ------------------------------------------------------ character picker

void TForm1::FillCharacterList(bool filtered)
{
    TStrings& items = ListBox1->Items();
    items.BeginUpdate();
    try {
        items.Clear();
        if (filtered) {
            items.Add(std::string(1, '\x91'));
            items.Add(std::string(1, '\x92'));
            for (int c = 160; c <= 255; ++c)
                items.Add(std::string(1, static_cast<char>(c)));
        } else {
            for (int c = 20; c <= 255; ++c)
                items.Add(std::string(1, static_cast<char>(c)));
        }
    } catch (...) {
        items.EndUpdate();
        throw;
    }
    items.EndUpdate();
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
