#include "e2e/E2eSupport.h"

#include <richedit.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <iterator>

namespace e2e {

using automation::AutomationError;

namespace {

constexpr UINT kAnswerTimeoutMs = 5000;

struct ClassSearch {
    const std::string* className;
    std::vector<HWND>* found;
};

BOOL CALLBACK CollectOfClass(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<ClassSearch*>(param);
    if (automation::ClassOf(window) == *search->className) {
        search->found->push_back(window);
    }
    return TRUE;
}

std::pair<UINT, UINT> ButtonMessages(Button button) {
    switch (button) {
    case Button::Right: return {WM_RBUTTONDOWN, WM_RBUTTONUP};
    case Button::Middle: return {WM_MBUTTONDOWN, WM_MBUTTONUP};
    default: return {WM_LBUTTONDOWN, WM_LBUTTONUP};
    }
}

WPARAM ButtonFlag(Button button) {
    switch (button) {
    case Button::Right: return MK_RBUTTON;
    case Button::Middle: return MK_MBUTTON;
    default: return MK_LBUTTON;
    }
}

}  // namespace

RECT RectInParent(HWND child) {
    RECT rect{};
    if (!GetWindowRect(child, &rect)) {
        throw AutomationError("GetWindowRect failed");
    }
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::vector<HWND> ChildrenOfClass(HWND parent, const std::string& className) {
    std::vector<HWND> found;
    ClassSearch search{&className, &found};
    EnumChildWindows(parent, CollectOfClass, reinterpret_cast<LPARAM>(&search));
    return found;
}

HWND ChildWithCaption(HWND parent, const std::string& className, const std::string& caption) {
    for (HWND child : ChildrenOfClass(parent, className)) {
        if (automation::CaptionOf(child) == caption) {
            return child;
        }
    }
    throw AutomationError("no " + className + " \"" + caption + "\"");
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerTimeoutMs,
                             &result)) {
        throw AutomationError("window " + automation::ClassOf(window) +
                              " did not answer message " + std::to_string(message));
    }
    return static_cast<LRESULT>(result);
}

void Click(HWND window, int x, int y, Button button) {
    const auto messages = ButtonMessages(button);
    Send(window, messages.first, ButtonFlag(button), MAKELPARAM(x, y));
    Send(window, messages.second, 0, MAKELPARAM(x, y));
}

void ClickCentre(HWND window, Button button) {
    RECT client{};
    GetClientRect(window, &client);
    Click(window, client.right / 2, client.bottom / 2, button);
}

void PostClickCentre(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    const LPARAM point = MAKELPARAM(client.right / 2, client.bottom / 2);
    if (!PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, point) ||
        !PostMessageA(window, WM_LBUTTONUP, 0, point)) {
        throw AutomationError("PostMessage failed");
    }
}

COLORREF ColourAt(HWND window, int x, int y) {
    RECT client{};
    GetClientRect(window, &client);
    POINT point{x < 0 ? client.right / 2 : x, y < 0 ? client.bottom / 2 : y};
    ClientToScreen(window, &point);
    HDC screen = GetDC(nullptr);
    if (!screen) {
        throw AutomationError("no screen device context");
    }
    const COLORREF colour = GetPixel(screen, point.x, point.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw AutomationError("cannot read " + path);
    }
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string TempPath(const std::string& stem) {
    static std::atomic<int> counter{0};
    char folder[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH) {
        throw AutomationError("GetTempPath failed");
    }
    const std::string path = std::string(folder) + "vexil-e2e-" + std::to_string(GetCurrentProcessId()) +
                             "-" + std::to_string(++counter) + "-" + stem + ".txt";
    DeleteFileA(path.c_str());
    return path;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file) {
        throw AutomationError("cannot write " + path);
    }
}

namespace {

// The clipboard opened for a window of this process: without an owner the
// system drops what is put on it after emptying it.
class OpenClipboardScope {
public:
    OpenClipboardScope()
        : owner_(CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {
        if (!owner_ || !automation::WaitUntil([this] { return OpenClipboard(owner_) != FALSE; })) {
            if (owner_) {
                DestroyWindow(owner_);
            }
            throw AutomationError("the clipboard stays busy");
        }
    }
    ~OpenClipboardScope() {
        CloseClipboard();
        DestroyWindow(owner_);
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;

private:
    HWND owner_;
};

}  // namespace

void PutClipboardText(const std::string& text) {
    OpenClipboardScope open;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    char* memory = block ? static_cast<char*>(GlobalLock(block)) : nullptr;
    if (!memory) {
        throw AutomationError("no memory for the clipboard text");
    }
    std::copy(text.begin(), text.end(), memory);
    memory[text.size()] = '\0';
    GlobalUnlock(block);
    if (!SetClipboardData(CF_TEXT, block)) {
        GlobalFree(block);
        throw AutomationError("SetClipboardData failed");
    }
}

std::string ClipboardText() {
    OpenClipboardScope open;
    HANDLE data = GetClipboardData(CF_TEXT);
    const char* text = data ? static_cast<const char*>(GlobalLock(data)) : nullptr;
    if (!text) {
        throw AutomationError("no text on the clipboard");
    }
    const std::string result(text, strnlen(text, GlobalSize(data)));
    GlobalUnlock(data);
    return result;
}

Vexil::Vexil(const std::string& program)
    : process_(automation::Process::Start(automation::QuoteArgument(program))) {
    main_ = process_.WaitForMainWindow(kMainCaption, 15000);
    // The palette bar is laid out on its first showing; wait for that.
    if (!automation::WaitUntil([this] { return Swatches().size() == 16; })) {
        throw AutomationError("the palette bar never showed its sixteen swatches");
    }
}

Vexil::~Vexil() {
    // Unsaved changes are dropped, as a user answering No drops them.
    for (HWND window : automation::FindTopLevelWindows(automation::WindowQuery().InProcess(process_.Id()))) {
        if (!GetWindow(window, GW_OWNER)) {
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
    }
    try {
        if (!process_.WaitForExit(300)) {
            if (HWND question = SaveQuestion(3000)) {
                automation::CloseDialog(question, IDNO);
            }
            process_.WaitForExit(3000);
        }
    } catch (const std::exception&) {
        // A box that went as it was read: the program is ended below.
    }
    process_.Terminate();
    for (const std::string& file : files_) {
        DeleteFileA(file.c_str());
    }
}

HWND Vexil::Editor() const {
    HWND editor = automation::FindDescendantByClass(main_, "TRich2Edit");
    if (!editor) {
        throw AutomationError("no editor window");
    }
    return editor;
}

HWND Vexil::Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(main_, nullptr), &info) ? info.hwndFocus : nullptr;
}

HWND Vexil::PaletteBar() const {
    for (HWND panel : ChildrenOfClass(main_, "TPanel")) {
        if (GetParent(panel) == main_ && RectInParent(panel).top == 0) {
            return panel;
        }
    }
    throw AutomationError("no palette bar");
}

HWND Vexil::List() const {
    HWND list = automation::FindDescendantByClass(main_, "TListBox");
    if (!list) {
        throw AutomationError("no character list");
    }
    return list;
}

std::vector<HWND> Vexil::Swatches() const {
    std::vector<HWND> swatches;
    for (HWND shape : ChildrenOfClass(main_, "TShape")) {
        if (RectInParent(shape).top < 20) {
            swatches.push_back(shape);
        }
    }
    std::sort(swatches.begin(), swatches.end(),
              [](HWND a, HWND b) { return RectInParent(a).left < RectInParent(b).left; });
    return swatches;
}

HWND Vexil::TextSwatch() const {
    for (HWND shape : ChildrenOfClass(main_, "TShape")) {
        const RECT rect = RectInParent(shape);
        if (rect.top >= 20 && rect.left < 90) {
            return shape;
        }
    }
    throw AutomationError("no text swatch");
}

HWND Vexil::BackSwatch() const {
    for (HWND shape : ChildrenOfClass(main_, "TShape")) {
        const RECT rect = RectInParent(shape);
        if (rect.top >= 20 && rect.left >= 90) {
            return shape;
        }
    }
    throw AutomationError("no background swatch");
}

void Vexil::Sync() const { Send(main_, WM_NULL); }

void Vexil::WaitIdle(DWORD timeoutMs) const {
    DWORD_PTR result = 0;
    // Not SMTO_ABORTIFHUNG: a program busy in a long handler counts as hung.
    if (!SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result)) {
        throw AutomationError("the main window did not answer within " + std::to_string(timeoutMs) + " ms");
    }
}

automation::MessageBoxContent Vexil::TakeMessageBox() const {
    HWND box = automation::WaitForWindow(automation::MessageBoxQuery().InProcess(process_.Id()),
                                         automation::kDialogTimeoutMs);
    const automation::MessageBoxContent content = automation::ReadMessageBox(box);
    automation::CloseDialog(box, IDOK);
    return content;
}

void Vexil::Menu(const std::string& mnemonics) {
    automation::ChooseMenu(main_, mnemonics);
}

void Vexil::FileNew() {
    // Done once the editor is enabled and empty: text sent before the menu
    // command has been handled would be emptied after it. Keys sent while a
    // just-started window is still being activated can be lost; choosing the
    // item once more does no harm to an empty document.
    const auto done = [this] { return IsWindowEnabled(Editor()) && Send(Editor(), WM_GETTEXTLENGTH) == 0; };
    for (int attempt = 0; attempt < 2; ++attempt) {
        Menu("fn");
        HWND question = nullptr;
        automation::WaitUntil([&] { return done() || (question = SaveQuestion(0)) != nullptr; });
        if (question) {
            automation::CloseDialog(question, IDNO);
        }
        if (automation::WaitUntil(done)) {
            Sync();
            return;
        }
    }
    throw AutomationError("File, New did not enable and empty the editor");
}

HWND Vexil::WaitForDialog() const {
    return automation::WaitForWindow(automation::MessageBoxQuery().InProcess(process_.Id()),
                                     automation::kDialogTimeoutMs);
}

std::string Vexil::NewFile(const std::string& stem) {
    files_.push_back(TempPath(stem));
    return files_.back();
}

std::string Vexil::SaveBytes(DWORD timeoutMs) {
    const std::string path = NewFile("save");
    Menu("fs");
    automation::AnswerFileDialog(WaitForDialog(), path);
    // The writer creates the file first; once it exists, the next answered
    // message means the writer has finished.
    if (!automation::WaitUntil([&] { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; })) {
        throw AutomationError("File, Save wrote no " + path);
    }
    WaitIdle(timeoutMs);
    return ReadFileBytes(path);
}

void AnswerSaveDialog(HWND dialog, const std::string& path) {
    try {
        automation::AnswerFileDialog(dialog, path, 0);
        return;
    } catch (const AutomationError&) {
        // Still up: closing, or asking whether to replace the file.
    }
    HWND replace = nullptr;
    automation::WaitUntil(
        [&] {
            replace = automation::FindTopLevelWindow(automation::MessageBoxQuery().OwnedBy(dialog));
            return replace != nullptr || !IsWindowVisible(dialog);
        },
        automation::kDialogTimeoutMs);
    if (replace) {
        automation::CloseDialog(replace, IDYES);
    }
    automation::WaitForWindowHidden(dialog, automation::kDialogTimeoutMs);
}

HWND Vexil::SaveQuestion(DWORD timeoutMs) const {
    HWND found = nullptr;
    automation::WaitUntil(
        [&] {
            for (HWND box : automation::FindTopLevelWindows(automation::MessageBoxQuery().InProcess(process_.Id()))) {
                if (automation::FindDescendant(box, automation::kMessageBoxTextId) &&
                    automation::ReadMessageBox(box).text.rfind("Do you want to save changes to ", 0) == 0) {
                    found = box;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

HWND Vexil::DialogAfterQuestion() const {
    HWND dialog = WaitForDialog();
    if (automation::FindDescendant(dialog, automation::kMessageBoxTextId) &&
        automation::ReadMessageBox(dialog).text.rfind("Do you want to save changes to ", 0) == 0) {
        automation::CloseDialog(dialog, IDNO);
        dialog = WaitForDialog();
    }
    return dialog;
}

void Vexil::Load(const std::string& path, const std::string& expectedText, DWORD timeoutMs) {
    Menu("fl");
    automation::AnswerFileDialog(DialogAfterQuestion(), path);
    WaitIdle(timeoutMs);
    // The editor answers only between handlers, so a match is a finished load.
    if (!automation::WaitUntil([&] { return Text().compare(0, expectedText.size(), expectedText) == 0; })) {
        throw AutomationError("after File, Load the editor shows \"" + Text() + "\"");
    }
}

void Vexil::Type(const std::string& text) {
    HWND editor = Editor();
    for (char c : text) {
        if (c == '\n') {
            Send(editor, WM_KEYDOWN, VK_RETURN, 1);
            Send(editor, WM_KEYUP, VK_RETURN, 1 | (3u << 30));
        } else {
            Send(editor, WM_CHAR, static_cast<unsigned char>(c), 1);
        }
    }
}

std::string Vexil::Text() const { return automation::TextOf(Editor()); }

std::pair<int, int> Vexil::Selection() const {
    const LRESULT packed = Send(Editor(), EM_GETSEL, 0, 0);
    return {LOWORD(packed), HIWORD(packed)};
}

POINT Vexil::CharPos(int position) const {
    // The packed form: a character index, never a pointer, in wParam.
    const LRESULT packed = Send(Editor(), EM_POSFROMCHAR, static_cast<WPARAM>(position), 0);
    return POINT{static_cast<short>(LOWORD(packed)), static_cast<short>(HIWORD(packed))};
}

void Vexil::Drag(int fromPosition, int toPosition) {
    HWND editor = Editor();
    const POINT from = CharPos(fromPosition);
    const POINT to = CharPos(toPosition);
    Send(editor, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x + 1, from.y + 4));
    Send(editor, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((from.x + to.x) / 2 + 1, to.y + 4));
    Send(editor, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x + 1, to.y + 4));
    Send(editor, WM_LBUTTONUP, 0, MAKELPARAM(to.x + 1, to.y + 4));
}

}  // namespace e2e
