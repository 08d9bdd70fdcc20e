// Start-up: the application object, its title, icon and help file, the main
// window, and the message loop.
#include "Unit1.h"

#include "winlib/FormCode.h"
#include "winlib/Forms.h"
#include "winlib/Help.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    winlib::TApplication application;
    try {
        application.Icon = winlib::ProgramIcon("MAINICON");
        application.Initialize();
        application.SetTitle("Vexil Version 2.0");
        application.HelpFile = "vexil.hlp";
        winlib::InstallHelpEngine(application);
        application.CreateForm(Form1);
    } catch (...) {
        application.ShowFatalException();
        return 1;
    }
    try {
        application.Run();
    } catch (...) {
        application.ShowFatalException();
        return 1;
    }
    return 0;
}
