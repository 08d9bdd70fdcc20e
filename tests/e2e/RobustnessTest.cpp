// The running program against hostile input and real file faults: odd bytes
// through File, Load and Edit, Paste, checked against a small model of the
// reading rules of its own; and file errors provoked for real (missing paths,
// read-only files, folders, locks, a full disk), read back from the error box.
#include "e2e/E2eSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using automation::WaitUntil;
using e2e::Vexil;

namespace {

// Generous, so that only a hung program runs into them, and well below the
// suite's time limit.
constexpr DWORD kWaitMs = 60 * 1000;
constexpr DWORD kLongWaitMs = 180 * 1000;
constexpr const char* kTransferFile = "c:\\txtbuff";
constexpr const char* kTitle = "Vexil Version 2.0";

// ------------------------------------------------- model of the reader

struct Style {
    bool bold = false, underline = false;
    int text = 1, back = 0;  // palette indices
    auto Key() const { return std::tie(bold, underline, text, back); }
};
struct Cell { char ch; Style style; };  // ch '\r' for a paragraph break
using Doc = std::vector<Cell>;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// What a colour code takes from the five characters after it.
int ParseColour(std::string t, Style& s) {
    t.resize(5, ' ');
    auto n = [&](int from, int count) { return std::stoi(t.substr(from, count)) % 16; };
    if (!IsDigit(t[0])) return 0;
    if (IsDigit(t[1])) {
        s.text = n(0, 2);
        if (t[2] != ',' || !IsDigit(t[3])) return 2;
        s.back = n(3, IsDigit(t[4]) ? 2 : 1);
        return IsDigit(t[4]) ? 5 : 4;
    }
    s.text = n(0, 1);
    if (t[1] != ',' || !IsDigit(t[2])) return 1;
    s.back = n(2, IsDigit(t[3]) ? 2 : 1);
    return IsDigit(t[3]) ? 4 : 3;
}

// The document that reading these bytes gives. Break styles are not modelled.
Doc Read(const std::string& bytes) {
    const std::string data = bytes.substr(0, bytes.find('\x1A'));
    Doc doc;
    for (size_t start = 0; start < data.size();) {
        const size_t end = (std::min)(data.find('\r', start), data.size());
        std::string line = data.substr(start, end - start);
        start = end + 1 + (end + 1 < data.size() && data[end + 1] == '\n');
        Style s;
        for (size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (c == '\x02') s.bold = !s.bold;
            else if (c == '\x1F') s.underline = !s.underline;
            else if (c == '\x03') line.erase(i + 1, static_cast<size_t>(ParseColour(line.substr(i + 1, 5), s)));
            else if (c != '\0') doc.push_back({c == '\n' ? '\r' : c, s});  // the control makes LF a break
        }
        doc.push_back({'\r', s});
    }
    return doc;
}

std::string Describe(const Style& s) {
    return std::to_string(s.text) + "," + std::to_string(s.back) + (s.bold ? " bold" : "") +
           (s.underline ? " underlined" : "");
}

std::string TextOf(const Doc& doc) {
    std::string text;
    for (const Cell& cell : doc) text += cell.ch == '\r' ? std::string("\r\n") : std::string(1, cell.ch);
    return text;
}

std::string Visible(const std::string& bytes, size_t limit = 200) {
    std::string text;
    char hex[8];
    for (unsigned char c : bytes.substr(0, limit)) {
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        text += (c < 0x20 || c >= 0x7F) ? std::string(hex) : std::string(1, static_cast<char>(c));
    }
    return text + (bytes.size() > limit ? "... (" + std::to_string(bytes.size()) + " bytes)" : "");
}

// Where two texts part, with what stands there, or "" when they are equal.
std::string Difference(const std::string& shown, const std::string& expected) {
    if (shown == expected) return "";
    const auto parted = std::mismatch(shown.begin(), shown.begin() + (std::min)(shown.size(), expected.size()),
                                      expected.begin());
    const size_t at = static_cast<size_t>(parted.first - shown.begin());
    return "at " + std::to_string(at) + " shown \"" + Visible(shown.substr(at), 40) + "\" expected \"" +
           Visible(expected.substr(at), 40) + "\" (" + std::to_string(shown.size()) + " vs " +
           std::to_string(expected.size()) + " characters)";
}

// ------------------------------------------------------------ inputs

struct Input {
    std::string name, bytes;
    DWORD WaitMs() const { return bytes.size() > 100000 ? kLongWaitMs : kWaitMs; }
    bool ViaPaste() const { return bytes.size() <= 8192; }  // the bigger ones add nothing new there
};

std::string Random(unsigned seed, size_t size, const std::string& alphabet = {}) {
    std::mt19937 random(seed);
    std::string bytes(size, ' ');
    for (char& c : bytes) {
        c = alphabet.empty() ? static_cast<char>(1 + random() % 255) : alphabet[random() % alphabet.size()];
        // No 0x1A: one in 256 would end the data early; no NUL: a paste would end there.
        if (alphabet.empty() && c == '\x1A') c = '\xFF';
    }
    return bytes;
}

std::vector<Input> Inputs() {
    std::string everyByte;
    for (int k = 1; k <= 256; ++k) {  // 0 last: a paste ends at the NUL
        const std::string b(1, static_cast<char>(k % 256));
        if (b != "\x1A") everyByte += "a" + b + "z\r\n" + b + "az\r\naz" + b + "\r\n";
    }
    std::string longLine;
    while (longLine.size() < (1u << 20)) longLine += (longLine.size() % 4096 == 0) ? "\x03" "4,8\x02" : "abcdefgh";
    return {
        {"every byte in every place", everyByte},
        {"random 4 KB", Random(1, 4096)},
        {"random 16 KB", Random(2, 16384)},
        {"random 64 KB", Random(3, 65536)},
        {"nothing but codes, digits and commas", Random(4, 4096, "\x02\x03\x1F" "0123456789,,")},
        {"one 1 MB line", longLine},
        {"ends after 0x03", "ab\x03"},               {"ends after 0x03 1", "ab\x03" "1"},
        {"ends after 0x03 12,", "ab\x03" "12,"},     {"ends after 0x03 12,3", "ab\x03" "12,3"},
        {"CR only", "a\rb\r\rc"},                   {"LF only", "a\nb\n\nc\n"},
        {"mixed line ends", "a\r\nb\rc\nd\r\r\n\n\re\n\r"}, {"empty", ""},
        {"0x1A first", "\x1A" "ab\r\ncd"},          {"0x1A inside", "ab\r\nc\x1A" "d\r\nef"},
    };
}

// Gives the editor the keyboard focus with a real click at its start; a
// character typed behind the click shows when the click has been handled.
void FocusEditor(Vexil& app) {
    automation::BringToFront(app.Main());
    automation::ClickClient(app.Editor(), 2, 2);
    automation::TypeText("q");
    ASSERT_TRUE(WaitUntil([&] { return app.Text().find('q') != std::string::npos; })) << app.Text();
    const auto at = static_cast<WPARAM>(app.Text().find('q'));
    e2e::Send(app.Editor(), EM_SETSEL, at, static_cast<LPARAM>(at + 1));
    e2e::Send(app.Editor(), WM_CLEAR);
}

HWND Swatch(Vexil& app, int index) { return app.Swatches().at(static_cast<size_t>(index)); }

// After the input: the program answers, shows what the rules give, takes
// typing and painting, and saves what it shows.
void ExpectShownAndUsable(Vexil& app, Doc doc, DWORD waitMs) {
    // Commands given by keyboard input may not have started yet.
    const std::string expected = TextOf(doc);
    WaitUntil([&] {
        try {
            app.WaitIdle(waitMs);
            return app.Text() == expected;
        } catch (const automation::AutomationError&) {
            return app.Process().IsRunning();
        }
    }, waitMs);
    ASSERT_TRUE(app.Process().IsRunning());
    app.WaitIdle(waitMs);
    ASSERT_EQ(Difference(app.Text(), expected), "");
    EXPECT_TRUE(IsWindowEnabled(app.Editor()));

    const auto end = static_cast<WPARAM>(doc.size());
    e2e::Send(app.Editor(), EM_SETSEL, end, static_cast<LPARAM>(end));
    e2e::ClickCentre(Swatch(app, 1));  // black: the caret takes the plain style
    app.Type("xy");
    if (app.Text() == expected + "xy") {
        doc.push_back({'x', Style{}});
        doc.push_back({'y', Style{}});
    } else {
        ADD_FAILURE() << "typing after the input: " << Difference(app.Text(), expected + "xy") << "; limit "
                      << e2e::Send(app.Editor(), EM_GETLIMITTEXT);
    }
    const size_t painted = std::min<size_t>(3, doc.size());
    e2e::Send(app.Editor(), EM_SETSEL, 0, static_cast<LPARAM>(painted));
    e2e::ClickCentre(Swatch(app, 4));  // red on white
    for (size_t i = 0; i < painted; ++i) doc[i].style = Style{false, false, 4, 0};
    ASSERT_EQ(Difference(app.Text(), TextOf(doc)), "");

    const std::string saved = app.SaveBytes(waitMs);
    const Doc back = Read(saved);
    const bool open = !doc.empty() && doc.back().ch != '\r';  // the reader ends it with a break
    EXPECT_EQ(Difference(TextOf(back), TextOf(doc) + (open ? "\r\n" : "")), "") << "saved " << Visible(saved);
    for (size_t i = 0, shown = 0; i < doc.size() && i < back.size() && shown < 3; ++i) {
        if (doc[i].ch != '\r' && back[i].style.Key() != doc[i].style.Key() && ++shown) {
            ADD_FAILURE() << "position " << i << " ('" << Visible(std::string(1, doc[i].ch)) << "') saved as "
                          << Describe(back[i].style) << ", shown as " << Describe(doc[i].style);
        }
    }
}

// ------------------------------------------------------------ faults

// Keeps a file open with no sharing, as another program might.
class Lock {
public:
    explicit Lock(const std::string& path)
        : handle_(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr)) {}
    ~Lock() { Release(); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }
    void Release() { Held() && CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE)); }

private:
    HANDLE handle_;
};

// Whatever a test did to a file or folder, undone when it goes.
class Restore {
public:
    ~Restore() {
        for (auto it = undo_.rbegin(); it != undo_.rend(); ++it) (*it)();
    }
    // Puts the file's bytes and attributes back as they are now.
    void Keep(const std::string& path) {
        const DWORD attributes = GetFileAttributesA(path.c_str());
        const bool existed = attributes != INVALID_FILE_ATTRIBUTES;
        const std::string bytes = existed ? e2e::ReadFileBytes(path) : std::string();
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        undo_.push_back([=] {
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!existed) {
                DeleteFileA(path.c_str());
                return;
            }
            e2e::WriteFileBytes(path, bytes);
            SetFileAttributesA(path.c_str(), attributes);
        });
    }
    void Then(std::function<void()> undo) { undo_.push_back(std::move(undo)); }

private:
    std::vector<std::function<void()>> undo_;
};

void Command(Vexil& app, const std::string& command) {
    if (command == "Edit, Copy") {
        app.Menu("ec");
    } else if (command == "Edit, Paste") {
        app.Menu("ep");
    } else if (command == "Edit, Cut") {
        app.Menu("e");  // "u" would choose Undo: both items have that mnemonic
        automation::PressKey(VK_UP);
        automation::PressKey(VK_RETURN);
    } else {
        ASSERT_EQ(command.substr(0, 5), "Ctrl+");
        automation::BringToFront(app.Main());
        automation::PressKey(static_cast<WORD>(command[5]), automation::kControl);
    }
}

// The text of the error box that is coming; a failure when none comes.
std::string ErrorBoxText(Vexil& app) {
    try {
        const automation::MessageBoxContent box = app.TakeMessageBox();
        EXPECT_EQ(box.caption, kTitle);
        return box.text;
    } catch (const automation::AutomationError& error) {
        ADD_FAILURE() << error.what();
        return "(no error box)";
    }
}

// File, Load or File, Save of this name, and what the error box then says.
std::string FileMenuError(Vexil& app, char item, const std::string& path) {
    app.Menu(std::string("f") + item);
    e2e::AnswerSaveDialog(app.DialogAfterQuestion(), path);
    return ErrorBoxText(app);
}

// Whether the path opens; unlike its attributes, this also holds for a device.
bool Opens(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

// Runs a shell command outside Wine (Wine starts Unix programs) and waits
// until done holds.
bool RunUnix(const std::string& command, const std::function<bool()>& done) {
    std::string line = "/bin/sh -c \"" + command + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        return false;
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return WaitUntil(done, 20000);
}

}  // namespace

// ------------------------------------------------------------ bad input

TEST(Robustness, BadFilesLoadAsTheReadingRulesSayAndLeaveTheProgramUsable) {
    size_t tried = 0;
    for (const Input& input : Inputs()) {
        SCOPED_TRACE("File, Load of " + input.name);
        Vexil app;
        const std::string path = app.NewFile("bad");
        e2e::WriteFileBytes(path, input.bytes);
        app.Menu("fl");
        automation::AnswerFileDialog(app.WaitForDialog(), path);
        ExpectShownAndUsable(app, Read(input.bytes), input.WaitMs());
        ++tried;
    }
    std::printf("[ figures  ] %zu files loaded\n", tried);
}

TEST(Robustness, BadClipboardTextPastesAsTheReadingRulesSay) {
    Restore restore;
    restore.Keep(kTransferFile);
    size_t tried = 0;
    for (const Input& input : Inputs()) {
        if (!input.ViaPaste()) continue;
        for (const bool byKey : {false, true}) {
            SCOPED_TRACE((byKey ? "Ctrl+V of " : "Edit, Paste of ") + input.name);
            const std::string text = input.bytes.substr(0, input.bytes.find('\0'));  // CF_TEXT ends there
            Vexil app;
            app.FileNew();
            e2e::WriteFileBytes(kTransferFile, "untouched");
            e2e::PutClipboardText(text);
            if (byKey) {
                FocusEditor(app);
                automation::PressKey('V', automation::kControl);
            } else {
                app.Menu("ep");
            }
            ExpectShownAndUsable(app, Read(text), input.WaitMs());
            EXPECT_EQ(e2e::ReadFileBytes(kTransferFile), text.empty() ? "untouched" : text);
            ++tried;
        }
    }
    std::printf("[ figures  ] %zu pastes\n", tried);
}

// --------------------------------------------------------------- faults

TEST(RobustnessFaults, FileErrorsShowTheRuntimeMessageAndTheProgramGoesOn) {
    const std::string base = e2e::TempPath("faults"), readOnly = base + "\\read-only.txt",
                      locked = base + "\\locked.txt", folder = base + "\\folder.txt";
    Restore restore;
    restore.Then([=] {
        SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(readOnly.c_str()), DeleteFileA(locked.c_str());
        RemoveDirectoryA(folder.c_str()), RemoveDirectoryA(base.c_str());
    });
    ASSERT_TRUE(CreateDirectoryA(base.c_str(), nullptr) && CreateDirectoryA(folder.c_str(), nullptr));
    e2e::WriteFileBytes(readOnly, "old");
    e2e::WriteFileBytes(locked, "old");
    ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    Lock lock(locked);
    ASSERT_TRUE(lock.Held());
    struct Row {
        char item;  // l: File, Load; s: File, Save
        std::string name, message;
    };
    const Row rows[] = {
        {'l', base + "\\missing.txt", "File not found."},
        {'l', base + "\\no-folder\\in.txt", "Invalid filename."},
        {'l', base + "\\folder", "File access denied."},  // the dialog adds ".txt"
        {'l', locked, "I/O error 32."},
        {'s', base + "\\no-folder\\out.txt", "Invalid filename."},
        {'s', readOnly, "File access denied."},
        {'s', base + "\\folder", "File access denied."},
        {'s', locked, "I/O error 32."},
    };
    Vexil app;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.item == 'l' ? "File, Load of " : "File, Save to ") + row.name);
        app.FileNew();
        app.Type("keep");
        EXPECT_EQ(FileMenuError(app, row.item, row.name), row.message);
        // A failed load leaves the document as it was, unsaved changes and all.
        EXPECT_EQ(app.Text(), "keep");
        EXPECT_EQ(app.SaveBytes(), "keep");
    }
    lock.Release();
    EXPECT_EQ(e2e::ReadFileBytes(locked), "old");
    EXPECT_EQ(e2e::ReadFileBytes(readOnly), "old");
    EXPECT_EQ(e2e::ReadFileBytes(readOnly), "old");
}

TEST(RobustnessFaults, BlockedTransferFileStopsCopyCutAndPasteAndChangesNothing) {
    Restore restore;
    restore.Keep(kTransferFile);
    const std::string kDenied = "File access denied.", kShared = "I/O error 32.";
    const struct Row {
        bool locked;
        std::string command, message;
    } rows[] = {
        {false, "Edit, Copy", kDenied}, {false, "Edit, Cut", kDenied}, {false, "Edit, Paste", kDenied},
        {false, "Ctrl+X", kDenied},     {false, "Ctrl+V", kDenied},    {true, "Edit, Copy", kShared},
        {true, "Edit, Cut", kShared},   {true, "Edit, Paste", kShared},
    };
    Vexil app;
    app.FileNew();
    app.Type("hello world");
    FocusEditor(app);
    ASSERT_EQ(app.Text(), "hello world");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.command + (row.locked ? ", transfer file locked" : ", transfer file read-only"));
        e2e::WriteFileBytes(kTransferFile, "left by the test");
        e2e::PutClipboardText("held before");
        Lock lock(row.locked ? kTransferFile : "");  // "" holds nothing
        if (!row.locked) {
            ASSERT_TRUE(SetFileAttributesA(kTransferFile, FILE_ATTRIBUTE_READONLY));
        }
        const bool pasting = row.command.back() == 'V' || row.command == "Edit, Paste";
        const bool byKey = row.command.rfind("Ctrl+", 0) == 0;
        if (byKey) {
            FocusEditor(app);
        }
        e2e::Send(app.Editor(), EM_SETSEL, pasting ? 11 : 0, pasting ? 11 : 5);
        Command(app, row.command);
        EXPECT_EQ(ErrorBoxText(app), row.message);
        if (byKey) {
            EXPECT_TRUE(WaitUntil([&] { return app.Focus() == app.Editor(); }))
                << "after the error box the next keys reach no window";
        }
        EXPECT_EQ(app.Text(), "hello world") << "nothing removed, nothing inserted";
        EXPECT_EQ(e2e::ClipboardText(), "held before");
        lock.Release();
        SetFileAttributesA(kTransferFile, FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(e2e::ReadFileBytes(kTransferFile), "left by the test");
    }
    // Unblocked, the same commands work again.
    e2e::Send(app.Editor(), EM_SETSEL, 0, 5);
    Command(app, "Edit, Cut");
    EXPECT_TRUE(WaitUntil([] { return e2e::ClipboardText() == "hello"; })) << e2e::ClipboardText();
    EXPECT_TRUE(WaitUntil([&] { return app.Text() == " world"; })) << app.Text();
    FocusEditor(app);
    Command(app, "Ctrl+V");
    EXPECT_TRUE(WaitUntil([&] { return app.Text() == "hello\r\n world"; })) << app.Text();
}

// The files of a folder, by name.
std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (std::string(found.cFileName) != "." && std::string(found.cFileName) != "..") {
            names.push_back(found.cFileName);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// A Save that fails part way keeps the old file byte for byte, leaves no new
// file beside it and the document unsaved: on a volume too full for the new
// file (as root: a tmpfs with a size limit), and over a file that another
// program holds open without letting it be replaced.
TEST(RobustnessFaults, FailedSavesKeepTheOldFileByteForByteAndLeaveNothingBehind) {
    const std::string pid = std::to_string(GetCurrentProcessId());
    const std::string unixSmall = "/tmp/vexil-small-" + pid, small = "Z:\\tmp\\vexil-small-" + pid;
    Restore restore;
    restore.Then([&] {
        RunUnix("umount '" + unixSmall + "'; rmdir '" + unixSmall + "'", [&] { return !Opens(small); });
    });
    if (!RunUnix("mkdir -p '" + unixSmall + "' && mount -t tmpfs -o size=64k tmpfs '" + unixSmall + "' && touch '" +
                     unixSmall + "/.mounted'",
                 [&] { return Opens(small + "\\.mounted"); })) {
        if (std::getenv("CI")) {
            FAIL() << "no small volume to save to: mounting a tmpfs at " << unixSmall << " needs root";
        }
        GTEST_SKIP() << "no small volume to save to: mounting a tmpfs needs root";
    }
    const std::string old(40000, 'o'), onSmall = small + "\\old.txt";
    e2e::WriteFileBytes(onSmall, old);
    const std::string folder = e2e::TempPath("held");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    restore.Then([=] { DeleteFileA((folder + "\\held.txt").c_str()), RemoveDirectoryA(folder.c_str()); });
    const std::string held = folder + "\\held.txt";
    e2e::WriteFileBytes(held, old);

    Vexil app;
    const std::string source = app.NewFile("big");
    e2e::WriteFileBytes(source, std::string(40000, 'n'));
    app.FileNew();
    app.Load(source, "nnn");
    app.Type("!");
    EXPECT_EQ(FileMenuError(app, 's', onSmall), "Disk full.");
    EXPECT_TRUE(e2e::ReadFileBytes(onSmall) == old) << "the old file is as it was";
    EXPECT_EQ(FilesIn(small), (std::vector<std::string>{".mounted", "old.txt"}));

    {
        // Sharing reading and writing, not deletion: the one file that is
        // written in place stays whole too.
        HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        EXPECT_EQ(FileMenuError(app, 's', held), "I/O error 32.");
        CloseHandle(holder);
    }
    EXPECT_TRUE(e2e::ReadFileBytes(held) == old);
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"held.txt"});

    app.Menu("fe");
    HWND question = app.SaveQuestion(automation::kDialogTimeoutMs);
    ASSERT_NE(question, nullptr) << "the document is still unsaved";
    automation::CloseDialog(question, IDCANCEL);
    EXPECT_EQ(FilesIn(small), (std::vector<std::string>{".mounted", "old.txt"}));
    app.Menu("fs");
    e2e::AnswerSaveDialog(app.WaitForDialog(), held);
    EXPECT_TRUE(WaitUntil([&] { return e2e::ReadFileBytes(held) == std::string(40000, 'n') + "\r\n!"; }))
        << "saved once let go";
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"held.txt"});
}
