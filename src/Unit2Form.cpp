// The About box's form: every component with its properties, in the order
// that decides the window order, then its events bound to the handlers of
// TAboutBox.
#include "Unit2.h"

#include "winlib/FormCode.h"

using namespace winlib;

namespace {

// The texts of the box and its button: bold black "MS Sans Serif".
void SetBoldBlackSans(TFont& font)
{
    font.SetName("MS Sans Serif");
    font.SetHeight(-11);
    font.SetStyle({fsBold});
    font.SetColor(clBlack);
}

}  // namespace

void TAboutBox::CreateComponents()
{
    SetCaption("About");
    BorderStyle = bsDialog;
    Position = poScreenCenter;
    SetClientSize(298, 249);
    Font().SetName("System");
    Font().SetHeight(-13);
    OnClose = Handler(this, &TAboutBox::FormClose);

    Panel1 = NewControl<TPanel>(this, this);
    Panel1->SetBounds(8, 8, 281, 201);
    Panel1->SetBevelOuter(bvLowered);
    Panel1->SetBevelInner(bvRaised);
    Panel1->SetCaption("");
    Panel1->SetTabOrder(0);

    ProgramIcon = NewControl<TImage>(this, Panel1);
    ProgramIcon->SetBounds(8, 8, 65, 57);
    ProgramIcon->LoadFromResourceName(nullptr, "ABOUTPICTURE");
    ProgramIcon->SetStretch(true);

    ProductName = NewControl<TLabel>(this, Panel1);
    ProductName->SetBounds(88, 16, 109, 13);
    ProductName->SetCaption("Vexra ASCII Editor");
    SetBoldBlackSans(ProductName->Font());

    Version = NewControl<TLabel>(this, Panel1);
    Version->SetBounds(88, 40, 69, 13);
    Version->SetCaption("Version 2.0 ");
    SetBoldBlackSans(Version->Font());

    OKButton = NewControl<TBitBtn>(this, this);
    OKButton->SetBounds(111, 218, 77, 27);
    OKButton->SetKind(bkOK);
    SetBoldBlackSans(OKButton->Font());
    OKButton->SetTabOrder(1);
    OKButton->OnClick = Handler(this, &TAboutBox::OKButtonClick);

    ActiveControl = OKButton;
}
