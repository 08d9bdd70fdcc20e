#include "support/Automation.h"

#include <cstring>
#include <utility>
#include <vector>

namespace automation {

namespace {

// How long one message to another thread or process may take before the
// window counts as not answering.
constexpr UINT kSendTimeoutMs = 3000;

std::string LastErrorText(const char* what) {
    return std::string(what) + " failed (error " + std::to_string(GetLastError()) + ")";
}

LRESULT SendOrThrow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    // Not SMTO_ABORTIFHUNG: a program that has just started after a slow
    // start-up counts as hung for a while and would be refused at once.
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs,
                             &result)) {
        throw AutomationError("window " + ClassOf(window) + " \"" + CaptionOf(window) +
                              "\" did not answer message " + std::to_string(message));
    }
    return static_cast<LRESULT>(result);
}

void PostOrThrow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!PostMessageW(window, message, wParam, lParam)) {
        throw AutomationError(LastErrorText("PostMessage"));
    }
}

struct EnumState {
    const WindowQuery* query;
    std::vector<HWND>* found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
    auto* state = reinterpret_cast<EnumState*>(param);
    if (state->query->Matches(window)) {
        state->found->push_back(window);
    }
    return TRUE;
}

struct DescendantSearch {
    int controlId;
    const std::string* className;
    HWND found;
};

BOOL CALLBACK FindChild(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<DescendantSearch*>(param);
    const bool match = search->className
                           ? lstrcmpiA(ClassOf(window).c_str(), search->className->c_str()) == 0
                           : GetDlgCtrlID(window) == search->controlId;
    if (match) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindTextStatic(HWND window, LPARAM param) {
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    if (lstrcmpiA(ClassOf(window).c_str(), "Static") == 0 && (style & SS_TYPEMASK) != SS_ICON) {
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
    }
    return TRUE;
}

// The first static of a box that is not its icon: the text, where it does not
// have the usual id.
HWND FindMessageStatic(HWND box) {
    HWND found = nullptr;
    EnumChildWindows(box, FindTextStatic, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The message box a dialog put up when it refused an answer, for the error.
std::string RefusalOf(HWND dialog) {
    HWND box = FindTopLevelWindow(MessageBoxQuery().OwnedBy(dialog));
    if (!box) {
        return {};
    }
    const MessageBoxContent content = ReadMessageBox(box);
    return "; it shows \"" + content.caption + "\": \"" + content.text + "\"";
}

void PressOkAndWait(HWND dialog, DWORD timeoutMs) {
    PostOrThrow(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    if (!WaitUntil([dialog] { return !IsWindowVisible(dialog); }, timeoutMs)) {
        throw AutomationError("dialog \"" + CaptionOf(dialog) + "\" stayed open after OK" +
                              RefusalOf(dialog));
    }
}

INPUT KeyInput(WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    switch (virtualKey) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
    case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
    case VK_INSERT: case VK_DELETE:
        input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
        break;
    default:
        break;
    }
    if (up) {
        input.ki.dwFlags |= KEYEVENTF_KEYUP;
    }
    return input;
}

void Send(std::vector<INPUT>& inputs) {
    const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    if (sent != inputs.size()) {
        throw AutomationError(LastErrorText("SendInput"));
    }
}

// A character's key and shift state on the current layout, or false when it
// has none and must go as a Unicode character.
bool KeyFor(char c, WORD& virtualKey, unsigned& modifiers) {
    const SHORT scan = VkKeyScanA(c);
    if (scan == -1) {
        return false;
    }
    const unsigned shiftState = static_cast<unsigned>(HIBYTE(scan));
    if (shiftState & ~1u) {  // needs Ctrl or Alt: not a plain typed character
        return false;
    }
    virtualKey = LOBYTE(scan);
    modifiers = (shiftState & 1u) ? kShift : kNoModifier;
    return true;
}

}  // namespace

std::wstring Widen(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, &wide[0], length);
    return wide;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), size, &narrow[0], length, nullptr, nullptr);
    return narrow;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount64() >= deadline) {
            return false;
        }
        Sleep(kPollIntervalMs);
    }
}

WindowQuery& WindowQuery::WithClass(std::string name) {
    className = std::move(name);
    return *this;
}

WindowQuery& WindowQuery::WithCaption(std::string text) {
    caption = std::move(text);
    captionIsPrefix = false;
    return *this;
}

WindowQuery& WindowQuery::WithCaptionPrefix(std::string prefix) {
    caption = std::move(prefix);
    captionIsPrefix = true;
    return *this;
}

WindowQuery& WindowQuery::OwnedBy(HWND window) {
    owner = window;
    return *this;
}

WindowQuery& WindowQuery::InProcess(DWORD id) {
    processId = id;
    return *this;
}

WindowQuery& WindowQuery::InThisProcess() {
    return InProcess(GetCurrentProcessId());
}

WindowQuery& WindowQuery::IncludingHidden() {
    visibleOnly = false;
    return *this;
}

bool WindowQuery::Matches(HWND window) const {
    if (visibleOnly && !IsWindowVisible(window)) {
        return false;
    }
    if (processId != 0) {
        DWORD windowProcess = 0;
        GetWindowThreadProcessId(window, &windowProcess);
        if (windowProcess != processId) {
            return false;
        }
    }
    if (owner && GetWindow(window, GW_OWNER) != owner) {
        return false;
    }
    if (!className.empty() && lstrcmpiA(ClassOf(window).c_str(), className.c_str()) != 0) {
        return false;
    }
    if (!caption.empty()) {
        const std::string actual = CaptionOf(window);
        if (captionIsPrefix ? actual.compare(0, caption.size(), caption) != 0 : actual != caption) {
            return false;
        }
    }
    return true;
}

std::string WindowQuery::Describe() const {
    std::string text = "window";
    if (!className.empty()) {
        text += " of class " + className;
    }
    if (!caption.empty()) {
        text += (captionIsPrefix ? " with caption starting \"" : " with caption \"") + caption + "\"";
    }
    if (owner) {
        text += " owned by " + std::to_string(reinterpret_cast<UINT_PTR>(owner));
    }
    if (processId) {
        text += " in process " + std::to_string(processId);
    }
    return text;
}

std::vector<HWND> FindTopLevelWindows(const WindowQuery& query) {
    std::vector<HWND> found;
    EnumState state{&query, &found};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&state));
    return found;
}

HWND FindTopLevelWindow(const WindowQuery& query) {
    const std::vector<HWND> found = FindTopLevelWindows(query);
    return found.empty() ? nullptr : found.front();
}

HWND WaitForWindow(const WindowQuery& query, DWORD timeoutMs) {
    HWND window = nullptr;
    if (!WaitUntil([&] { return (window = FindTopLevelWindow(query)) != nullptr; }, timeoutMs)) {
        throw AutomationError("no " + query.Describe() + " within " + std::to_string(timeoutMs) +
                              " ms; visible windows:\n" + ListVisibleWindows());
    }
    return window;
}

void WaitForWindowHidden(HWND window, DWORD timeoutMs) {
    if (!WaitUntil([window] { return !IsWindowVisible(window); }, timeoutMs)) {
        throw AutomationError("window \"" + CaptionOf(window) + "\" still visible after " +
                              std::to_string(timeoutMs) + " ms");
    }
}

std::string ClassOf(HWND window) {
    wchar_t name[256];
    const int length = GetClassNameW(window, name, 256);
    return length > 0 ? Narrow(std::wstring(name, static_cast<size_t>(length))) : std::string();
}

std::string CaptionOf(HWND window) {
    // InternalGetWindowText never sends a message, so a busy or hung owner
    // thread cannot stall the search.
    wchar_t text[1024];
    const int length = InternalGetWindowText(window, text, 1024);
    return length > 0 ? Narrow(std::wstring(text, static_cast<size_t>(length))) : std::string();
}

std::string TextOf(HWND window) {
    const LRESULT length = SendOrThrow(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied =
        SendOrThrow(window, WM_GETTEXT, static_cast<WPARAM>(buffer.size()),
                    reinterpret_cast<LPARAM>(&buffer[0]));
    buffer.resize(static_cast<size_t>(copied));
    return Narrow(buffer);
}

void SetTextOf(HWND window, const std::string& text) {
    const std::wstring wide = Widen(text);
    if (!SendOrThrow(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()))) {
        throw AutomationError("window " + ClassOf(window) + " refused its text");
    }
}

HWND FindDescendant(HWND parent, int controlId) {
    DescendantSearch search{controlId, nullptr, nullptr};
    EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindDescendantByClass(HWND parent, const std::string& className) {
    DescendantSearch search{0, &className, nullptr};
    EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string ListVisibleWindows() {
    std::string list;
    for (HWND window : FindTopLevelWindows(WindowQuery())) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        list += "  " + ClassOf(window) + " \"" + CaptionOf(window) + "\" process " +
                std::to_string(process) + "\n";
    }
    return list.empty() ? "  (none)\n" : list;
}

WindowQuery MessageBoxQuery() {
    return WindowQuery().WithClass(kDialogClass);
}

MessageBoxContent ReadMessageBox(HWND box) {
    MessageBoxContent content;
    content.caption = TextOf(box);
    HWND text = GetDlgItem(box, kMessageBoxTextId);
    if (!text) {
        text = FindMessageStatic(box);
    }
    if (!text) {
        throw AutomationError("dialog \"" + content.caption + "\" has no message text");
    }
    content.text = TextOf(text);
    return content;
}

void CloseDialog(HWND dialog, int command, DWORD timeoutMs) {
    PostOrThrow(dialog, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
    WaitForWindowHidden(dialog, timeoutMs);
}

void AnswerFileDialog(HWND dialog, const std::wstring& fileName, DWORD timeoutMs) {
    HWND box = nullptr;
    if (HWND combo = FindDescendant(dialog, kFileNameComboId)) {
        box = FindDescendantByClass(combo, "Edit");
        if (!box) {
            box = combo;
        }
    } else {
        box = FindDescendant(dialog, kFileNameEditId);
    }
    if (!box) {
        throw AutomationError("dialog \"" + CaptionOf(dialog) + "\" has no file name box");
    }
    if (!SendOrThrow(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(fileName.c_str()))) {
        throw AutomationError("the file name box refused its text");
    }
    // Not a click on GetDlgItem(IDOK): the file list shares that id.
    PressOkAndWait(dialog, timeoutMs);
}

void AnswerFileDialog(HWND dialog, const std::string& fileName, DWORD timeoutMs) {
    AnswerFileDialog(dialog, Widen(fileName), timeoutMs);
}

std::vector<std::string> ComboItems(HWND combo) {
    std::vector<std::string> items;
    const LRESULT count = SendOrThrow(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendOrThrow(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length == CB_ERR) {
            throw AutomationError("combo box item " + std::to_string(i) + " has no text");
        }
        std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
        const LRESULT copied = SendOrThrow(combo, CB_GETLBTEXT, static_cast<WPARAM>(i),
                                           reinterpret_cast<LPARAM>(&buffer[0]));
        buffer.resize(copied == CB_ERR ? 0 : static_cast<size_t>(copied));
        items.push_back(Narrow(buffer));
    }
    return items;
}

void SelectComboItem(HWND combo, const std::string& text) {
    const std::vector<std::string> items = ComboItems(combo);
    for (size_t i = 0; i < items.size(); ++i) {
        if (lstrcmpiA(items[i].c_str(), text.c_str()) == 0) {
            SendOrThrow(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            const int id = GetDlgCtrlID(combo);
            SendOrThrow(GetParent(combo), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                        reinterpret_cast<LPARAM>(combo));
            return;
        }
    }
    std::string offered;
    for (const std::string& item : items) {
        offered += (offered.empty() ? "\"" : ", \"") + item + "\"";
    }
    throw AutomationError("no item \"" + text + "\" in the combo box; it offers " +
                          (offered.empty() ? std::string("nothing") : offered));
}

void AnswerFontDialog(HWND dialog, const FontAnswer& answer, DWORD timeoutMs) {
    auto combo = [dialog](int id, const char* what) {
        HWND found = FindDescendant(dialog, id);
        if (!found) {
            throw AutomationError(std::string("the font dialog has no ") + what + " box");
        }
        return found;
    };
    // The face first: choosing it refills the style and size lists.
    if (!answer.faceName.empty()) {
        SelectComboItem(combo(kFontFaceComboId, "face"), answer.faceName);
    }
    if (!answer.style.empty()) {
        SelectComboItem(combo(kFontStyleComboId, "style"), answer.style);
    }
    if (answer.pointSize > 0) {
        HWND sizes = combo(kFontSizeComboId, "size");
        const std::string size = std::to_string(answer.pointSize);
        bool listed = false;
        for (const std::string& item : ComboItems(sizes)) {
            listed = listed || item == size;
        }
        if (listed) {
            SelectComboItem(sizes, size);
        } else {
            SetTextOf(sizes, size);
            SendOrThrow(GetParent(sizes), WM_COMMAND,
                        MAKEWPARAM(GetDlgCtrlID(sizes), CBN_EDITCHANGE),
                        reinterpret_cast<LPARAM>(sizes));
        }
    }
    PressOkAndWait(dialog, timeoutMs);
}

void BringToFront(HWND window) {
    SetForegroundWindow(window);
    if (!WaitUntil([window] { return GetForegroundWindow() == window; }, 2000)) {
        throw AutomationError("window \"" + CaptionOf(window) + "\" does not come to the front");
    }
}

void PressKey(WORD virtualKey, unsigned modifiers) {
    std::vector<INPUT> inputs;
    const WORD modifierKeys[] = {VK_SHIFT, VK_CONTROL, VK_MENU};
    const unsigned modifierBits[] = {kShift, kControl, kAlt};
    for (int i = 0; i < 3; ++i) {
        if (modifiers & modifierBits[i]) {
            inputs.push_back(KeyInput(modifierKeys[i], false));
        }
    }
    inputs.push_back(KeyInput(virtualKey, false));
    inputs.push_back(KeyInput(virtualKey, true));
    for (int i = 2; i >= 0; --i) {
        if (modifiers & modifierBits[i]) {
            inputs.push_back(KeyInput(modifierKeys[i], true));
        }
    }
    Send(inputs);
}

void TypeText(const std::string& text) {
    for (char c : text) {
        WORD virtualKey = 0;
        unsigned modifiers = 0;
        if (c == '\n' || c == '\r') {
            PressKey(VK_RETURN);
        } else if (KeyFor(c, virtualKey, modifiers)) {
            PressKey(virtualKey, modifiers);
        } else {
            const std::wstring wide = Widen(std::string(1, c));
            std::vector<INPUT> inputs(2);
            for (int i = 0; i < 2; ++i) {
                inputs[i].type = INPUT_KEYBOARD;
                inputs[i].ki.wScan = wide.empty() ? 0 : wide[0];
                inputs[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
            }
            Send(inputs);
        }
    }
}

namespace {

// The menus shown for window's thread: popup menus are windows of their own.
int MenusShown(HWND window) {
    int shown = 0;
    EnumThreadWindows(
        GetWindowThreadProcessId(window, nullptr),
        [](HWND candidate, LPARAM count) {
            char name[16] = {};
            GetClassNameA(candidate, name, sizeof name);
            if (std::strcmp(name, "#32768") == 0 && IsWindowVisible(candidate)) {
                ++*reinterpret_cast<int*>(count);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&shown));
    return shown;
}

}  // namespace

void ChooseMenu(HWND window, const std::string& mnemonics) {
    if (mnemonics.empty()) {
        return;
    }
    std::vector<WORD> keys;
    for (const char mnemonic : mnemonics) {
        WORD virtualKey = 0;
        unsigned modifiers = 0;
        if (!KeyFor(mnemonic, virtualKey, modifiers)) {
            throw AutomationError(std::string("no key for the mnemonic '") + mnemonic + "'");
        }
        keys.push_back(virtualKey);
    }
    // On a busy machine a key can arrive before the menu it chooses in is
    // open, and go to the window instead: each key but the last waits for
    // the menu it opens, and a menu that does not open is tried again.
    for (int attempt = 0;; ++attempt) {
        BringToFront(window);
        size_t opened = 0;
        for (; opened + 1 < keys.size(); ++opened) {
            PressKey(keys[opened], opened == 0 ? kAlt : kNoModifier);
            const int menus = static_cast<int>(opened) + 1;
            if (!WaitUntil([&] { return MenusShown(window) >= menus; }, 3000)) {
                break;
            }
        }
        if (opened + 1 == keys.size()) {
            PressKey(keys.back(), keys.size() == 1 ? kAlt : kNoModifier);
            return;
        }
        // Close whatever did open before trying again.
        for (size_t k = 0; k <= opened; ++k) {
            PressKey(VK_ESCAPE);
        }
        if (attempt == 2) {
            throw AutomationError("the menu for '" + mnemonics + "' did not open");
        }
    }
}

void ClickClient(HWND window, int x, int y, bool rightButton) {
    POINT point{x, y};
    if (!ClientToScreen(window, &point) || !SetCursorPos(point.x, point.y)) {
        throw AutomationError(LastErrorText("moving the mouse"));
    }
    // The button events carry no position: make sure the cursor is there,
    // and move it there once more within the same input.
    WaitUntil(
        [&] {
            POINT now{};
            return GetCursorPos(&now) && now.x == point.x && now.y == point.y;
        },
        1000);
    std::vector<INPUT> inputs(3);
    for (INPUT& input : inputs) {
        input.type = INPUT_MOUSE;
    }
    inputs[0].mi.dx = MulDiv(point.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    inputs[0].mi.dy = MulDiv(point.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = rightButton ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    inputs[2].mi.dwFlags = rightButton ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    Send(inputs);
}

void UseDesktop(const std::string& name) {
    // Deliberately never closed: a desktop in use by a thread cannot be.
    HDESK desktop = OpenDesktopA(name.c_str(), 0, FALSE, GENERIC_ALL);
    if (!desktop) {
        throw AutomationError(LastErrorText(("opening the desktop " + name).c_str()));
    }
    if (!SetThreadDesktop(desktop)) {
        const std::string error = LastErrorText(("switching to the desktop " + name).c_str());
        CloseDesktop(desktop);
        throw AutomationError(error);
    }
}

std::string ProgramDirectory() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH) {
        throw AutomationError(LastErrorText("GetModuleFileName"));
    }
    std::string full = Narrow(std::wstring(path, length));
    return full.substr(0, full.find_last_of("\\/"));
}

std::string ProgramBeside(const std::string& fileName) {
    return ProgramDirectory() + "\\" + fileName;
}

std::string QuoteArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) {
        return argument;
    }
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count double only before a quote.
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    quoted += '"';
    return quoted;
}

Process Process::Start(const std::string& commandLine, const std::string& directory) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string mutableLine = commandLine;
    if (!CreateProcessA(nullptr, &mutableLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
        throw AutomationError(LastErrorText(("starting " + commandLine).c_str()));
    }
    CloseHandle(info.hThread);
    return Process(info.hProcess, info.dwProcessId);
}

Process::Process(Process&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), id_(std::exchange(other.id_, 0)) {}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        Release();
        handle_ = std::exchange(other.handle_, nullptr);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

Process::~Process() {
    Release();
}

void Process::Release() noexcept {
    if (handle_) {
        if (WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT) {
            TerminateProcess(handle_, 1);
            WaitForSingleObject(handle_, 5000);
        }
        CloseHandle(handle_);
        handle_ = nullptr;
    }
}

bool Process::IsRunning() const {
    return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT;
}

HWND Process::WaitForMainWindow(const std::string& caption, DWORD timeoutMs) const {
    const WindowQuery query = WindowQuery().WithCaption(caption).InProcess(id_);
    HWND window = nullptr;
    const bool found = WaitUntil(
        [&] { return (window = FindTopLevelWindow(query)) != nullptr || !IsRunning(); },
        timeoutMs);
    if (window) {
        return window;
    }
    if (found) {
        throw AutomationError("process " + std::to_string(id_) + " ended with exit code " +
                              std::to_string(ExitCode()) + " before showing \"" + caption + "\"");
    }
    throw AutomationError("no " + query.Describe() + " within " + std::to_string(timeoutMs) +
                          " ms; visible windows:\n" + ListVisibleWindows());
}

bool Process::WaitForExit(DWORD timeoutMs) const {
    return WaitForSingleObject(handle_, timeoutMs) == WAIT_OBJECT_0;
}

DWORD Process::ExitCode() const {
    DWORD code = 0;
    if (IsRunning() || !GetExitCodeProcess(handle_, &code)) {
        throw AutomationError("process " + std::to_string(id_) + " has no exit code yet");
    }
    return code;
}

bool Process::Close(DWORD timeoutMs) {
    for (HWND window : FindTopLevelWindows(WindowQuery().InProcess(id_))) {
        if (!GetWindow(window, GW_OWNER)) {
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
    }
    if (WaitForExit(timeoutMs)) {
        return true;
    }
    Terminate();
    return false;
}

void Process::Terminate() {
    if (IsRunning()) {
        TerminateProcess(handle_, 1);
        WaitForSingleObject(handle_, 5000);
    }
}

}  // namespace automation
