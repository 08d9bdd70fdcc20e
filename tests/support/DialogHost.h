// A stand-in program for the automation tests: started as a second process
// (any test program with kDialogHostFlag as its first argument), it shows one
// real window or standard dialog, so that a test drives it across processes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace automation {

constexpr const char* kDialogHostFlag = "--dialog-host";

// The host window's menu commands and its edit control.
constexpr int kHostSaveCommand = 101;
constexpr int kHostExitCommand = 102;
constexpr int kHostEditId = 100;

// Runs the host with the arguments after the flag and returns its exit code:
//   window CAPTION RESULTFILE  a window with an edit on its upper half and a
//                              File menu (&Save writes the edit's text to
//                              RESULTFILE, E&xit closes); clicks on the lower
//                              half append "click X Y" lines to RESULTFILE
//   msgbox CAPTION TEXT        MessageBoxA with OK and Cancel; exits with its result
//   open DIR RESULTFILE        GetOpenFileNameA in DIR
//   save DIR RESULTFILE        GetSaveFileNameA in DIR, default extension "txt"
//   font RESULTFILE            ChooseFontA; writes face, point size, weight
//   args RESULTFILE ARG...     writes each ARG on a line of its own
//   exit CODE                  exits at once with CODE
// The dialog modes write the chosen name and exit with 0, or exit with 1 when
// the user cancelled; 2 means a bad command line or a failure.
int RunDialogHost(int argc, char** argv);

// The command line that starts this very program as a host.
std::string DialogHostCommand(const std::vector<std::string>& arguments);

// The standard dialogs as the host shows them, also used in-process. They
// return false when the user cancelled and raise when the dialog failed.
bool AskFileName(HWND owner, bool save, const std::string& directory, std::string& chosen);
bool AskFont(HWND owner, LOGFONTA& font, int& pointSizeTenths);

// Reads a whole file; raises when it cannot be opened.
std::string ReadWholeFile(const std::string& path);

}  // namespace automation
