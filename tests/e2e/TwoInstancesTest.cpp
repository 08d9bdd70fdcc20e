// Two running programs share the clipboard and the transfer file c:\txtbuff:
// what one copies the other pastes with its colours, in turn; and Copy and
// Paste running in both at once must never hand either program a text that
// neither copied, a part of one, or an error.
#include "soak/SoakRound.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

using e2e::Vexil;

namespace {

struct Side {
    std::unique_ptr<Vexil> app;
    std::string word;   // typed, and painted in these palette colours
    int text, back;
    std::string coded;  // its line as coded text: the saved line of a paste
};

// File, New, then the word typed and painted, and a paragraph break, so that
// a copy of the line pastes as exactly one line.
void Prepare(Side& side) {
    Vexil& app = *side.app;
    const std::vector<HWND> swatches = app.Swatches();
    e2e::ClickCentre(swatches.at(1));
    e2e::ClickCentre(swatches.at(0), e2e::Button::Right);
    soak::Run(app.Main(), soak::kNew);
    app.Type(side.word + "\n");
    soak::Select(app, 0, static_cast<int>(side.word.size()));
    e2e::ClickCentre(swatches.at(static_cast<size_t>(side.text)));
    e2e::ClickCentre(swatches.at(static_cast<size_t>(side.back)), e2e::Button::Right);
}

// The typed paragraph break stays black on white; a pasted one takes the
// style of the character before it.
const std::string kTypedBreak = "\x03" "01,00";

int LineLength(const Side& side) { return static_cast<int>(side.word.size()) + 1; }

// The saved lines, the codes that the walk past the end leaves dropped.
std::vector<std::string> SavedLines(Vexil& app) {
    const std::string saved = soak::Save(app, app.NewFile("two"));
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = saved.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(saved.substr(start, end - start));
    }
    EXPECT_TRUE(soak::SavedAs(saved.substr(start), "")) << "text after the last line: " << saved.substr(start);
    return lines;
}

class TwoInstances : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string words[2] = {"alpha alpha alpha alpha alpha alpha", "bravo bravo bravo bravo bravo bravo"};
        sides[0] = {std::make_unique<Vexil>(), words[0], 4, 0, "\x03" "04,00" + words[0]};
        sides[1] = {std::make_unique<Vexil>(), words[1], 2, 8, "\x03" "02,08" + words[1]};
        for (Side& side : sides) {
            Prepare(side);
        }
    }
    Side sides[2];
};

}  // namespace

TEST_F(TwoInstances, EachPastesWhatTheOtherCopiedWithItsColours) {
    for (int round = 0; round < 4; ++round) {
        Side& from = sides[round % 2];
        Side& to = sides[1 - round % 2];
        SCOPED_TRACE("round " + std::to_string(round) + ": " + from.word.substr(0, 5) + " copies");
        soak::Select(*from.app, 0, LineLength(from));
        soak::Run(from.app->Main(), soak::kCopy);
        EXPECT_EQ(soak::ClipboardText(), from.coded + kTypedBreak + "\r\n");
        soak::Select(*to.app, 100000, 100000);
        soak::Run(to.app->Main(), soak::kPaste);
        const std::vector<std::string> lines = SavedLines(*to.app);
        ASSERT_EQ(lines.size(), static_cast<size_t>(2 + round / 2)) << "its own line and one per paste";
        EXPECT_EQ(lines.front(), to.coded + kTypedBreak);
        EXPECT_EQ(lines.back(), from.coded) << "the pasted line";
    }
}

// Copy and Paste posted to both programs without waiting: each pasted line
// must be one of the two copied lines, no program may show an error, and a
// share of the pastes must bring the other program's line. A paste may
// insert nothing: while the other program is between emptying the clipboard
// and filling it, there is no text to paste.
TEST_F(TwoInstances, CopyAndPasteAtOnceInBothHandEachOnlyACopiedText) {
    constexpr int kRounds = 150;
    soak::Select(*sides[0].app, 0, LineLength(sides[0]));
    soak::Run(sides[0].app->Main(), soak::kCopy);
    std::map<std::string, int> boxes;  // "program: text" and how often
    bool lockSeen = false;             // the lock that running copies share, if they do
    auto closeBoxes = [&] {
        if (HANDLE lock = OpenMutexA(SYNCHRONIZE, FALSE, "Global\\Vexil.TransferFile")) {
            lockSeen = true;
            CloseHandle(lock);
        }
        for (Side& side : sides) {
            const automation::WindowQuery query = automation::MessageBoxQuery().InProcess(side.app->Process().Id());
            if (HWND box = automation::FindTopLevelWindow(query)) {
                ++boxes[side.word.substr(0, 5) + ": " + automation::ReadMessageBox(box).text];
                automation::CloseDialog(box, IDOK, soak::kWaitMs);
            }
        }
    };
    for (int round = 0; round < kRounds; ++round) {
        for (int step = 0; step < 4; ++step) {
            Side& side = sides[step % 2];
            HWND editor = side.app->Editor();
            const bool copy = step < 2;
            PostMessageA(editor, EM_SETSEL, copy ? 0 : 100000, copy ? LineLength(side) : 100000);
            soak::Post(side.app->Main(), copy ? soak::kCopy : soak::kPaste);
        }
        // Posted messages are handled in order: the mark shows all are done.
        for (Side& side : sides) {
            PostMessageA(side.app->Editor(), EM_SETSEL, 1, 2);
        }
        ASSERT_TRUE(automation::WaitUntil(
            [&] {
                closeBoxes();
                return sides[0].app->Selection() == std::make_pair(1, 2) &&
                       sides[1].app->Selection() == std::make_pair(1, 2);
            },
            soak::kWaitMs))
            << "round " << round;
    }
    closeBoxes();
    std::string shown;
    for (const auto& box : boxes) {
        shown += "\n  " + std::to_string(box.second) + " x " + box.first;
    }
    EXPECT_TRUE(boxes.empty()) << "error boxes in " << kRounds << " rounds:" << shown;
    int foreignPastes = 0;  // pastes, in either program, of the other one's copy
    for (Side& side : sides) {
        SCOPED_TRACE(side.word.substr(0, 5) + " pasted");
        const std::vector<std::string> lines = SavedLines(*side.app);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.front(), side.coded + kTypedBreak);
        EXPECT_LE(lines.size(), static_cast<size_t>(kRounds + 1)) << "at most one line per paste";
        int foreign = 0;
        for (size_t i = 1; i < lines.size(); ++i) {
            EXPECT_TRUE(lines[i] == sides[0].coded || lines[i] == sides[1].coded)
                << "paste " << i << " brought \"" << lines[i] << "\"";
            foreign += lines[i] != side.coded;
        }
        foreignPastes += foreign;
        RecordProperty(side.word.substr(0, 5) + "_pasted_other", foreign);
        RecordProperty(side.word.substr(0, 5) + "_pasted_nothing", kRounds + 1 - static_cast<int>(lines.size()));
    }
    RecordProperty("transfer_lock_seen", lockSeen ? "yes" : "no");
    // Each program copies just before the other pastes, so the other's text
    // arrives often (about 40 % of all pastes here); pastes that brought
    // nothing, or only a program's own text, would not show the exchange.
    EXPECT_GE(foreignPastes, 2 * kRounds / 10) << "of " << 2 * kRounds << " pastes";
}
