// automate.exe: the automation helper as a command, for scripts that drive a
// running program from outside (scripts/screenshot.sh --drive, for one).
#include <windows.h>

#include <cstdlib>
#include <initializer_list>
#include <iostream>
#include <string>
#include <vector>

#include "support/Automation.h"

namespace {

const char kUsage[] =
    "usage: automate [--desktop NAME] [--timeout MS] COMMAND ARGS...\n"
    "  wait CAPTION               wait for a visible top-level window\n"
    "  close CAPTION              close it (WM_CLOSE) and wait until it is hidden\n"
    "  end CAPTION                terminate the process that owns it\n"
    "  front CAPTION              bring it to the front\n"
    "  menu CAPTION MNEMONICS     choose a menu item, e.g. FN for File, New\n"
    "  type CAPTION TEXT          type TEXT into it (a line break presses Enter)\n"
    "  key CAPTION KEY            press KEY: a character or enter, tab, esc, space,\n"
    "                             backspace, delete, insert, home, end, pageup,\n"
    "                             pagedown, up, down, left, right, f1..f12, with\n"
    "                             ctrl+, shift+, alt+ in front\n"
    "  click CAPTION X Y [right]  click at client coordinates X, Y\n"
    "  msgbox [ok|cancel|yes|no]  wait for a message box, print its caption and\n"
    "                             text, and answer it (default ok)\n"
    "  file NAME                  answer the Open or Save dialog with NAME\n"
    "  font FACE [SIZE [STYLE]]   answer the Font dialog\n"
    "  sleep MS\n"
    "A CAPTION ending in * matches as a prefix. --desktop (default: the\n"
    "environment variable VEXIL_DESKTOP) names the Wine desktop to work on.\n";

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

automation::WindowQuery ByCaption(const std::string& caption) {
    automation::WindowQuery query;
    if (!caption.empty() && caption.back() == '*') {
        query.WithCaptionPrefix(caption.substr(0, caption.size() - 1));
    } else {
        query.WithCaption(caption);
    }
    return query;
}

int ParseNumber(const std::string& text) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0') {
        throw UsageError("not a number: " + text);
    }
    return static_cast<int>(value);
}

void ParseKey(std::string spec, WORD& key, unsigned& modifiers) {
    modifiers = automation::kNoModifier;
    const struct {
        const char* prefix;
        unsigned modifier;
    } prefixes[] = {{"ctrl+", automation::kControl},
                    {"shift+", automation::kShift},
                    {"alt+", automation::kAlt}};
    for (bool found = true; found;) {
        found = false;
        for (const auto& prefix : prefixes) {
            const std::string p = prefix.prefix;
            if (spec.size() > p.size() && spec.compare(0, p.size(), p) == 0) {
                modifiers |= prefix.modifier;
                spec = spec.substr(p.size());
                found = true;
            }
        }
    }
    const struct {
        const char* name;
        WORD key;
    } names[] = {{"enter", VK_RETURN}, {"return", VK_RETURN}, {"tab", VK_TAB},
                 {"esc", VK_ESCAPE},   {"escape", VK_ESCAPE}, {"space", VK_SPACE},
                 {"backspace", VK_BACK}, {"delete", VK_DELETE}, {"del", VK_DELETE},
                 {"insert", VK_INSERT}, {"home", VK_HOME},    {"end", VK_END},
                 {"pageup", VK_PRIOR}, {"pagedown", VK_NEXT}, {"up", VK_UP},
                 {"down", VK_DOWN},    {"left", VK_LEFT},     {"right", VK_RIGHT}};
    for (const auto& name : names) {
        if (lstrcmpiA(spec.c_str(), name.name) == 0) {
            key = name.key;
            return;
        }
    }
    if ((spec[0] == 'f' || spec[0] == 'F') && spec.size() >= 2 && spec.size() <= 3 &&
        spec.find_first_not_of("0123456789", 1) == std::string::npos) {
        const int number = ParseNumber(spec.substr(1));
        if (number >= 1 && number <= 12) {
            key = static_cast<WORD>(VK_F1 + number - 1);
            return;
        }
    }
    if (spec.size() == 1) {
        const SHORT scan = VkKeyScanA(spec[0]);
        if (scan != -1) {
            key = LOBYTE(scan);
            if (HIBYTE(scan) & 1) {
                modifiers |= automation::kShift;
            }
            return;
        }
    }
    throw UsageError("unknown key: " + spec);
}

// A visible dialog, in any process, that has one of the given controls.
HWND WaitForDialogWith(std::initializer_list<int> controlIds, const char* what, DWORD timeoutMs) {
    HWND dialog = nullptr;
    const bool found = automation::WaitUntil(
        [&] {
            for (HWND candidate : automation::FindTopLevelWindows(automation::MessageBoxQuery())) {
                for (int id : controlIds) {
                    if (automation::FindDescendant(candidate, id)) {
                        dialog = candidate;
                        return true;
                    }
                }
            }
            return false;
        },
        timeoutMs);
    if (!found) {
        throw automation::AutomationError(std::string("no ") + what + " within " +
                                          std::to_string(timeoutMs) + " ms; visible windows:\n" +
                                          automation::ListVisibleWindows());
    }
    return dialog;
}

int Run(std::vector<std::string> args) {
    DWORD timeout = automation::kDefaultTimeoutMs;
    std::string desktop;
    if (const char* fromEnvironment = std::getenv("VEXIL_DESKTOP")) {
        desktop = fromEnvironment;
    }
    while (args.size() >= 2 && (args[0] == "--desktop" || args[0] == "--timeout")) {
        if (args[0] == "--desktop") {
            desktop = args[1];
        } else {
            timeout = static_cast<DWORD>(ParseNumber(args[1]));
        }
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty()) {
        throw UsageError("no command");
    }
    if (!desktop.empty()) {
        // The desktop exists only once the program on it has started.
        const bool opened = automation::WaitUntil(
            [&] {
                try {
                    automation::UseDesktop(desktop);
                    return true;
                } catch (const automation::AutomationError&) {
                    return false;  // not there yet; the last try below reports it
                }
            },
            timeout);
        if (!opened) {
            automation::UseDesktop(desktop);
        }
    }
    const std::string command = args[0];
    const size_t count = args.size() - 1;
    auto window = [&] { return automation::WaitForWindow(ByCaption(args.at(1)), timeout); };

    if (command == "wait" && count == 1) {
        window();
    } else if (command == "close" && count == 1) {
        HWND target = window();
        PostMessageW(target, WM_CLOSE, 0, 0);
        automation::WaitForWindowHidden(target, timeout);
    } else if (command == "end" && count == 1) {
        DWORD process = 0;
        GetWindowThreadProcessId(window(), &process);
        HANDLE handle = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, process);
        if (!handle) {
            throw automation::AutomationError("cannot open process " + std::to_string(process));
        }
        const bool ended = TerminateProcess(handle, 1) &&
                           WaitForSingleObject(handle, timeout) == WAIT_OBJECT_0;
        CloseHandle(handle);
        if (!ended) {
            throw automation::AutomationError("process " + std::to_string(process) +
                                              " did not end");
        }
    } else if (command == "front" && count == 1) {
        automation::BringToFront(window());
    } else if (command == "menu" && count == 2) {
        automation::ChooseMenu(window(), args[2]);
    } else if (command == "type" && count == 2) {
        automation::BringToFront(window());
        automation::TypeText(args[2]);
    } else if (command == "key" && count == 2) {
        WORD key = 0;
        unsigned modifiers = 0;
        ParseKey(args[2], key, modifiers);
        automation::BringToFront(window());
        automation::PressKey(key, modifiers);
    } else if (command == "click" && (count == 3 || (count == 4 && args[4] == "right"))) {
        automation::ClickClient(window(), ParseNumber(args[2]), ParseNumber(args[3]), count == 4);
    } else if (command == "msgbox" && count <= 1) {
        const std::string answer = count == 1 ? args[1] : "ok";
        const int code = answer == "ok" ? IDOK : answer == "cancel" ? IDCANCEL
                       : answer == "yes" ? IDYES : answer == "no" ? IDNO : 0;
        if (code == 0) {
            throw UsageError("unknown answer: " + answer);
        }
        HWND box = WaitForDialogWith({automation::kMessageBoxTextId}, "message box", timeout);
        const automation::MessageBoxContent content = automation::ReadMessageBox(box);
        std::cout << content.caption << ": " << content.text << std::endl;
        automation::CloseDialog(box, code, timeout);
    } else if (command == "file" && count == 1) {
        HWND dialog = WaitForDialogWith(
            {automation::kFileNameComboId, automation::kFileNameEditId}, "file dialog", timeout);
        automation::AnswerFileDialog(dialog, args[1], timeout);
    } else if (command == "font" && count >= 1 && count <= 3) {
        automation::FontAnswer answer;
        answer.faceName = args[1];
        answer.pointSize = count >= 2 ? ParseNumber(args[2]) : 0;
        answer.style = count >= 3 ? args[3] : "";
        HWND dialog = WaitForDialogWith({automation::kFontFaceComboId}, "font dialog", timeout);
        automation::AnswerFontDialog(dialog, answer, timeout);
    } else if (command == "sleep" && count == 1) {
        Sleep(static_cast<DWORD>(ParseNumber(args[1])));
    } else {
        throw UsageError("bad command: " + command);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& error) {
        std::cerr << "automate: " << error.what() << "\n" << kUsage;
        return 2;
    } catch (const automation::AutomationError& error) {
        std::cerr << "automate: " << error.what() << "\n";
        return 1;
    }
}
