// The undo history on its own: which keystrokes join one step, where the
// saved state is, and which steps go when the history is full.
#include "UndoHistory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using codedtext::CharStyle;
using codedtext::StyledText;
using undo::Change;
using undo::History;
using undo::Source;

namespace {

const CharStyle Plain{}, Red{false, false, 0x0000FF, 0xFFFFFF};

StyledText Text(const std::u16string& units, const CharStyle& style = Plain)
{
    StyledText text;
    for (const char16_t unit : units)
        text.Add(unit, style);
    return text;
}

Change Typed(std::int64_t position, const std::u16string& units, std::uint64_t time, Source source = Source::Typing)
{
    Change change;
    change.step.position = position;
    change.step.after = Text(units);
    change.source = source;
    change.time = time;
    return change;
}

Change Deleted(std::int64_t position, const std::u16string& units, std::uint64_t time)
{
    Change change;
    change.step.position = position;
    change.step.before = Text(units);
    change.source = Source::Deleting;
    change.time = time;
    return change;
}

}  // namespace

TEST(UndoHistory, GroupsKeystrokesByWordPauseSelectionAndKind)
{
    struct Case {
        const char* name;
        std::vector<Change> changes;
        std::size_t steps;
    };
    Change moved = Typed(2, u"c", 20);
    moved.selectionMoved = true;
    const std::vector<Case> cases = {
        {"letters typed on", {Typed(0, u"a", 0), Typed(1, u"b", 10), Typed(2, u"c", 20)}, 1},
        {"a blank ends a word", {Typed(0, u"a", 0), Typed(1, u" ", 10), Typed(2, u"b", 20)}, 2},
        {"blanks after a word join it", {Typed(0, u"a", 0), Typed(1, u" ", 10), Typed(2, u" ", 20)}, 1},
        {"a pause", {Typed(0, u"a", 0), Typed(1, u"b", 10 + undo::TypingPauseMs + 1)}, 2},
        {"elsewhere", {Typed(0, u"a", 0), Typed(5, u"b", 10)}, 2},
        {"selection moved", {Typed(0, u"a", 0), Typed(1, u"b", 10), moved}, 2},
        {"commands never join", {Typed(0, u"a", 0, Source::Command), Typed(1, u"b", 10, Source::Command)}, 2},
        {"typing, then deleting", {Typed(0, u"ab", 0), Deleted(1, u"b", 10)}, 2},
        {"backspaces", {Deleted(4, u"d", 0), Deleted(3, u"c", 10), Deleted(2, u"b", 20)}, 1},
        {"deletes", {Deleted(2, u"c", 0), Deleted(2, u"d", 10)}, 1},
    };
    for (const Case& c : cases) {
        History history;
        for (const Change& change : c.changes)
            history.Record(change);
        EXPECT_EQ(history.Steps(), c.steps) << c.name;
    }

    // Joined steps undo as the whole they make.
    History history;
    for (const Change& change : {Deleted(4, u"d", 0), Deleted(3, u"c", 10), Deleted(5, u"x", 20)})
        history.Record(change);
    ASSERT_EQ(history.Steps(), 2u);
    history.Undone();
    ASSERT_NE(history.NextUndo(), nullptr);
    EXPECT_EQ(history.NextUndo()->position, 3);
    EXPECT_EQ(history.NextUndo()->before.Units(), u"cd");
}

TEST(UndoHistory, ModifiedUntilUndoOrRedoComesBackToTheSavedState)
{
    History history;
    EXPECT_FALSE(history.Modified());
    history.Record(Typed(0, u"a", 0));
    EXPECT_TRUE(history.Modified());
    history.MarkSaved();
    EXPECT_FALSE(history.Modified());
    history.Record(Typed(1, u"b", 10));  // after a save: a step of its own
    EXPECT_EQ(history.Steps(), 2u);
    history.Undone();
    EXPECT_FALSE(history.Modified());
    history.Undone();
    EXPECT_TRUE(history.Modified());
    history.Redone();
    EXPECT_FALSE(history.Modified());
    history.Redone();
    EXPECT_FALSE(history.CanRedo());

    // A new change after undoing past the save drops what could be redone,
    // and the saved state with it.
    history.Undone();
    history.Undone();
    history.Record(Typed(0, u"z", 100, Source::Command));
    EXPECT_FALSE(history.CanRedo());
    history.Undone();
    EXPECT_TRUE(history.Modified()) << "the saved state lies on the branch that went";

    // A command that changes nothing changes nothing.
    History unchanged;
    unchanged.Record(Change{});
    EXPECT_EQ(unchanged.Steps(), 0u);
    EXPECT_FALSE(unchanged.Modified());
    unchanged.Forget();
    EXPECT_TRUE(unchanged.Modified());
    unchanged.Clear();
    EXPECT_FALSE(unchanged.Modified());
}

TEST(UndoHistory, DropsTheOldestStepsPastItsLimits)
{
    History counted(undo::Limits{100, std::size_t{1} << 30});
    counted.MarkSaved();
    for (int i = 0; i < 150; ++i)
        counted.Record(Typed(i, u"x", 0, Source::Command));
    EXPECT_EQ(counted.Steps(), 100u);
    while (counted.CanUndo())
        counted.Undone();
    EXPECT_TRUE(counted.Modified()) << "the saved state was among the steps dropped";
    EXPECT_EQ(counted.NextRedo()->position, 50);

    // Bytes: big pastes push the old ones out, but the newest always stays.
    const std::u16string big(100000, u'x');
    History sized(undo::Limits{1000, 500000});
    for (int i = 0; i < 10; ++i)
        sized.Record(Typed(0, big, 0, Source::Command));
    EXPECT_LE(sized.Bytes(), 500000u);
    EXPECT_GE(sized.Steps(), 1u);
    History tiny(undo::Limits{1000, 10});
    tiny.Record(Typed(0, big, 0, Source::Command));
    EXPECT_EQ(tiny.Steps(), 1u);
}

TEST(StyledText, SlicesAndFindsWhatTwoTextsShare)
{
    StyledText text = Text(u"ab");
    text.Append(Text(u"cd", Red));
    EXPECT_EQ(text.Runs().size(), 2u);
    EXPECT_EQ(text.Slice(1, 2), [] {
        StyledText expected = Text(u"b");
        expected.Add(u'c', Red);
        return expected;
    }());
    EXPECT_EQ(text.StyleAt(3), Red);

    struct Case {
        StyledText a, b;
        std::size_t prefix, suffix;
    };
    StyledText redB = Text(u"a");
    redB.Add(u'b', Red);
    redB.Append(Text(u"c"));
    const std::vector<Case> cases = {
        {Text(u"abc"), Text(u"abc"), 3, 0},  {Text(u"abc"), Text(u"axc"), 1, 1}, {Text(u"abc"), Text(u"ac"), 1, 1},
        {Text(u"aa"), Text(u"aaa"), 2, 0},   {Text(u"abc"), redB, 1, 1},         {Text(u""), Text(u"x"), 0, 0},
    };
    for (const Case& c : cases) {
        const codedtext::CommonEnds ends = codedtext::FindCommonEnds(c.a, c.b);
        EXPECT_EQ(ends.prefix, c.prefix) << std::string(c.a.Units().begin(), c.a.Units().end());
        EXPECT_EQ(ends.suffix, c.suffix) << std::string(c.a.Units().begin(), c.a.Units().end());
    }
}
