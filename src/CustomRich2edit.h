// The rich text control: a multi-line edit over the Windows rich edit control
// 2.0 ("RICHED20.DLL", window class "RichEdit20A"), with objects for its
// character and paragraph formats and a line list that also streams the
// whole content in and out as RTF or plain text.
#pragma once

#include "winlib/Components.h"
#include "winlib/Graphics.h"
#include "winlib/Scoped.h"
#include "winlib/StdControls.h"
#include "winlib/Streams.h"
#include "winlib/Strings.h"

#include <windows.h>
#include <richedit.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class TCustomRich2Edit;

// ------------------------------------------------------------- attributes

enum TAttributeTarget : unsigned char { atSelection, atDefault };
// Any other low byte of the paragraph's numbering reads back as itself.
enum TNumberingStyle : unsigned char { nsNone, nsBullet };

// The character format of the selection or the default format of a control's
// window, one property at a time. Nothing is kept here: every read asks the
// window and every write sends that one property. Without a window, reads
// give the values of an all-zero format and writes do nothing.
class TText2Attributes : public winlib::TPersistent {
public:
    TText2Attributes(TCustomRich2Edit* richEdit, TAttributeTarget target);
    const char* ClassName() const override { return "TText2Attributes"; }

    TCustomRich2Edit* RichEdit() const { return richEdit_; }
    TAttributeTarget Target() const { return target_; }

    BYTE Charset() const;
    void SetCharset(BYTE value);
    // clWindowText stands for the automatic text colour.
    winlib::TColor Color() const;
    void SetColor(winlib::TColor value);
    // Names longer than 31 characters are cut to 31 on writing.
    std::string Name() const;
    void SetName(const std::string& value);
    winlib::TFontStyles Style() const;
    void SetStyle(winlib::TFontStyles value);
    // In points; the window holds twips.
    int Size() const;
    void SetSize(int value);
    winlib::TFontPitch Pitch() const;
    // The window takes pitch only together with a face name, so writing it
    // alone changes nothing there.
    void SetPitch(winlib::TFontPitch value);

    // From a font: colour, name, character set, style, size and pitch. From
    // other attributes: the same but the size.
    void Assign(const winlib::TPersistent* source) override;

protected:
    void AssignTo(winlib::TPersistent* dest) const override;

private:
    CHARFORMAT2A FetchFormat() const;
    void ApplyFormat(CHARFORMAT2A& format) const;

    TCustomRich2Edit* richEdit_;  // not owned
    TAttributeTarget target_;
};

// The paragraph format of the selection, in points.
class TPara2Attributes : public winlib::TPersistent {
public:
    static constexpr int MaxTabs = MAX_TAB_STOPS;

    explicit TPara2Attributes(TCustomRich2Edit* richEdit);
    const char* ClassName() const override { return "TPara2Attributes"; }

    TCustomRich2Edit* RichEdit() const { return richEdit_; }

    // Alignments the window may report beyond these read as taLeftJustify.
    winlib::TAlignment Alignment() const;
    void SetAlignment(winlib::TAlignment value);
    int FirstIndent() const;
    void SetFirstIndent(int value);
    int LeftIndent() const;
    void SetLeftIndent(int value);
    int RightIndent() const;
    void SetRightIndent(int value);
    TNumberingStyle Numbering() const;
    // Bullets need room: a bulleted paragraph gets a left indent of at least
    // 10 points, a plain one loses its left indent.
    void SetNumbering(TNumberingStyle value);
    // Tab stops 0 to MaxTabs - 1; other indices raise EInvalidOperation.
    int Tab(int index) const;
    void SetTab(int index, int value);

    void Assign(const winlib::TPersistent* source) override;

private:
    PARAFORMAT FetchParagraph() const;
    void ApplyParagraph(PARAFORMAT& paragraph) const;

    TCustomRich2Edit* richEdit_;  // not owned
};

// ---------------------------------------------------- conversion, streaming

// Passes the bytes between a stream and the control unchanged; a descendant
// could transform them.
class TConversion {
public:
    TConversion() = default;
    TConversion(const TConversion&) = delete;
    TConversion& operator=(const TConversion&) = delete;
    virtual ~TConversion() = default;
    virtual const char* ClassName() const { return "TConversion"; }

    // Return the number of bytes moved.
    virtual int ReadChunk(winlib::TStream& stream, char* buffer, int count);
    virtual int WriteChunk(winlib::TStream& stream, const char* buffer, int count);
};

// A converter class: makes a new converter.
using TConversionClass = std::unique_ptr<TConversion> (*)();

template <class Converter>
std::unique_ptr<TConversion> MakeConversion()
{
    return std::make_unique<Converter>();
}

struct TConversionFormat {
    TConversionClass ConverterClass;
    std::string Extension;  // lower case, without the dot
    const TConversionFormat* Next;
};

// The head of the conversion format list: "txt", then "rtf".
const TConversionFormat* ConversionFormatList();
// The entry for the extension of fileName (the last dot of its last path
// component, in any case); the "txt" entry when no entry matches.
const TConversionFormat& FindConversionFormat(const std::string& fileName);

// What the stream callbacks are handed as their cookie.
struct TStreamCookie {
    TConversion* Converter;  // none: nothing is moved
    winlib::TStream* Stream;
    // The last byte handed to the control was a CR, so an LF that starts
    // the next chunk belongs to the same line break.
    bool AfterCR = false;
};

// Copies length bytes, turning every line break (LF, CR or CR LF) into CR LF
// and leaving out zero bytes, which the control would keep as characters that
// cut short every text read back from it. dest holds 2 * length bytes; the
// count written is returned. afterCR carries a CR from the end of one chunk
// of a stream to the start of the next.
std::size_t NormalizeLineBreaks(char* dest, const char* source, std::size_t length, bool& afterCR);

// EDITSTREAM callbacks; cookie is a TStreamCookie*. Errors never leave them:
// reading reports 1 and writing 2, which the control puts in dwError.
DWORD CALLBACK StreamInCallback(DWORD_PTR cookie, LPBYTE buffer, LONG cb, LONG* pcb);
DWORD CALLBACK StreamOutCallback(DWORD_PTR cookie, LPBYTE buffer, LONG cb, LONG* pcb);

// ------------------------------------------------- raw exchange with a window

// Reads a text whose length is not known beforehand through a request that
// writes at most size bytes (its zero byte included) and returns how many it
// wrote before the zero. A text that fills the buffer may have been cut, so
// it is asked for again with twice the room, up to maxSize bytes.
std::string ReadSizedText(const std::function<std::size_t(char* buffer, std::size_t size)>& request,
                          std::size_t firstSize, std::size_t maxSize);

// The library and the window class of the rich text control, for every
// window of it the program makes.
extern const char* const RichEditLibraryName;
extern const char* const RichEditClassName;
// A reference to the library, loaded without the system's "not found" box;
// none when it cannot be loaded.
winlib::ModuleHandle LoadRichEditLibrary();

// The selection of a rich edit window, and selecting first .. last - 1 in it
// (last -1: to the end).
CHARRANGE SelectionOf(HWND window);
void SelectRangeOf(HWND window, LONG first, LONG last);

// The control's Unicode text (Windows' wchar_t) as the program's UTF-16 text
// (char16_t), and back, without copying.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows text is UTF-16");
inline std::u16string_view AsUtf16(std::wstring_view units)
{
    return std::u16string_view(reinterpret_cast<const char16_t*>(units.data()), units.size());
}
inline std::wstring_view AsWide(std::u16string_view text)
{
    return std::wstring_view(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

// The same exchanges as the control's StreamIn, StreamOut, UnicodeText and
// SelectedText below, with any rich edit window.
void StreamInto(HWND window, WPARAM format, std::string_view data);
std::string StreamOutOf(HWND window, WPARAM format);
std::wstring UnicodeTextOf(HWND window);
std::string SelectedTextOf(HWND window);
// The selected text as UTF-16 units, one a position.
std::wstring SelectedUnicodeTextOf(HWND window);
// Replaces the selection with UTF-16 units, each as itself, in the caret's
// format; no undo step is left.
void SetSelectedUnicodeTextOf(HWND window, const std::wstring& text);

// --------------------------------------------------------------- line list

// The lines of a control's window. No line is kept here: every operation
// asks or changes the window. Indices that name no line do nothing.
class TRich2EditStrings : public winlib::TStrings {
public:
    explicit TRich2EditStrings(TCustomRich2Edit* richEdit);

    TCustomRich2Edit* RichEdit() const { return richEdit_; }

    // A line's text without its line break, however long.
    std::string Get(int index) const override;
    // An empty last line is not counted: an empty control has none.
    int GetCount() const override;
    // Replaces a line's text; its line break stays.
    void Put(int index, const std::string& line) override;
    void Insert(int index, const std::string& line) override;
    // Takes the line with its break; the last line leaves the break before it.
    void Delete(int index) override;
    void Clear() override;
    // Raises no OnChange of the control while the lines are replaced.
    void SetTextStr(const std::string& text) override;

    // The whole content, as plain text when PlainText is set and as RTF
    // otherwise. Data the control rejects as RTF is read again as plain
    // text; "Failed to Load Stream" / "Failed to Save Stream" report errors.
    void LoadFromStream(winlib::TStream& stream) override;
    void SaveToStream(winlib::TStream& stream) override;
    // Also install the converter that the file's extension chooses, which
    // later transfers use; a failure removes it again.
    void LoadFromFile(const std::string& fileName) override;
    void SaveToFile(const std::string& fileName) override;

    bool PlainText() const { return plainText_; }
    void SetPlainText(bool value) { plainText_ = value; }
    // The installed converter, or null.
    const TConversion* Converter() const { return converter_.get(); }

protected:
    void SetUpdating(bool updating) override;
    void AppendLines(const winlib::TStrings& source) override;

private:
    HWND Window() const;
    void SetChangeNotification(bool on);
    void ReplaceRange(LRESULT start, LRESULT end, const std::string& text);
    // The installed converter, or one made for this transfer in holder.
    TConversion* TransferConverter(std::unique_ptr<TConversion>& holder) const;

    TCustomRich2Edit* richEdit_;  // not owned
    bool plainText_ = false;
    std::unique_ptr<TConversion> converter_;
};

// ----------------------------------------------------------------- control

// The rectangle the control asks for.
using TRichEditResizeEvent = std::function<void(winlib::TComponent* sender, RECT& rect)>;
// A change to protected text between the two positions is about to happen.
using TRichEditProtectChange =
    std::function<void(winlib::TComponent* sender, int startPos, int endPos, bool& allowChange)>;
// The control is closing while the clipboard holds data it put there.
using TRichEditSaveClipboard =
    std::function<void(winlib::TComponent* sender, int numObjects, int numChars, bool& saveClipboard)>;
// Where input that the control turns into a change of its text by itself
// can reach, around the selection: a character typed (which may take the
// place of the one after it), a deletion before or after it, or anything
// within the lines around it (a word deleted, a line broken, a format key).
enum TEditReach { erTyped, erBackward, erForward, erLines };
// Input the control is about to act on; the handler lets it act by calling
// apply, once.
using TEditInputEvent =
    std::function<void(winlib::TComponent* sender, TEditReach reach, const std::function<void()>& apply)>;

// Every window it makes loads the rich edit library once more and gives
// that reference back when the window is gone. Text and formatting live in
// the window only; they survive a re-creation of the window, as RTF,
// together with the modified flag.
class TCustomRich2Edit : public winlib::TCustomMemo {
public:
    explicit TCustomRich2Edit(winlib::TComponent* owner);
    const char* ClassName() const override { return "TCustomRich2Edit"; }

    // Positions count a paragraph break as one character.
    int SelectionStart() override;
    // Moves the caret there, dropping the selection.
    void SetSelectionStart(int position) override;
    int SelectionLength() override;
    // From the selection's start, and scrolls the caret into view.
    void SetSelectionLength(int length) override;
    // A paragraph break reads as CR.
    std::string SelectedText() override;
    // Empties the control and leaves it unmodified.
    void ClearText() override;

    // Raw transfers of the content, without converters or line-break
    // handling: format is SF_RTF or SF_TEXT, with SFF_SELECTION for the
    // selection alone. "Failed to Load Stream" / "Failed to Save Stream"
    // report what the control refuses.
    void StreamIn(WPARAM format, std::string_view data);
    std::string StreamOut(WPARAM format);
    // The text as the control holds it, one UTF-16 unit a position; a
    // paragraph break is one CR.
    std::wstring UnicodeText();
    // The selected text the same way.
    std::wstring SelectedUnicodeText();
    void SetSelectedUnicodeText(const std::wstring& text);
    // Shows all the text, and what is typed next, in font's face, character
    // set and size; styles and colours stay as they are, and so does Font().
    void ShowTextIn(const winlib::TFont& font);
    // The format of an empty document and of what is typed past the end,
    // whole, and putting it back.
    CHARFORMAT2A DefaultFormat();
    void SetDefaultFormat(const CHARFORMAT2A& format);
    // Selects first .. last - 1 at once (the control scrolls the caret into view).
    void SelectRange(int first, int last);
    void ScrollCaret();
    // Where the view stands: the scroll position where the control tells it,
    // else the first line shown.
    POINT ScrollPosition();
    // Has the line of position painted anew, or everything from it down.
    void RepaintFrom(int position, bool lineOnly);
    // The number of positions.
    int TextLength();
    // From the start of the line before first's to the end of the line after
    // last's, its break included; within the text.
    CHARRANGE LinesAround(int first, int last);

    // Bulk changes that record no undo steps; afterwards the undo history
    // is empty and the control's own undo limit is back.
    class UndoSuspension {
    public:
        explicit UndoSuspension(TCustomRich2Edit& edit);
        ~UndoSuspension();
        UndoSuspension(const UndoSuspension&) = delete;
        UndoSuspension& operator=(const UndoSuspension&) = delete;

    private:
        TCustomRich2Edit& edit_;
    };

    // Work that moves the selection over the text to read it, out of the
    // user's sight: when the scope ends, by an exception too, the selection
    // and the scroll position are as they were. Which end of the selection
    // held the caret is lost: the control tells only the range, and puts
    // the caret at the end of a range it is given.
    class ViewKeeper {
    public:
        explicit ViewKeeper(TCustomRich2Edit& edit);
        ~ViewKeeper();
        ViewKeeper(const ViewKeeper&) = delete;
        ViewKeeper& operator=(const ViewKeeper&) = delete;

    private:
        HWND window_;
        CHARRANGE selection_;
        POINT scroll_{};
        bool scrollKnown_ = false;
        LRESULT firstLine_;
        CHARFORMAT2A caretFormat_{};  // cbSize 0: a range was selected
    };

    TText2Attributes& SelectionAttributes() { return selectionAttributes_; }
    TText2Attributes& DefaultAttributes() { return defaultAttributes_; }
    TPara2Attributes& ParagraphAttributes() { return paragraphAttributes_; }
    TRich2EditStrings& Lines() { return lines_; }
    void SetLines(const winlib::TStrings& lines) { lines_.Assign(lines); }

    // Only decides how Lines streams; nothing is sent.
    bool PlainText() const { return lines_.PlainText(); }
    void SetPlainText(bool value) { lines_.SetPlainText(value); }
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool value);
    bool HideScrollBars() const { return hideScrollBars_; }
    void SetHideScrollBars(bool value);

    // The converter Lines makes for a transfer when it has none installed.
    TConversionClass DefaultConverter = &MakeConversion<TConversion>;

    winlib::TNotifyEvent OnSelectionChange;
    // WM_COPY, WM_CUT and WM_PASTE, from whoever sends them, go to these
    // instead of the control's own clipboard handling when they are set.
    winlib::TNotifyEvent OnCopy;
    winlib::TNotifyEvent OnCut;
    winlib::TNotifyEvent OnPaste;
    TRichEditResizeEvent OnResizeRequest;
    // Without a handler a change of protected text is refused.
    TRichEditProtectChange OnProtectChange;
    // Without a handler the clipboard data is saved.
    TRichEditSaveClipboard OnSaveClipboard;
    // Typing, Backspace, Delete, Enter and the other keys that the control
    // itself turns into changes of its text, so that they can be recorded.
    TEditInputEvent OnEditInput;
    // Whether typing replaces the character after the caret (Insert toggles
    // it), as far as the keys that reached the control tell.
    bool Overtype() const noexcept { return overtype_; }
    // The control's own undo; off, it records nothing and undoes nothing.
    void SetNativeUndo(bool on);

protected:
    void WndProc(winlib::TMessage& message) override;
    void CreateParams(winlib::TCreateParams& params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void ApplyMaxLength(int value) override;
    void DefaultHandler(winlib::TMessage& message) override;
    virtual void DoResizeRequest(RECT& rect);
    virtual void DoSelectionChange();
    virtual bool DoProtectChange(int startPos, int endPos);
    virtual bool DoSaveClipboard(int numObjects, int numChars);

private:
    void CMColorChanged(winlib::TMessage& message);
    void CMFontChanged(winlib::TMessage& message);
    void CNNotify(winlib::TMessage& message);
    void WMNCDestroy(winlib::TMessage& message);
    void WMSetCursor(winlib::TMessage& message);
    void WMPaint(winlib::TMessage& message);
    void WMSetFont(winlib::TMessage& message);
    void WMClipboardCommand(winlib::TMessage& message);

    CHARRANGE Selection();
    void TakeFarEastCharset();

    winlib::ModuleHandle library_;  // the rich edit library, for the window
    bool hideScrollBars_ = true;
    TText2Attributes selectionAttributes_;
    TText2Attributes defaultAttributes_;
    TPara2Attributes paragraphAttributes_;
    TRich2EditStrings lines_;
    std::unique_ptr<winlib::TMemoryStream> savedContent_;
    bool hideSelection_ = true;
    bool nativeUndo_ = true;
    bool inEditInput_ = false;
    bool overtype_ = false;
};

// The control as the forms use it.
class TRich2Edit : public TCustomRich2Edit {
public:
    using TCustomRich2Edit::TCustomRich2Edit;
    const char* ClassName() const override { return "TRich2Edit"; }
};
