#include "Unit2.h"

#include "winlib/FormLoader.h"

using namespace winlib;

TAboutBox* AboutBox = nullptr;

TAboutBox::TAboutBox(TComponent* owner) : TForm(owner)
{
    FormEvents events;
    events.Add<TNotifyEvent>("OKButtonClick", [this](TComponent* s) { OKButtonClick(s); })
        .Add<TCloseEvent>("FormClose", [this](TComponent* s, TCloseAction& a) { FormClose(s, a); });
    FormLoader(*this, events).LoadResource("TABOUTBOX");
    Panel1 = FindFormComponent<TPanel>(*this, "Panel1");
    ProgramIcon = FindFormComponent<TImage>(*this, "ProgramIcon");
    ProductName = FindFormComponent<TLabel>(*this, "ProductName");
    Version = FindFormComponent<TLabel>(*this, "Version");
    OKButton = FindFormComponent<TBitBtn>(*this, "OKButton");
}

TAboutBox::~TAboutBox()
{
    if (AboutBox == this)
        AboutBox = nullptr;
}

void TAboutBox::OKButtonClick(TComponent*) { Close(); }

// Each About command makes a fresh box; this one goes once it is closed.
void TAboutBox::FormClose(TComponent*, TCloseAction& Action) { Action = caFree; }
