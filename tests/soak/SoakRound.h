// One round of everyday work on a running vexil.exe, and the resource figures
// read from outside the program: shared by the soak program and by its short
// variant among the end-to-end tests. Each step waits for its visible effect
// and raises AutomationError when the program did something else.
#pragma once

#include "e2e/E2eSupport.h"

#include <psapi.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace soak {

using automation::AutomationError;

// The menu's commands: items are numbered from 1000 in the order the form
// lists them, after the menu's own root item. A wrong number shows at once,
// since every step below checks what its command did.
enum MenuCommand : WORD { kNew = 1002, kLoad, kSave, kPaste = 1008, kCopy, kCut, kAbout, kHelp };

// Generous: a loaded machine must not turn a slow box into a failure.
constexpr DWORD kWaitMs = 60000;

// Commands that open no modal window have run when this returns.
inline void Run(HWND main, WORD command) { e2e::Send(main, WM_COMMAND, command, 0); }
// Commands that open a modal window: the caller waits for the window.
inline void Post(HWND main, WORD command) {
    if (!PostMessageA(main, WM_COMMAND, command, 0)) throw AutomationError("PostMessage failed");
}

inline void Select(e2e::Vexil& app, int start, int end) { e2e::Send(app.Editor(), EM_SETSEL, start, end); }
inline void Expect(bool holds, const std::string& what) {
    if (!holds) throw AutomationError(what);
}

inline std::string ClipboardText() {
    Expect(automation::WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }, kWaitMs), "the clipboard stays open");
    std::string text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
            text = bytes;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

inline HWND WaitFor(e2e::Vexil& app, automation::WindowQuery query) {
    return automation::WaitForWindow(query.InProcess(app.Process().Id()), kWaitMs);
}

inline void AnswerFile(e2e::Vexil& app, WORD command, const std::string& path) {
    Post(app.Main(), command);
    automation::AnswerFileDialog(WaitFor(app, automation::WindowQuery().WithClass(automation::kDialogClass)),
                                 path, kWaitMs);
}

// File, Save into path (removed first); returns the bytes written.
inline std::string Save(e2e::Vexil& app, const std::string& path) {
    DeleteFileA(path.c_str());
    AnswerFile(app, kSave, path);
    const auto exists = [&] { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; };
    Expect(automation::WaitUntil(exists, kWaitMs), "File, Save wrote no " + path);
    app.Sync();  // the writer creates the file first and has finished once the program answers
    return e2e::ReadFileBytes(path);
}

// Whether File, Save wrote this text. The writer walks one position past the
// end for each paragraph break, where the control reports some style: codes
// may follow, text may not.
inline bool SavedAs(const std::string& saved, const std::string& text) {
    return saved.compare(0, text.size(), text) == 0 &&
           saved.find_first_not_of("\x02\x03\x1F" "0123456789,", text.size()) == std::string::npos;
}

// The text a round types and paints, and what File, Save must write of it.
constexpr const char* kTyped = "soak round\nline two";
constexpr const char* kSaved = "\x03" "04,08soak\x03" "01,00 round\r\nline two";

// New, type, paint, Save, Load, Copy, Cut, Paste, About, Help and the Font
// dialog (confirmed in even rounds, cancelled in odd ones).
inline void Round(e2e::Vexil& app, int round, const std::string& path) {
    const std::vector<HWND> swatches = app.Swatches();
    // Black on white first, so that every round saves the same bytes.
    e2e::ClickCentre(swatches.at(1));
    e2e::ClickCentre(swatches.at(0), e2e::Button::Right);
    // The last round's Cut and Paste are unsaved: the question comes and is
    // answered No.
    Post(app.Main(), kNew);
    const auto emptied = [&] { return IsWindowEnabled(app.Editor()) && app.Text().empty(); };
    HWND question = nullptr;
    automation::WaitUntil([&] { return emptied() || (question = app.SaveQuestion(0)) != nullptr; }, kWaitMs);
    if (question) automation::CloseDialog(question, IDNO, kWaitMs);
    Expect(automation::WaitUntil(emptied, kWaitMs), "File, New left \"" + app.Text() + "\"");
    app.Sync();
    app.Type(kTyped);
    Select(app, 0, 4);
    e2e::ClickCentre(swatches.at(4));                     // red text
    e2e::ClickCentre(swatches.at(8), e2e::Button::Right);  // on yellow
    const std::string saved = Save(app, path);
    Expect(SavedAs(saved, kSaved), "File, Save wrote \"" + saved + "\"");
    AnswerFile(app, kLoad, path);
    const auto loaded = [&] { return app.Text() == "soak round\r\nline two\r\n"; };
    Expect(automation::WaitUntil(loaded, kWaitMs), "File, Load shows \"" + app.Text() + "\"");
    Select(app, 0, 4);
    Run(app.Main(), kCopy);
    Expect(ClipboardText() == "\x03" "04,08soak", "Edit, Copy put \"" + ClipboardText() + "\"");
    Select(app, 5, 10);
    Run(app.Main(), kCut);
    Expect(ClipboardText() == "round", "Edit, Cut put \"" + ClipboardText() + "\"");
    Select(app, 100000, 100000);
    Run(app.Main(), kPaste);
    Expect(app.Text() == "soak \r\nline two\r\nround\r\n", "after Cut and Paste: \"" + app.Text() + "\"");
    Post(app.Main(), kAbout);
    HWND about = WaitFor(app, automation::WindowQuery().WithCaption("About"));
    e2e::PostClickCentre(e2e::ChildWithCaption(about, "TBitBtn", "OK"));
    automation::WaitForWindowHidden(about, kWaitMs);
    Expect(automation::WaitUntil([&] { return IsWindowEnabled(app.Main()) != FALSE; }, kWaitMs),
           "the main window stays disabled after the About box");
    Post(app.Main(), kHelp);
    HWND help = WaitFor(app, automation::WindowQuery().WithCaption("Vexil Help"));
    PostMessageA(help, WM_CLOSE, 0, 0);
    automation::WaitForWindowHidden(help, kWaitMs);
    e2e::PostClickCentre(e2e::ChildWithCaption(app.PaletteBar(), "TButton", "Font"));
    HWND font = WaitFor(app, automation::WindowQuery().WithClass(automation::kDialogClass));
    round % 2 == 0 ? automation::AnswerFontDialog(font, automation::FontAnswer{}, kWaitMs)
                   : automation::CloseDialog(font, IDCANCEL, kWaitMs);
    app.Sync();
}

// What the program holds, read from outside. Under Wine GetGuiResources is a
// stub (0, ERROR_CALL_NOT_IMPLEMENTED) and GetProcessHandleCount answers 0, so
// GDI objects are counted in Wine's GDI handle table, which each process keeps
// in its own memory, handles in the system's handle list, and the program's
// windows stand in for its USER objects.
struct Figures {
    DWORD gdi = 0, user = 0, handles = 0, keys = 0, windows = 0;
    SIZE_T workingSet = 0, privateBytes = 0;
    bool gdiFromTable = false, handlesFromList = false;
};

template <typename Function>
Function* Ntdll(const char* name) {
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll"), name)));
}

template <typename T>
bool ReadFrom(HANDLE process, UINT_PTR address, T* value, SIZE_T size = sizeof(T)) {
    SIZE_T read = 0;
    return ReadProcessMemory(process, reinterpret_cast<const void*>(address), value, size, &read) && read == size;
}

// Live entries of Wine's GDI handle table (24-byte entries, type byte at 14,
// 0 when free), found through the PEB (its GdiSharedHandleTable, at 0x94 in a
// 32-bit PEB and 0xF8 in a 64-bit one); 0 when there is no such table. A
// 32-bit process keeps the pointer in its 64-bit PEB, the page below the
// 32-bit one; the image bases of the two must agree before it is trusted.
// The soak and the program it reads are of one architecture.
inline DWORD WineGdiObjects(HANDLE process) {
    const auto query = Ntdll<LONG WINAPI(HANDLE, int, void*, ULONG, ULONG*)>("NtQueryInformationProcess");
    UINT_PTR basic[6] = {};  // PROCESS_BASIC_INFORMATION: the PEB is the second field
    if (!query || query(process, 0, basic, sizeof basic, nullptr) != 0) return 0;
    constexpr bool kWide = sizeof(void*) == 8;
    const UINT_PTR peb = basic[1], peb64 = peb - 0x1000;
    UINT_PTR table = 0, image = 0;
    unsigned long long image64 = 0, table64 = 0;
    if ((!ReadFrom(process, peb + (kWide ? 0xF8 : 0x94), &table) || table == 0) && !kWide &&
        ReadFrom(process, peb + 0x08, &image) && ReadFrom(process, peb64 + 0x10, &image64) && image64 == image &&
        ReadFrom(process, peb64 + 0xF8, &table64)) {
        table = static_cast<UINT_PTR>(table64);
    }
    std::vector<unsigned char> entries(0x10000 * 24);
    DWORD live = 0;
    if (table != 0 && ReadFrom(process, table, entries.data(), entries.size())) {
        for (size_t offset = 14; offset < entries.size(); offset += 24) live += entries[offset] != 0;
    }
    return live;
}

// Per type number, the handles of this process in the system handle list.
inline std::vector<DWORD> HandlesByType(DWORD processId) {
    const auto query = Ntdll<LONG WINAPI(int, void*, ULONG, ULONG*)>("NtQuerySystemInformation");
    struct Entry { ULONG processId; BYTE type, flags; USHORT handle; void* object; ACCESS_MASK access; };
    // SYSTEM_HANDLE_INFORMATION: the entries are aligned for their pointer.
    struct List { ULONG count; Entry first; };
    constexpr size_t kEntries = offsetof(List, first);
    std::vector<unsigned char> buffer(1 << 20);
    LONG status = -1;
    while (query && (status = query(16, buffer.data(), static_cast<ULONG>(buffer.size()), nullptr)) ==
                        static_cast<LONG>(0xC0000004)) {  // SystemHandleInformation; the buffer is too small
        buffer.resize(buffer.size() * 2);
    }
    ULONG count = 0;
    if (status == 0) std::memcpy(&count, buffer.data(), sizeof count);
    std::vector<DWORD> byType(256);
    for (ULONG i = 0; i < count && kEntries + (i + 1) * sizeof(Entry) <= buffer.size(); ++i) {
        Entry entry;
        std::memcpy(&entry, buffer.data() + kEntries + i * sizeof(Entry), sizeof entry);
        byType[entry.type] += entry.processId == processId;
    }
    return byType;
}

// The type number of registry keys, found by opening one here; -1 if unknown.
inline int RegistryKeyType() {
    static const int type = [] {
        const std::vector<DWORD> before = HandlesByType(GetCurrentProcessId());
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
        const std::vector<DWORD> after = HandlesByType(GetCurrentProcessId());
        RegCloseKey(key);
        for (int t = 0; t < 256; ++t) {
            if (after[t] == before[t] + 1) return t;
        }
        return -1;
    }();
    return type;
}

// The process's windows with all their descendants.
inline BOOL CALLBACK CountWindow(HWND window, LPARAM param) {
    auto* state = reinterpret_cast<std::pair<DWORD, DWORD>*>(param);  // process, count
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == state->first) {
        ++state->second;
        if (!(GetWindowLongA(window, GWL_STYLE) & WS_CHILD)) EnumChildWindows(window, CountWindow, param);
    }
    return TRUE;
}

inline Figures Measure(HANDLE process, DWORD processId) {
    Figures f;
    f.gdi = GetGuiResources(process, GR_GDIOBJECTS);
    f.user = GetGuiResources(process, GR_USEROBJECTS);
    if ((f.gdiFromTable = f.gdi == 0)) f.gdi = WineGdiObjects(process);
    f.handlesFromList = !GetProcessHandleCount(process, &f.handles) || f.handles == 0;
    const std::vector<DWORD> byType = HandlesByType(processId);
    for (DWORD n : byType) f.handles += f.handlesFromList ? n : 0;
    f.keys = RegistryKeyType() >= 0 ? byType[static_cast<size_t>(RegistryKeyType())] : 0;
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
        f.workingSet = memory.WorkingSetSize;
        // Wine leaves PrivateUsage 0 and fills PagefileUsage, the same figure.
        f.privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
    }
    std::pair<DWORD, DWORD> windows{processId, 0};
    EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&windows));
    f.windows = windows.second;
    return f;
}

// Where the figures came from, for the reader of the numbers.
inline std::string Sources(const Figures& f) {
    return std::string("GDI objects from ") + (f.gdiFromTable ? "Wine's GDI handle table" : "GetGuiResources") +
           (f.user ? "; USER objects from GetGuiResources" : "; USER objects not measured (0): windows stand in") +
           "; handles from " + (f.handlesFromList ? "the system handle list" : "GetProcessHandleCount");
}

inline std::string Describe(const Figures& f) {
    char line[200];
    std::snprintf(line, sizeof line, "gdi %lu user %lu handles %lu (keys %lu) windows %lu workingset %.1f MB "
                  "private %.1f MB", f.gdi, f.user, f.handles, f.keys, f.windows, f.workingSet / 1048576.0,
                  f.privateBytes / 1048576.0);
    return line;
}

// Growth allowed between the figures after the warm-up round and the last.
// Object counts may wobble by a few (a dialog's handle closed a little late);
// a leak of one object per round exceeds 20 within the short variant's 25
// rounds. Memory: the heap and Wine's caches settle in steps of a few MB; 8 MB
// over 1000 rounds catches a leak of 8 KB a round, a small bitmap's worth.
constexpr DWORD kObjectMargin = 20;
constexpr SIZE_T kMemoryMargin = 8u << 20;
// Wine's Open and Save dialogs keep one registry key open for each time they
// are answered with a file (a bare GetSaveFileNameA does the same): registry
// keys may grow by that much a round, and no more.
constexpr DWORD kKeysPerRound = 2;

// The figures that grew beyond the margins over this many rounds, one a
// line; empty when none did.
inline std::string Growth(const Figures& before, const Figures& after, int rounds) {
    std::string grown;
    auto check = [&](const char* name, unsigned long long a, unsigned long long b, unsigned long long allowed) {
        if (b > a + allowed) grown += std::string(name) + " " + std::to_string(a) + " -> " + std::to_string(b) + "\n";
    };
    check("GDI objects", before.gdi, after.gdi, kObjectMargin);
    check("USER objects", before.user, after.user, kObjectMargin);
    check("handles but registry keys", before.handles - before.keys, after.handles - after.keys, kObjectMargin);
    check("registry keys", before.keys, after.keys, kObjectMargin + kKeysPerRound * static_cast<DWORD>(rounds));
    check("windows", before.windows, after.windows, kObjectMargin);
    check("working set bytes", before.workingSet, after.workingSet, kMemoryMargin);
    check("private bytes", before.privateBytes, after.privateBytes, kMemoryMargin);
    return grown;
}

}  // namespace soak
