// The standard dialogs and the help window, shown for real and answered from
// a second thread as a user would answer them.
#include "support/Automation.h"
#include "support/DialogAnswer.h"
#include "winlib/Dialogs.h"
#include "winlib/Forms.h"
#include "winlib/Help.h"

#include <gtest/gtest.h>

#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <functional>
#include <string>

using automation::DialogAnswer;
using namespace winlib;

namespace {

std::string TempFolder()
{
    char path[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, path);
    std::string folder = std::string(path) + "vexil-dialogs-test\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << content;
}

class DialogsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        application.Initialize();
        application.SetTitle("Dialogs Test");
        folder = TempFolder();
    }

    void TearDown() override { delete THelpWindow::Instance(); }

    TApplication application;
    std::string folder;
};

// ------------------------------------------------------------ file dialogs

TEST_F(DialogsTest, FilterBecomesNulSeparatedPairs)
{
    EXPECT_EQ(FilterToApi("Text Files (*.txt)|*.txt|All Files (*.*)|*.*"),
              std::string("Text Files (*.txt)\0*.txt\0All Files (*.*)\0*.*\0\0", 46));
    EXPECT_EQ(FilterToApi(""), "");
}

TEST_F(DialogsTest, OpenDialogTakesANameThatNeedNotExistAndOffersNoReadOnlyBox)
{
    TOpenDialog dialog(nullptr);
    dialog.Filter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*";
    dialog.DefaultExt = ".txt";
    dialog.InitialDir = folder;
    EXPECT_NE(dialog.ApiFlags() & OFN_HIDEREADONLY, 0u);
    EXPECT_EQ(dialog.ApiFlags() & OFN_FILEMUSTEXIST, 0u);
    EXPECT_NE(dialog.ApiFlags() & OFN_EXPLORER, 0u);

    const std::string wanted = folder + "not-there.txt";
    DeleteFileA(wanted.c_str());
    std::atomic<bool> readOnlyShown{true};
    std::string filterShown;
    DialogAnswer answer([&](HWND box) {
        HWND readOnly = GetDlgItem(box, chx1);
        readOnlyShown = readOnly != nullptr && IsWindowVisible(readOnly);
        HWND types = automation::FindDescendant(box, cmb1);
        if (types != nullptr)
            filterShown = automation::ComboItems(types).at(0);
        automation::AnswerFileDialog(box, wanted);
    });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(answer.Error(), "");
    EXPECT_EQ(dialog.FileName, wanted);
    EXPECT_EQ(dialog.FilterIndex, 1);
    EXPECT_FALSE(readOnlyShown);
    EXPECT_EQ(filterShown, "Text Files (*.txt)");
}

TEST_F(DialogsTest, SaveDialogAddsTheDefaultExtensionAndOverwritesWithoutAsking)
{
    TSaveDialog dialog(nullptr);
    dialog.Filter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*";
    dialog.DefaultExt = ".txt";
    dialog.InitialDir = folder;
    EXPECT_EQ(dialog.ApiFlags() & OFN_OVERWRITEPROMPT, 0u);

    DialogAnswer plain([&](HWND box) { automation::AnswerFileDialog(box, folder + "letter"); });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(plain.Error(), "");
    EXPECT_EQ(dialog.FileName, folder + "letter.txt");

    // An existing file is taken as it is, with no question in between.
    const std::string existing = folder + "existing.txt";
    WriteFile(existing, "old");
    DialogAnswer overwrite([&](HWND box) { automation::AnswerFileDialog(box, existing); });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(overwrite.Error(), "");
    EXPECT_EQ(dialog.FileName, existing);
    EXPECT_EQ(automation::FindTopLevelWindow(automation::MessageBoxQuery().InThisProcess()), nullptr);
}

TEST_F(DialogsTest, CancelledDialogReportsFalseAndKeepsTheOldName)
{
    TOpenDialog dialog(nullptr);
    dialog.FileName = folder + "kept.txt";
    DialogAnswer cancel([](HWND box) { automation::CloseDialog(box, IDCANCEL); });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(cancel.Error(), "");
    EXPECT_EQ(dialog.FileName, folder + "kept.txt");
}

// ------------------------------------------------------------- font dialog

TEST_F(DialogsTest, FontDialogTakesTheChosenFontKeepsTheColourAndShowsNoEffects)
{
    TFontDialog dialog(nullptr);
    dialog.Font().SetName("MS Sans Serif");
    dialog.Font().SetHeight(-11);
    dialog.Font().SetColor(clWindowText);
    EXPECT_EQ(dialog.ApiFlags(), static_cast<DWORD>(CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT));

    std::atomic<bool> effectsShown{true};
    std::string startFace, chosenFace;
    DialogAnswer answer([&](HWND box) {
        HWND colour = GetDlgItem(box, cmb4);
        HWND underline = GetDlgItem(box, chx2);
        effectsShown = (colour != nullptr && IsWindowVisible(colour)) ||
                       (underline != nullptr && IsWindowVisible(underline));
        HWND faces = automation::FindDescendant(box, automation::kFontFaceComboId);
        startFace = automation::TextOf(faces);
        // A scalable face, so that any size can be had; which ones exist
        // depends on the machine.
        const auto offered = automation::ComboItems(faces);
        for (const char* face : {"Arial", "Tahoma", "Liberation Sans", "DejaVu Sans"}) {
            if (chosenFace.empty() && std::find(offered.begin(), offered.end(), face) != offered.end())
                chosenFace = face;
        }
        if (chosenFace.empty())
            throw automation::AutomationError("no scalable face to choose");
        automation::AnswerFontDialog(box, {chosenFace, "Bold", 12});
    });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(answer.Error(), "");
    EXPECT_FALSE(effectsShown);
    EXPECT_EQ(startFace, "MS Sans Serif");
    EXPECT_EQ(dialog.Font().Name(), chosenFace);
    EXPECT_TRUE(dialog.Font().Style().Contains(fsBold));
    EXPECT_FALSE(dialog.Font().Style().Contains(fsItalic));
    EXPECT_EQ(dialog.Font().Size(), 12);
    EXPECT_EQ(dialog.Font().Color(), clWindowText);

    DialogAnswer cancel([](HWND box) { automation::CloseDialog(box, IDCANCEL); });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(cancel.Error(), "");
    EXPECT_EQ(dialog.Font().Name(), chosenFace);
}

TEST_F(DialogsTest, DialogsOpenOverTheActiveForm)
{
    TForm* form = new TForm(&application);
    form->SetClientSize(200, 100);
    form->Show();
    application.ActiveFormHandle = form->Handle();
    EXPECT_EQ(DialogOwner(), form->Handle());

    TOpenDialog dialog(nullptr);
    std::atomic<HWND> owner{nullptr};
    DialogAnswer answer([&](HWND box) {
        owner = GetWindow(box, GW_OWNER);
        automation::CloseDialog(box, IDCANCEL);
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(answer.Error(), "");
    EXPECT_EQ(owner.load(), form->Handle());
}

// -------------------------------------------------------------------- help

TEST(HelpText, TopicsRunFromTheirMarkerToTheNextAndKeepTheirLines)
{
    const auto topics = ParseHelpText(
        "written by hand\r\n"
        "#topic 1 Vexil Help\r\n"
        "First line\r\n"
        "\r\n"
        "#topical is text\r\n"
        "\r\n"
        "#topic 20\n"
        "Other\n");
    ASSERT_EQ(topics.size(), 2u);
    EXPECT_EQ(topics[0].Context, 1);
    EXPECT_EQ(topics[0].Title, "Vexil Help");
    EXPECT_EQ(topics[0].Text, "First line\r\n\r\n#topical is text");
    EXPECT_EQ(topics[1].Context, 20);
    EXPECT_EQ(topics[1].Title, "");
    EXPECT_EQ(FindHelpTopic(topics, 20)->Text, "Other");
    EXPECT_EQ(FindHelpTopic(topics, 2), nullptr);
    EXPECT_EQ(HelpResourceName("vexil.hlp"), "VEXIL_HLP");
}

TEST_F(DialogsTest, HelpShowsTheTopicInOneReusedWindow)
{
    const std::string file = folder + "vexil.hlp";
    WriteFile(file, "#topic 1 Vexil Help\r\nHow to paint text.\r\n#topic 2\r\nKeys.\r\n");
    application.HelpFile = file;
    InstallHelpEngine(application);

    application.HelpContext(1);
    THelpWindow* window = THelpWindow::Instance();
    ASSERT_NE(window, nullptr);
    HWND handle = window->Handle();
    EXPECT_TRUE(IsWindowVisible(handle));
    EXPECT_EQ(automation::CaptionOf(handle), "Vexil Help");
    EXPECT_EQ(automation::TextOf(window->TextHandle()), "How to paint text.");
    const LONG_PTR style = GetWindowLongPtrA(window->TextHandle(), GWL_STYLE);
    EXPECT_NE(style & ES_READONLY, 0);
    EXPECT_NE(GetWindowLongPtrA(handle, GWL_STYLE) & WS_THICKFRAME, 0);

    // Closed, it comes back as the same window with the next topic.
    SendMessageA(handle, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(handle));
    ShowHelp(nullptr, file, 2);
    EXPECT_EQ(THelpWindow::Instance(), window);
    EXPECT_EQ(window->Handle(), handle);
    EXPECT_TRUE(IsWindowVisible(handle));
    EXPECT_EQ(automation::TextOf(window->TextHandle()), "Keys.");
    EXPECT_EQ(automation::CaptionOf(handle), "Vexil Help");
}

TEST_F(DialogsTest, MissingHelpFileOrTopicIsReportedInAMessageBox)
{
    const std::string file = folder + "short.hlp";
    WriteFile(file, "#topic 1 Short\r\nOnly one.\r\n");
    automation::MessageBoxContent topicBox, fileBox;
    automation::DialogAnswer noTopic = automation::ReadAndCloseMessageBox(topicBox);
    ShowHelp(nullptr, file, 7);
    EXPECT_EQ(noTopic.Error(), "");
    EXPECT_EQ(topicBox.caption, "Help");
    EXPECT_NE(topicBox.text.find("context 7"), std::string::npos) << topicBox.text;

    automation::DialogAnswer noFile = automation::ReadAndCloseMessageBox(fileBox);
    ShowHelp(nullptr, folder + "absent.hlp", 1);
    EXPECT_EQ(noFile.Error(), "");
    EXPECT_NE(fileBox.text.find("absent.hlp"), std::string::npos) << fileBox.text;
    EXPECT_EQ(THelpWindow::Instance(), nullptr);
}

}  // namespace
