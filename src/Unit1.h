// The main window: the palette bar, the character picker and the editor,
// and with them the coded-text engine that turns the editor's styled text
// into coded text and back (files, clipboard).
#pragma once

#include "CodedText.h"
#include "CustomRich2edit.h"
#include "TextEncoding.h"
#include "winlib/Buttons.h"
#include "winlib/Dialogs.h"
#include "winlib/ExtControls.h"
#include "winlib/Forms.h"
#include "winlib/Lists.h"
#include "winlib/Menus.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class DocumentHistory;

// Where every copy and paste passes through, shared by all running copies
// of the program.
extern const char* const TransferFile;

class TForm1 : public winlib::TForm {
public:
    explicit TForm1(winlib::TComponent* owner);
    ~TForm1() override;
    const char* ClassName() const override { return "TForm1"; }

    // The components, built by CreateComponents (Unit1Form.cpp).
    winlib::TPanel* Panel1;
    std::array<winlib::TShape*, 16> Shapes;  // the palette swatches Shape1 .. Shape16 at 0 .. 15
    winlib::TShape* Shape17;
    winlib::TShape* Shape18;
    winlib::TLabel* Label1;
    winlib::TButton* Button1;
    winlib::TCheckBox* bold;
    winlib::TCheckBox* underline;
    winlib::TRadioButton* Cutpaste;
    winlib::TRadioButton* Coloring;
    winlib::TCheckBox* CheckBox1;
    winlib::TPanel* Panel2;
    winlib::TListBox* ListBox1;
    TRich2Edit* RichEdit1;
    winlib::TMainMenu* MainMenu1;
    winlib::TMenuItem* File1;
    winlib::TMenuItem* New1;
    winlib::TMenuItem* Load1;
    winlib::TMenuItem* Save1;
    winlib::TMenuItem* Exit1;
    winlib::TMenuItem* Edit1;
    winlib::TMenuItem* Undo1;
    winlib::TMenuItem* Redo1;
    winlib::TMenuItem* Paste1;
    winlib::TMenuItem* Copy1;
    winlib::TMenuItem* Cut1;
    winlib::TMenuItem* About1;
    winlib::TMenuItem* Help1;
    winlib::TOpenDialog* OpenDialog1;
    winlib::TSaveDialog* SaveDialog1;
    winlib::TFontDialog* FontDialog1;

private:
    // The form, area by area of the window.
    void CreateComponents();
    void CreatePaletteBar();
    void CreateStyleControls();
    void CreatePicker();
    void CreateEditor();
    void CreateMenu();
    void CreateDialogs();

public:
    // Filled from the swatches when the window is created.
    codedtext::Palette Palette{};

    // The engine.
    std::string Indexof(winlib::TColor color) const;
    codedtext::CharStyle GetSelStyle();
    // target: SCF_SELECTION (the selection, or the caret's next text) or SCF_DEFAULT.
    void SetSelStyle(const codedtext::CharStyle& style, WPARAM target);
    codedtext::CharStyle CurrentStyle() const;
    void ApplyCurrentStyle(WPARAM target);
    // Writes the positions in the document's encoding.
    void Savefile(const std::string& FileName, int Start, int Count);
    // Inserts the file's lines at the caret, read in the encoding its bytes
    // are in; into an empty document (File, Load) the document takes it.
    void loadfile(const std::string& FileName);
    // The same with the file's bytes.
    void InsertCoded(const std::string& bytes);
    // File, New once unsaved changes may go: an empty, unmodified document
    // in the current style.
    void NewDocument();
    // How many positions File, Save writes: the whole document.
    int WholeLength();
    // Changed since it was last loaded or saved (undo and redo back there
    // make it unmodified again).
    bool DocumentModified() const;
    // How File, Save writes the document; File, New makes it 8-bit.
    textenc::Encoding DocumentEncoding() const noexcept { return documentEncoding_; }
    void getcolors(const std::string& Spec, winlib::TColor& TextColor, winlib::TColor& BackColor,
                   int& Consumed) const;

    // Event handlers.
    void FormCreate(winlib::TComponent* Sender);
    void FormCloseQuery(winlib::TComponent* Sender, bool& CanClose);
    void Panel1Resize(winlib::TComponent* Sender);
    void Shape1MouseDown(winlib::TComponent* Sender, winlib::TMouseButton Button, winlib::TShiftState Shift, int X,
                         int Y);
    void RichEdit1MouseUp(winlib::TComponent* Sender, winlib::TMouseButton Button, winlib::TShiftState Shift,
                          int X, int Y);
    void RichEdit1KeyDown(winlib::TComponent* Sender, WORD& Key, winlib::TShiftState Shift);
    void RichEdit1EditInput(winlib::TComponent* Sender, TEditReach Reach, const std::function<void()>& Apply);
    void boldClick(winlib::TComponent* Sender);
    void underlineClick(winlib::TComponent* Sender);
    void Button1Click(winlib::TComponent* Sender);
    void CheckBox1Click(winlib::TComponent* Sender);
    void ListBox1Click(winlib::TComponent* Sender);
    void New1Click(winlib::TComponent* Sender);
    void Load1Click(winlib::TComponent* Sender);
    void Save1Click(winlib::TComponent* Sender);
    void Exit1Click(winlib::TComponent* Sender);
    void Edit1Click(winlib::TComponent* Sender);
    void Undo1Click(winlib::TComponent* Sender);
    void Redo1Click(winlib::TComponent* Sender);
    void Paste1Click(winlib::TComponent* Sender);
    void Copy1Click(winlib::TComponent* Sender);
    void Cut1Click(winlib::TComponent* Sender);
    void About1Click(winlib::TComponent* Sender);
    void Help1Click(winlib::TComponent* Sender);

private:
    void SetDocumentEncoding(textenc::Encoding encoding);
    // Called when the document's encoding has changed: where what depends on
    // it (the editor's font, the character list) follows.
    void DocumentEncodingChanged();
    // The font the document is shown in: the editor's font, or for a Unicode
    // document the face for art nearest it, unless it draws art itself.
    void AssignShownFont(winlib::TFont& font);
    // The coded text of the positions in encoding, as Savefile writes it;
    // encoding becomes the one written.
    std::string CodedText(int Start, int Count, textenc::Encoding& encoding);
    // Whether the ANSI code page holds every character of the positions.
    bool AnsiHolds(int Start, int Count);

    textenc::Encoding documentEncoding_ = textenc::Encoding::Ansi;

    // Every change of the document, for undo and redo, and whether it is
    // modified since it was last loaded or saved.
    std::unique_ptr<DocumentHistory> history_;
    // The file the document was last loaded from or saved to; none yet.
    std::string documentName_;
    // File, Save; false when the user cancelled.
    bool SaveDocument();
    // Asks before unsaved changes are dropped; true to go on.
    bool QuerySave();
    std::string DocumentTitle() const;
    void StartFileDialog(winlib::TOpenDialog& dialog, bool atName) const;
    // The current style on the selection, as one change.
    void PaintSelection();

    // Copy's work; false when the text did not reach the clipboard.
    bool CopySelection();
    void FillCharacterList(bool filtered);
};

extern TForm1* Form1;
