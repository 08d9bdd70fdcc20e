#include "support/DialogHost.h"

#include <commdlg.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

#include "support/Automation.h"

namespace automation {

namespace {

constexpr const char* kHostClass = "AutomationDialogHost";

bool TryWriteFile(const std::string& path, const std::string& content, bool append = false) {
    std::ofstream file(path, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
    file << content;
    return static_cast<bool>(file.flush());
}

void WriteFile(const std::string& path, const std::string& content) {
    if (!TryWriteFile(path, content)) {
        throw AutomationError("cannot write " + path);
    }
}

// Exceptions must not cross the window procedure: a failed write ends the
// host with exit code 2 instead.
void Record(HWND window, const std::string& path, const std::string& content, bool append) {
    if (!TryWriteFile(path, content, append)) {
        DestroyWindow(window);
        PostQuitMessage(2);  // replaces the 0 that WM_DESTROY posted
    }
}

struct HostWindow {
    std::string resultFile;
    HWND edit = nullptr;
};

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* host = reinterpret_cast<HostWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
    case WM_NCCREATE: {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        break;
    }
    case WM_CREATE:
        host->edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                                     WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL, 0, 0,
                                     400, 100, window,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(kHostEditId)),
                                     nullptr, nullptr);
        return host->edit ? 0 : -1;
    case WM_SETFOCUS:
        SetFocus(host->edit);
        return 0;
    case WM_LBUTTONDOWN:
        Record(window, host->resultFile,
               "click " + std::to_string(static_cast<short>(LOWORD(lParam))) + " " +
                   std::to_string(static_cast<short>(HIWORD(lParam))) + "\n",
               true);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kHostSaveCommand) {
            const int length = GetWindowTextLengthA(host->edit);
            std::string text(static_cast<size_t>(length) + 1, '\0');
            text.resize(static_cast<size_t>(GetWindowTextA(host->edit, &text[0], length + 1)));
            Record(window, host->resultFile, text, false);
            return 0;
        }
        if (LOWORD(wParam) == kHostExitCommand) {
            DestroyWindow(window);
            return 0;
        }
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int RunWindow(const std::string& caption, const std::string& resultFile) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kHostClass;
    if (!RegisterClassA(&windowClass)) {
        return 2;
    }
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, kHostSaveCommand, "&Save");
    AppendMenuA(file, MF_STRING, kHostExitCommand, "E&xit");
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    HostWindow host{resultFile};
    // The window owns the menu from here on and destroys it with itself.
    HWND window = CreateWindowExA(0, kHostClass, caption.c_str(), WS_OVERLAPPEDWINDOW, 100, 100,
                                  420, 260, nullptr, bar, windowClass.hInstance, &host);
    if (!window) {
        DestroyMenu(bar);
        return 2;
    }
    ShowWindow(window, SW_SHOW);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

int RunFileDialog(bool save, const std::string& directory, const std::string& resultFile) {
    std::string chosen;
    if (!AskFileName(nullptr, save, directory, chosen)) {
        return 1;
    }
    WriteFile(resultFile, chosen);
    return 0;
}

int RunFontDialog(const std::string& resultFile) {
    LOGFONTA font{};
    lstrcpynA(font.lfFaceName, "MS Sans Serif", LF_FACESIZE);
    font.lfHeight = -11;
    int pointSizeTenths = 0;
    if (!AskFont(nullptr, font, pointSizeTenths)) {
        return 1;
    }
    WriteFile(resultFile, std::string(font.lfFaceName) + "\n" + std::to_string(pointSizeTenths) +
                              "\n" + std::to_string(font.lfWeight) + "\n");
    return 0;
}

}  // namespace

bool AskFileName(HWND owner, bool save, const std::string& directory, std::string& chosen) {
    char name[MAX_PATH] = "";
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = "Text Files (*.txt)\0*.txt\0All Files (*.*)\0*.*\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrInitialDir = directory.empty() ? nullptr : directory.c_str();
    dialog.lpstrDefExt = "txt";
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                   (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    const BOOL ok = save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    if (!ok) {
        const DWORD error = CommDlgExtendedError();
        if (error != 0) {
            throw AutomationError("the file dialog failed with code " + std::to_string(error));
        }
        return false;
    }
    chosen = name;
    return true;
}

bool AskFont(HWND owner, LOGFONTA& font, int& pointSizeTenths) {
    CHOOSEFONTA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpLogFont = &font;
    dialog.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
    if (!ChooseFontA(&dialog)) {
        const DWORD error = CommDlgExtendedError();
        if (error != 0) {
            throw AutomationError("the font dialog failed with code " + std::to_string(error));
        }
        return false;
    }
    pointSizeTenths = dialog.iPointSize;
    return true;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw AutomationError("cannot open " + path);
    }
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

std::string DialogHostCommand(const std::vector<std::string>& arguments) {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH) {
        throw AutomationError("cannot find the running program's path");
    }
    std::string command = QuoteArgument(path) + " " + kDialogHostFlag;
    for (const std::string& argument : arguments) {
        command += " " + QuoteArgument(argument);
    }
    return command;
}

int RunDialogHost(int argc, char** argv) {
    const std::string mode = argc > 0 ? argv[0] : "";
    try {
        if (mode == "window" && argc == 3) {
            return RunWindow(argv[1], argv[2]);
        }
        if (mode == "msgbox" && argc == 3) {
            return MessageBoxA(nullptr, argv[2], argv[1], MB_OKCANCEL | MB_ICONINFORMATION);
        }
        if ((mode == "open" || mode == "save") && argc == 3) {
            return RunFileDialog(mode == "save", argv[1], argv[2]);
        }
        if (mode == "font" && argc == 2) {
            return RunFontDialog(argv[1]);
        }
        if (mode == "args" && argc >= 2) {
            std::string lines;
            for (int i = 2; i < argc; ++i) {
                lines += std::string(argv[i]) + "\n";
            }
            WriteFile(argv[1], lines);
            return 0;
        }
        if (mode == "exit" && argc == 2) {
            return std::atoi(argv[1]);
        }
    } catch (const AutomationError& error) {
        std::cerr << "dialog host: " << error.what() << "\n";
        return 2;
    }
    std::cerr << "dialog host: bad command line\n";
    return 2;
}

}  // namespace automation
