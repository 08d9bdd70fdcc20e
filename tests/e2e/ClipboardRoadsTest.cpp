// Every road between the editor and the clipboard carries coded text: the
// older Insert and Delete chords pressed as real keys, and the clipboard
// messages that any program may send; and Copy and Paste still work where
// the root of drive C refuses the transfer file.
#include "e2e/E2eSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using automation::PressKey;
using automation::WaitUntil;
using e2e::Vexil;

namespace {

const std::string kRedCoded = "\x03" "04,00red";

// Puts red "red" into a new document by Ctrl+V and selects it.
void PasteRedAndSelectIt(Vexil& app) {
    app.FileNew();
    e2e::PutClipboardText(kRedCoded);
    PressKey('V', automation::kControl);
    ASSERT_TRUE(WaitUntil([&] { return app.Text() == "red\r\n"; })) << "Ctrl+V gave \"" << app.Text() << "\"";
    e2e::Send(app.Editor(), EM_SETSEL, 0, 3);
    e2e::PutClipboardText("");
}

}  // namespace

TEST(ClipboardRoads, InsertAndDeleteChordsAndClipboardMessagesCarryTheCodes) {
    Vexil app;
    enum Road { kPaste, kCopy, kCut };
    const struct {
        const char* name;
        Road road;
        std::function<void()> run;
    } roads[] = {
        {"Shift+Insert", kPaste, [] { PressKey(VK_INSERT, automation::kShift); }},
        {"WM_PASTE", kPaste, [&] { e2e::Send(app.Editor(), WM_PASTE); }},
        {"Ctrl+Insert", kCopy, [] { PressKey(VK_INSERT, automation::kControl); }},
        {"WM_COPY", kCopy, [&] { e2e::Send(app.Editor(), WM_COPY); }},
        {"Shift+Delete", kCut, [] { PressKey(VK_DELETE, automation::kShift); }},
        {"WM_CUT", kCut, [&] { e2e::Send(app.Editor(), WM_CUT); }},
    };
    for (const auto& r : roads) {
        SCOPED_TRACE(r.name);
        if (r.road == kPaste) {
            app.FileNew();
            e2e::PutClipboardText(kRedCoded);
            r.run();
            EXPECT_TRUE(WaitUntil([&] { return app.Text() == "red\r\n"; })) << "the editor shows \"" << app.Text() << "\"";
        } else {
            PasteRedAndSelectIt(app);
            r.run();
            EXPECT_TRUE(WaitUntil([] { return e2e::ClipboardText() == kRedCoded; }))
                << "the clipboard holds \"" << e2e::ClipboardText() << "\"";
            EXPECT_TRUE(WaitUntil([&] { return app.Text() == (r.road == kCut ? "\r\n" : "red\r\n"); }))
                << "the editor shows \"" << app.Text() << "\"";
        }
    }
}

TEST(ClipboardRoads, CopyAndPasteWorkWhereTheRootOfDriveCRefusesTheTransferFile) {
    // A folder where the file would be: creating the file is denied, as it
    // is to a process without administrator rights on Windows.
    DeleteFileA("c:\\txtbuff");
    ASSERT_TRUE(CreateDirectoryA("c:\\txtbuff", nullptr)) << GetLastError();
    struct Removal {
        ~Removal() { RemoveDirectoryA("c:\\txtbuff"); }
    } removal;

    Vexil app;
    PasteRedAndSelectIt(app);
    PressKey('C', automation::kControl);
    EXPECT_TRUE(WaitUntil([] { return e2e::ClipboardText() == kRedCoded; }))
        << "the clipboard holds \"" << e2e::ClipboardText() << "\"";
}
