// Styled text in RTF, as far as the editor exchanges it with the rich text
// control in bulk: fragments that the control streams in at the caret, and
// the styles read back from what the control streams out. Nothing here
// touches a window; the main window's engine decides what goes through here
// and checks what comes back against the control's own text.
#pragma once

#include "CodedText.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rtftext {

using codedtext::CharStyle;
using codedtext::Color;

// Builds an RTF fragment from insertions at the caret: a style for what
// follows, text, paragraph breaks. Until the first style the fragment states
// none, so its first text and breaks take the style at the caret; after
// that every change of bold, underline and colour is stated, and nothing else
// (font, size, paragraph) ever is.
class FragmentWriter {
public:
    // codePage: the code page of the bytes given to Text (the ANSI code page
    // of the control's text).
    explicit FragmentWriter(unsigned codePage);

    void SetStyle(const CharStyle& style);
    // Bytes of one line; every byte is stated as it is, none is interpreted.
    void Text(std::string_view bytes);
    void Break();

    bool Empty() const noexcept { return body_.empty(); }
    // The whole fragment; the writer is empty afterwards and states the last
    // style again before its next text.
    std::string Take();

private:
    unsigned ColorIndex(Color color);
    void ControlWord(const char* word, int parameter = -1);

    unsigned codePage_;
    std::string body_;
    std::vector<Color> colors_;  // colour table entries 1.. in order
    std::optional<CharStyle> stated_;
    std::optional<CharStyle> last_;
    bool pendingDelimiter_ = false;
};

// The character properties that RTF states for one character. A colour is
// absent where the RTF leaves it to the control (automatic, or an index the
// colour table does not hold).
struct RtfStyle {
    bool bold = false;
    bool underline = false;
    std::optional<Color> text;
    std::optional<Color> back;
};

// Text as UTF-16 code units, the control's own positions.
using Units = std::wstring;

struct RtfRun {
    RtfStyle style;
    Units text;  // a paragraph break is one CR
};

// Reads the document text of RTF as the control writes it: groups, control
// words and symbols, hexadecimal and Unicode characters, the colour table,
// and bold, underline, text and background colour. Destinations other than
// the document text (font table, style sheet, information, pictures,
// ignorable groups) are skipped. Raises std::runtime_error on RTF that is
// not well formed.
std::vector<RtfRun> ReadRuns(std::string_view rtf);

// Matches the characters of runs, in order, to the control's text units:
// where they agree, that position takes the run's style. A position whose
// character the RTF left out stays unknown (the control writes some control
// characters not at all). Returns no result when the RTF holds characters
// that cannot be matched, apart from one paragraph break after the last
// position, so that nothing is ever guessed.
std::optional<std::vector<std::optional<CharStyle>>> MatchStyles(const std::vector<RtfRun>& runs,
                                                                  std::wstring_view units);

}  // namespace rtftext
