// The program started from a folder that holds other files beside it, as a
// downloads folder does: what lies there must not stand in for the system's
// libraries or the program's own help.
#include "e2e/E2eSupport.h"

#include <gtest/gtest.h>

#include <string>

using automation::AutomationError;
using e2e::Vexil;

namespace {

// A copy of vexil.exe in a fresh folder with one more file beside it; the
// folder goes again with this object.
class ProgramCopy {
public:
    ProgramCopy(const std::string& name, const std::string& bytes)
        : folder_(e2e::TempPath("folder")), beside_(folder_ + "\\" + name) {
        if (!CreateDirectoryA(folder_.c_str(), nullptr) ||
            !CopyFileA(automation::ProgramBeside("vexil.exe").c_str(), Program().c_str(), TRUE)) {
            throw AutomationError("cannot copy vexil.exe to " + folder_);
        }
        e2e::WriteFileBytes(beside_, bytes);
    }
    ~ProgramCopy() {
        DeleteFileA(Program().c_str());
        DeleteFileA(beside_.c_str());
        RemoveDirectoryA(folder_.c_str());
    }
    ProgramCopy(const ProgramCopy&) = delete;
    ProgramCopy& operator=(const ProgramCopy&) = delete;

    std::string Program() const { return folder_ + "\\vexil.exe"; }

private:
    std::string folder_;
    std::string beside_;
};

}  // namespace

TEST(ProgramFolder, AnEmptyRichEditLibraryBesideTheProgramIsNotLoaded) {
    ProgramCopy copy("riched20.dll", "");
    Vexil app(copy.Program());
    app.FileNew();
    app.Type("abc");
    EXPECT_EQ(app.SaveBytes(), "abc");
}

TEST(ProgramFolder, AnOldBinaryHelpFileBesideTheProgramLeavesTheBuiltInHelp) {
    // The old help engine's format: its magic number, the directory's offset
    // and binary data.
    ProgramCopy copy("vexil.hlp", std::string("\x3F\x5F\x03\x00\x10\x00\x00\x00", 8) + std::string(64, '\xFF'));
    Vexil app(copy.Program());
    app.Menu("h");
    HWND help = automation::WaitForWindow(
        automation::WindowQuery().WithCaption("Vexil Help").InProcess(app.Process().Id()), 15000);
    const std::string text = automation::TextOf(automation::FindDescendantByClass(help, "THelpText"));
    EXPECT_NE(text.find("Vexil - the colour-coded text editor"), std::string::npos) << text;
}
