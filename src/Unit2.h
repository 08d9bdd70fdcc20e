// The About box: the program's picture, name and version, and OK.
#pragma once

#include "winlib/Buttons.h"
#include "winlib/ExtControls.h"
#include "winlib/Forms.h"

class TAboutBox : public winlib::TForm {
public:
    explicit TAboutBox(winlib::TComponent* owner);
    ~TAboutBox() override;
    const char* ClassName() const override { return "TAboutBox"; }

    // The components, built by CreateComponents (Unit2Form.cpp).
    winlib::TPanel* Panel1;
    winlib::TImage* ProgramIcon;
    winlib::TLabel* ProductName;
    winlib::TLabel* Version;
    winlib::TBitBtn* OKButton;

    void OKButtonClick(winlib::TComponent* Sender);
    void FormClose(winlib::TComponent* Sender, winlib::TCloseAction& Action);

private:
    void CreateComponents();
};

extern TAboutBox* AboutBox;
