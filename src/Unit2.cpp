#include "Unit2.h"

using namespace winlib;

TAboutBox* AboutBox = nullptr;

TAboutBox::TAboutBox(TComponent* owner) : TForm(owner) { CreateComponents(); }

TAboutBox::~TAboutBox()
{
    if (AboutBox == this)
        AboutBox = nullptr;
}

void TAboutBox::OKButtonClick(TComponent*) { Close(); }

// Each About command makes a fresh box; this one goes once it is closed.
void TAboutBox::FormClose(TComponent*, TCloseAction& Action) { Action = caFree; }
