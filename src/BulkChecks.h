// The checks that let the engine's bulk reader and writer stand in for the
// literal algorithms on any rich edit control. What the control's own RTF
// says of a text, what it makes of a fragment streamed in, and what its 8-bit
// text is, are compared once per font with what it reports position by
// position on a hidden probe document; only what agreed there is taken
// without asking. The reader also reads back every fragment it inserted.
// A check that fails never fails the user: it only costs speed.
#pragma once

#include "CodedText.h"
#include "RtfText.h"

#include <windows.h>
#include <richedit.h>

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace bulk {

using codedtext::CharStyle;

// The text a document holds: bytes of the 8-bit code page, or Unicode
// characters beyond it, which the control's RTF may state otherwise.
enum class TextKind { EightBit, Unicode };

// The one record the engine exchanges with the control: bold, underline and
// the two colours, never anything else. uniform tells whether every
// character of the selection has the style read.
CharStyle SelectionStyle(HWND window, bool* uniform = nullptr);
// target: SCF_SELECTION (the selection, or the caret's next text) or SCF_DEFAULT.
void SetSelectionStyle(HWND window, const CharStyle& style, WPARAM target);

// The control's RTF of its selection in form (the flags of EM_STREAMOUT),
// and a fragment streamed in at its selection: the only ways RTF passes
// between the bulk paths and a control.
std::string SelectionRtf(HWND window, WPARAM form = SF_RTF);
// The runs of the control's RTF of its selection; raises
// rtftext::EMalformedRtf when that RTF cannot be read.
std::vector<rtftext::RtfRun> SelectionRuns(HWND window, WPARAM form = SF_RTF);
void StreamFragment(HWND window, std::string rtf);

// What the bulk paths may take from controls of one kind with text in one font.
class Profile {
public:
    // Takes everything on trust: the checks switched off.
    static std::shared_ptr<const Profile> Unchecked(TextKind kind = TextKind::EightBit);

    // What the control's RTF, read in RtfForm, states faithfully.
    const rtftext::Faithful& Rtf() const noexcept { return rtf_; }
    WPARAM RtfForm() const noexcept { return rtfForm_; }
    // The bytes that the selected text of a position holding unit reads as;
    // none when not known.
    std::optional<std::string_view> SelectedText(wchar_t unit) const;
    // The unit that inserting byte makes, where a fragment makes the same in
    // the same style; 0 where the byte must be inserted literally.
    wchar_t FragmentCharacter(char byte) const { return fragmentCharacters_[static_cast<unsigned char>(byte)]; }
    // Whether a fragment makes a paragraph break as inserting CR LF does.
    bool FragmentBreaks() const noexcept { return fragmentBreaks_; }
    // Whether what the reader inserted is read back and compared.
    bool Checked() const noexcept { return checked_; }

private:
    friend std::shared_ptr<const Profile> Calibrate(const CHARFORMAT2A& font, TextKind kind);

    rtftext::Faithful rtf_;
    WPARAM rtfForm_ = SF_RTF;
    std::array<std::optional<std::string>, 256> lowText_{};        // units below 256
    std::vector<std::pair<wchar_t, std::string>> highText_;        // the others, sorted
    std::array<wchar_t, 256> fragmentCharacters_{};
    bool fragmentBreaks_ = false;
    bool checked_ = true;
};

// The profile for text of kind in the font of the window's selection (at a
// caret, of what would be typed there), found once for each font and kind:
// for Unicode text the probe also holds characters beyond every 8-bit code
// page, and the RTF is read in the form that states them faithfully. None
// when the selection mixes fonts or the probe could not be made: then
// nothing is taken without asking.
std::shared_ptr<const Profile> ProfileForSelection(HWND window, TextKind kind = TextKind::EightBit);

// The positions first .. last - 1 cut where the font changes, each stretch
// with the profile of its font. The selection is left anywhere.
struct FontRun {
    LONG first, last;
    std::shared_ptr<const Profile> profile;
};
std::vector<FontRun> FontRuns(HWND window, LONG first, LONG last, TextKind kind);

// One insertion that the reader brought in through a fragment: a byte, a
// paragraph break, or a UTF-16 unit of Unicode text stated as itself, in the
// style stated for it.
struct Insertion {
    char byte;
    bool isBreak;
    CharStyle style;
    wchar_t unit = 0;  // none: the byte

    // Whether it makes a position (a NUL inserts nothing).
    bool Positions() const noexcept { return isBreak || byte != '\0' || unit != 0; }
};

// The first of the insertions that the text units and styles read back from
// where they went do not show; insertions.size() when all are there. A NUL
// byte inserts nothing; a unit stated as itself must come back as itself.
std::size_t FirstMissing(const std::vector<Insertion>& insertions, std::wstring_view units,
                         const std::vector<CharStyle>& styles, const Profile& profile);

// Tests and the benchmark only; nothing here is used otherwise, and unset
// it costs nothing.
namespace testing {

enum class Way { Out, In };
// Alters every RTF that passes between the bulk paths and a control: what a
// control writes (Out), before it is read, and every fragment (In), before a
// control reads it; so a test plays a control that writes and reads RTF its
// own way. Forgets every profile found.
void AlterRtf(std::function<void(Way, std::string&)> alteration);
// With the checks off every profile is Unchecked().
void SetChecks(bool on);
// The next use of each font finds its profile anew.
void ForgetProfiles();

}  // namespace testing

}  // namespace bulk
