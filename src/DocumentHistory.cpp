#include "DocumentHistory.h"

#include "BulkExchange.h"

#include <windows.h>

#include <algorithm>
#include <exception>
#include <utility>

using codedtext::StyledText;

DocumentHistory::DocumentHistory(TCustomRich2Edit& edit, undo::Limits limits) : edit_(edit), history_(limits) {}

void DocumentHistory::Keep(int first, int caret, StyledText before, StyledText after, undo::Source source,
                           bool selectionMoved)
{
    // Only what changed; a change starts at the caret at the latest, so that
    // a letter typed beside its twin is kept where it was typed.
    codedtext::CommonEnds ends = codedtext::FindCommonEnds(before, after);
    ends.prefix = (std::min)(ends.prefix, static_cast<std::size_t>((std::max)(caret - first, 0)));
    ends.suffix = (std::min)(ends.suffix, (std::min)(before.Size(), after.Size()) - ends.prefix);
    undo::Change change;
    change.step.position = first + static_cast<std::int64_t>(ends.prefix);
    change.step.before = before.Slice(ends.prefix, before.Size() - ends.prefix - ends.suffix);
    change.step.after = after.Slice(ends.prefix, after.Size() - ends.prefix - ends.suffix);
    change.source = source;
    change.time = GetTickCount64();
    change.selectionMoved = selectionMoved;
    history_.Record(std::move(change));
}

void DocumentHistory::Record(int first, int last, const std::function<void()>& change)
{
    const int length = edit_.TextLength();
    first = std::clamp(first, 0, length);
    last = std::clamp(last, first, length);
    StyledText before = bulk::ReadStyled(edit_, first, last, kind_);
    const auto keep = [&] {
        // Whatever the change inserted or removed, it did so in its range.
        const int end = last + edit_.TextLength() - length;
        if (end < first) {
            history_.Forget();
            return;
        }
        Keep(first, first, std::move(before), bulk::ReadStyled(edit_, first, end, kind_), undo::Source::Command,
             true);
    };
    try {
        change();
    } catch (...) {
        // What the change did before it failed stays done, and undoable.
        try {
            keep();
        } catch (...) {
            history_.Forget();
        }
        leftAt_ = CHARRANGE{-1, -1};
        throw;
    }
    keep();
    leftAt_ = CHARRANGE{-1, -1};
}

void DocumentHistory::RecordInput(TEditReach reach, const std::function<void()>& apply)
{
    const int start = edit_.SelectionStart();
    const int end = start + edit_.SelectionLength();
    const bool moved = start != leftAt_.cpMin || end != leftAt_.cpMax;
    const int length = edit_.TextLength();
    // Two positions either side: a character that overtypes or is deleted
    // may be a surrogate pair.
    CHARRANGE window{start, end};
    switch (reach) {
    case erTyped:
    case erForward: window.cpMax = end + 2; break;
    case erBackward: window.cpMin = start - 2; break;
    case erLines: window = edit_.LinesAround(start, end); break;
    }
    const int first = std::clamp<int>((std::min<LONG>)(window.cpMin, start), 0, length);
    const int last = std::clamp<int>((std::max<LONG>)(window.cpMax, end), first, length);
    StyledText before = bulk::ReadStyled(edit_, first, last, kind_);
    try {
        apply();
    } catch (...) {
        history_.Forget();
        throw;
    }
    const int changedLast = last + edit_.TextLength() - length;
    if (changedLast < first) {
        // The control changed more than the input could reach: nothing holds
        // what was there.
        history_.Forget();
        return;
    }
    StyledText after = bulk::ReadStyled(edit_, first, changedLast, kind_);
    undo::Source source = undo::Source::Typing;
    if (reach == erBackward || reach == erForward || (reach == erLines && after.Size() < before.Size()))
        source = undo::Source::Deleting;
    else if (reach == erLines)
        source = undo::Source::Command;
    Keep(first, start, std::move(before), std::move(after), source, moved);
    leftAt_ = CHARRANGE{edit_.SelectionStart(), edit_.SelectionStart() + edit_.SelectionLength()};
}

void DocumentHistory::Apply(std::int64_t position, const StyledText& now, const StyledText& wanted)
{
    const int first = static_cast<int>(position);
    edit_.SelectRange(first, first + static_cast<int>(now.Size()));
    bulk::ReplaceStyled(edit_, wanted, kind_);
    edit_.SelectRange(first, first + static_cast<int>(wanted.Size()));
    edit_.ScrollCaret();
    leftAt_ = CHARRANGE{-1, -1};
}

void DocumentHistory::Undo()
{
    if (const undo::Step* step = history_.NextUndo()) {
        Apply(step->position, step->after, step->before);
        history_.Undone();
    }
}

void DocumentHistory::Redo()
{
    if (const undo::Step* step = history_.NextRedo()) {
        Apply(step->position, step->before, step->after);
        history_.Redone();
    }
}

void DocumentHistory::Clear()
{
    history_.Clear();
    leftAt_ = CHARRANGE{-1, -1};
}
