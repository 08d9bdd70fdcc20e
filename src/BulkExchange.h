// The engine's writer and reader, brought to the rich text control in bulk.
//
// The writer and the reader are defined one position and one character at
// a time; done so literally they cost several messages, each with a redraw
// or a scroll, for every character. Here the same results come in bulk: the
// reader streams RTF fragments in at the caret, the writer reads the
// positions' styles from the control's own RTF and their text from its
// Unicode text. Only what the control was seen to do faithfully goes the
// bulk route (BulkChecks); wherever that cannot tell, the position or the
// character takes the literal route.
#pragma once

#include "BulkChecks.h"
#include "CodedText.h"
#include "CustomRich2edit.h"
#include "StyledText.h"

#include <string>
#include <string_view>

namespace bulk {

// The coded text of the editor's positions start .. start + count - 1, as
// the writer makes it walking them one at a time: every position's style
// compared with the running one, a paragraph break ending a line, and the
// positions past the end read as the control limits them. The selection
// and the view are left as they were.
std::string WriteCoded(TCustomRich2Edit& edit, const codedtext::Palette& palette, int start, int count);
// The same for a Unicode document: the positions' UTF-16 units, with codes as
// UTF-16 units.
std::u16string WriteUnicodeCoded(TCustomRich2Edit& edit, const codedtext::Palette& palette, int start, int count);

// Inserts the lines of a file's bytes at the editor's caret, as the reader
// inserts them one character at a time: the lines split by the runtime's
// text file rules, each character in the style its codes give, each line
// ended by a paragraph break. What was inserted before a failure stays. The
// insertions leave no undo steps.
void ReadCoded(TCustomRich2Edit& edit, const codedtext::Palette& palette, std::string_view bytes);
// The same for Unicode text: its lines split on its characters, and each
// character inserted as itself.
void ReadCoded(TCustomRich2Edit& edit, const codedtext::Palette& palette, std::u16string_view text);

// The units and styles of the positions first .. last - 1 (within the
// text), read as the writer reads them: from the control's RTF as far as it
// is trusted, asked for otherwise. The selection and the view stay.
codedtext::StyledText ReadStyled(TCustomRich2Edit& edit, int first, int last, TextKind kind);
// Replaces the positions first .. last - 1 with text, every position in its
// own style, paragraph breaks included, in bulk where the control brings
// that in as it is and literally where it does not, and leaves it selected;
// only what changed is painted anew. The control records no undo step of
// its own.
void ReplaceStyled(TCustomRich2Edit& edit, int first, int last, const codedtext::StyledText& text, TextKind kind);

}  // namespace bulk
