#include "DocumentHistory.h"

#include "BulkExchange.h"

#include <windows.h>

#include <algorithm>
#include <exception>
#include <utility>

using codedtext::StyledText;

DocumentHistory::DocumentHistory(TCustomRich2Edit& edit, undo::Limits limits) : edit_(edit), history_(limits) {}

void DocumentHistory::TrackDocumentKind(std::function<int()> get, std::function<void(int)> set)
{
    getKind_ = std::move(get);
    setKind_ = std::move(set);
}

void DocumentHistory::Keep(int first, int caret, StyledText before, StyledText after, undo::Source source,
                           bool selectionMoved, int kindBefore)
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
    change.step.kindBefore = kindBefore;
    change.step.kindAfter = DocumentKind();
    history_.Record(std::move(change));
}

void DocumentHistory::Record(int first, int last, const std::function<void()>& change)
{
    const int length = edit_.TextLength();
    first = std::clamp(first, 0, length);
    last = std::clamp(last, first, length);
    StyledText before = bulk::ReadStyled(edit_, first, last, kind_);
    const int kindBefore = DocumentKind();
    const auto keep = [&] {
        // Whatever the change inserted or removed, it did so in its range.
        const int end = last + edit_.TextLength() - length;
        if (end < first) {
            history_.Forget();
            return;
        }
        Keep(first, first, std::move(before), bulk::ReadStyled(edit_, first, end, kind_), undo::Source::Command,
             true, kindBefore);
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
    // A key typed at a caret only inserts: nothing needs reading before it,
    // which keeps typing as quick in a long document as in a short one.
    const bool inserts = reach == erTyped && start == end && !edit_.Overtype();
    if (inserts)
        window = CHARRANGE{start, start};
    const int first = std::clamp<int>((std::min<LONG>)(window.cpMin, start), 0, length);
    const int last = std::clamp<int>((std::max<LONG>)(window.cpMax, end), first, length);
    StyledText before = inserts ? StyledText() : bulk::ReadStyled(edit_, first, last, kind_);
    try {
        apply();
    } catch (...) {
        history_.Forget();
        throw;
    }
    const int changedLast = last + edit_.TextLength() - length;
    // The control changed more than the input could reach (overtyped where
    // it seemed to insert): nothing holds what was there.
    if (changedLast < first || (inserts && changedLast != edit_.SelectionStart())) {
        history_.Forget();
        leftAt_ = CHARRANGE{-1, -1};
        return;
    }
    StyledText after = bulk::ReadStyled(edit_, first, changedLast, kind_);
    undo::Source source = undo::Source::Typing;
    if (reach == erBackward || reach == erForward || (reach == erLines && after.Size() < before.Size()))
        source = undo::Source::Deleting;
    else if (reach == erLines)
        source = undo::Source::Command;
    Keep(first, start, std::move(before), std::move(after), source, moved, DocumentKind());
    leftAt_ = CHARRANGE{edit_.SelectionStart(), edit_.SelectionStart() + edit_.SelectionLength()};
}

void DocumentHistory::Apply(std::int64_t position, const StyledText& now, const StyledText& wanted, int wantedKind)
{
    // The document's kind first, so that its text comes back as such.
    if (setKind_ && wantedKind != DocumentKind())
        setKind_(wantedKind);
    const int first = static_cast<int>(position);
    bulk::ReplaceStyled(edit_, first, first + static_cast<int>(now.Size()), wanted, kind_);
    edit_.ScrollCaret();
    leftAt_ = CHARRANGE{-1, -1};
}

void DocumentHistory::Undo()
{
    if (const undo::Step* step = history_.NextUndo()) {
        Apply(step->position, step->after, step->before, step->kindBefore);
        history_.Undone();
    }
}

void DocumentHistory::Redo()
{
    if (const undo::Step* step = history_.NextRedo()) {
        Apply(step->position, step->before, step->after, step->kindAfter);
        history_.Redone();
    }
}

void DocumentHistory::Clear()
{
    history_.Clear();
    leftAt_ = CHARRANGE{-1, -1};
}
