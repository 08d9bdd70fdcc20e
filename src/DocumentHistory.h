// The document's undo history, kept on the editor: every change is read off
// the control before and after it (the engine's commands, and the keys the
// control acts on itself), and undo and redo are put back into it.
#pragma once

#include "BulkChecks.h"
#include "CustomRich2edit.h"
#include "UndoHistory.h"

#include <functional>

class DocumentHistory {
public:
    explicit DocumentHistory(TCustomRich2Edit& edit, undo::Limits limits = undo::Limits{});
    DocumentHistory(const DocumentHistory&) = delete;
    DocumentHistory& operator=(const DocumentHistory&) = delete;

    // What the document's text is, for reading it off the control.
    void SetTextKind(bulk::TextKind kind) noexcept { kind_ = kind; }
    // What the document is besides its text (its encoding), which a change
    // may change and undo puts back.
    void TrackDocumentKind(std::function<int()> get, std::function<void(int)> set);

    // Runs change, which replaces or restyles the positions first .. last - 1,
    // and keeps it as one step; also when it fails part way, since what it did
    // stays done.
    void Record(int first, int last, const std::function<void()>& change);
    // Input that the control acts on itself (apply lets it act), within reach
    // of the selection; typing joins the step before it as Windows editors
    // group it.
    void RecordInput(TEditReach reach, const std::function<void()>& apply);

    bool CanUndo() const noexcept { return history_.CanUndo(); }
    bool CanRedo() const noexcept { return history_.CanRedo(); }
    // Each leaves the place it changed selected and in view.
    void Undo();
    void Redo();

    bool Modified() const noexcept { return history_.Modified(); }
    void MarkSaved() { history_.MarkSaved(); }
    // A new or a loaded document.
    void Clear();

    const undo::History& Steps() const noexcept { return history_; }

private:
    // The change of the positions from first, which held before and hold
    // after; the selection started at caret.
    void Keep(int first, int caret, codedtext::StyledText before, codedtext::StyledText after, undo::Source source,
              bool selectionMoved, int kindBefore);
    void Apply(std::int64_t position, const codedtext::StyledText& now, const codedtext::StyledText& wanted,
               int wantedKind);
    int DocumentKind() const { return getKind_ ? getKind_() : 0; }

    TCustomRich2Edit& edit_;
    undo::History history_;
    bulk::TextKind kind_ = bulk::TextKind::EightBit;
    std::function<int()> getKind_;
    std::function<void(int)> setKind_;
    // Where the last change left the selection, to tell whether the user
    // has moved it since.
    CHARRANGE leftAt_{-1, -1};
};
