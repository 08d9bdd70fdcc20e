// The main window's form: every component with its properties, in the order
// that decides the window order (and so the tab order where tab orders tie),
// then its events bound to the handlers of TForm1.
#include "Unit1.h"

#include "winlib/FormCode.h"

using namespace winlib;

void TForm1::CreateComponents()
{
    SetCaption("Vexil Version 2.00 Release Version");
    SetLeft(116);
    SetTop(149);
    SetClientSize(632, 352);
    BorderStyle = bsSizeable;
    Font().SetName("MS Sans Serif");
    Font().SetHeight(-11);
    Font().SetCharset(DEFAULT_CHARSET);
    Font().SetColor(clWindowText);
    Icon = ProgramIcon("MAINICON");
    OnCreate = Handler(this, &TForm1::FormCreate);
    OnCloseQuery = Handler(this, &TForm1::FormCloseQuery);

    CreatePaletteBar();
    CreatePicker();
    CreateEditor();
    CreateMenu();
    CreateDialogs();
}

void TForm1::CreatePaletteBar()
{
    Panel1 = NewControl<TPanel>(this, this);
    Panel1->SetBounds(0, 0, 632, 49);
    Panel1->SetAlign(alTop);
    Panel1->SetBevelOuter(bvRaised);
    Panel1->SetBevelInner(bvLowered);
    Panel1->SetBevelWidth(1);
    Panel1->SetBorderWidth(0);
    Panel1->SetCaption("");
    Panel1->SetTabOrder(1);
    Panel1->OnResize = Handler(this, &TForm1::Panel1Resize);

    // Shape1 to Shape16 at their design places (the bar layout replaces
    // them), filled with the palette as designed: Shape1's white is the
    // rectangle's default fill.
    for (std::size_t k = 0; k < Shapes.size(); ++k) {
        Shapes[k] = NewControl<TShape>(this, Panel1);
        Shapes[k]->SetBounds(40 * static_cast<int>(k), 3, 41, 17);
        Shapes[k]->Brush().SetColor(codedtext::DefaultPalette[k]);
        Shapes[k]->OnMouseDown = Handler(this, &TForm1::Shape1MouseDown);
    }
    Shape17 = NewControl<TShape>(this, Panel1);
    Shape17->SetBounds(64, 25, 41, 16);
    Shape17->Brush().SetColor(0x000000);
    Shape18 = NewControl<TShape>(this, Panel1);
    Shape18->SetBounds(104, 25, 41, 16);

    Label1 = NewControl<TLabel>(this, Panel1);
    Label1->SetBounds(152, 24, 35, 13);
    Label1->SetCaption("Sample");
    Label1->SetAutoSize(true);
    Label1->SetTransparent(false);

    CreateStyleControls();
}

void TForm1::CreateStyleControls()
{
    Button1 = NewControl<TButton>(this, Panel1);
    Button1->SetBounds(8, 24, 41, 17);
    Button1->SetCaption("Font");
    Button1->SetTabOrder(0);
    Button1->OnClick = Handler(this, &TForm1::Button1Click);

    bold = NewControl<TCheckBox>(this, Panel1);
    bold->SetBounds(224, 24, 41, 17);
    bold->SetCaption("Bold");
    bold->SetTabOrder(1);
    bold->OnClick = Handler(this, &TForm1::boldClick);

    underline = NewControl<TCheckBox>(this, Panel1);
    underline->SetBounds(272, 24, 65, 17);
    underline->SetCaption("Underline");
    underline->SetTabOrder(2);
    underline->OnClick = Handler(this, &TForm1::underlineClick);

    Cutpaste = NewControl<TRadioButton>(this, Panel1);
    Cutpaste->SetBounds(343, 24, 98, 17);
    Cutpaste->SetCaption("Cut/Paste Mode");
    Cutpaste->SetTabOrder(3);

    Coloring = NewControl<TRadioButton>(this, Panel1);
    Coloring->SetBounds(448, 24, 89, 17);
    Coloring->SetCaption("Coloring Mode");
    Coloring->SetChecked(true);
    Coloring->SetTabOrder(4);

    CheckBox1 = NewControl<TCheckBox>(this, Panel1);
    CheckBox1->SetBounds(552, 24, 73, 17);
    CheckBox1->SetAlignment(taLeftJustify);
    CheckBox1->SetCaption("Junk filter");
    CheckBox1->SetChecked(true);
    CheckBox1->SetTabOrder(5);
    CheckBox1->OnClick = Handler(this, &TForm1::CheckBox1Click);
}

void TForm1::CreatePicker()
{
    Panel2 = NewControl<TPanel>(this, this);
    Panel2->SetBounds(554, 49, 78, 303);
    Panel2->SetAlign(alRight);
    Panel2->SetBevelOuter(bvRaised);
    Panel2->SetBevelInner(bvLowered);
    Panel2->SetCaption("");
    Panel2->SetTabOrder(2);

    ListBox1 = NewControl<TListBox>(this, Panel2);
    ListBox1->SetBounds(2, 2, 74, 299);
    ListBox1->SetAlign(alClient);
    ListBox1->SetTabOrder(0);
    ListBox1->OnClick = Handler(this, &TForm1::ListBox1Click);
}

void TForm1::CreateEditor()
{
    RichEdit1 = NewControl<TRich2Edit>(this, this);
    RichEdit1->SetBounds(0, 49, 554, 303);
    RichEdit1->SetAlign(alClient);
    RichEdit1->SetEnabled(false);
    RichEdit1->Font().SetName("Fixedsys");
    RichEdit1->Font().SetHeight(-12);
    RichEdit1->Font().SetCharset(ANSI_CHARSET);
    RichEdit1->Font().SetColor(clWindowText);
    RichEdit1->SetParentFont(false);
    RichEdit1->SetScrollBars(ssVertical);
    RichEdit1->SetWordWrap(false);
    RichEdit1->SetTabOrder(0);
    // The main window keeps the document's history itself.
    RichEdit1->SetNativeUndo(false);
    RichEdit1->OnEditInput = Handler(this, &TForm1::RichEdit1EditInput);
    RichEdit1->OnKeyDown = Handler(this, &TForm1::RichEdit1KeyDown);
    RichEdit1->OnCopy = Handler(this, &TForm1::Copy1Click);
    RichEdit1->OnCut = Handler(this, &TForm1::Cut1Click);
    RichEdit1->OnPaste = Handler(this, &TForm1::Paste1Click);
    RichEdit1->OnMouseUp = Handler(this, &TForm1::RichEdit1MouseUp);
}

void TForm1::CreateMenu()
{
    MainMenu1 = new TMainMenu(this);
    TMenuItem& bar = MainMenu1->Items();

    File1 = NewMenuItem(this, bar, "&File");
    New1 = NewMenuItem(this, *File1, "&New");
    New1->OnClick = Handler(this, &TForm1::New1Click);
    Load1 = NewMenuItem(this, *File1, "&Load");
    Load1->OnClick = Handler(this, &TForm1::Load1Click);
    Save1 = NewMenuItem(this, *File1, "&Save");
    Save1->OnClick = Handler(this, &TForm1::Save1Click);
    Exit1 = NewMenuItem(this, *File1, "&Exit");
    Exit1->OnClick = Handler(this, &TForm1::Exit1Click);

    Edit1 = NewMenuItem(this, bar, "&Edit");
    Edit1->OnClick = Handler(this, &TForm1::Edit1Click);
    Undo1 = NewMenuItem(this, *Edit1, "&Undo");
    Undo1->OnClick = Handler(this, &TForm1::Undo1Click);
    Paste1 = NewMenuItem(this, *Edit1, "&Paste");
    Paste1->OnClick = Handler(this, &TForm1::Paste1Click);
    Copy1 = NewMenuItem(this, *Edit1, "&Copy");
    Copy1->OnClick = Handler(this, &TForm1::Copy1Click);
    Cut1 = NewMenuItem(this, *Edit1, "C&ut");
    Cut1->OnClick = Handler(this, &TForm1::Cut1Click);

    About1 = NewMenuItem(this, bar, "&About");
    About1->OnClick = Handler(this, &TForm1::About1Click);
    Help1 = NewMenuItem(this, bar, "&Help");
    Help1->OnClick = Handler(this, &TForm1::Help1Click);
    // Made last, so that every older item keeps its command id (scripts
    // that drive the program send them), and shown right after Undo.
    Redo1 = NewMenuItem(this, *Edit1, "&Redo");
    Edit1->Remove(Redo1);
    Edit1->Insert(1, Redo1);
    Redo1->OnClick = Handler(this, &TForm1::Redo1Click);

    // The bar goes on the window once it holds every item.
    MainMenu1->AttachTo(*this);
}

namespace {

// The Open and the Save dialog offer the same files.
void OfferTextFiles(TOpenDialog& dialog)
{
    dialog.DefaultExt = ".txt";
    dialog.Filter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*";
    dialog.FilterIndex = 1;
    dialog.Options = ofHideReadOnly;
}

}  // namespace

void TForm1::CreateDialogs()
{
    OpenDialog1 = new TOpenDialog(this);
    OfferTextFiles(*OpenDialog1);
    SaveDialog1 = new TSaveDialog(this);
    OfferTextFiles(*SaveDialog1);
    SaveDialog1->Options |= ofOverwritePrompt;

    FontDialog1 = new TFontDialog(this);
    FontDialog1->Font().SetName("MS Sans Serif");
    FontDialog1->Font().SetHeight(-11);
    FontDialog1->MinFontSize = 0;
    FontDialog1->MaxFontSize = 0;
}
