// The font a Unicode document is shown in. Fixedsys, the editor's font, has
// no block elements or box drawing: every one of them comes out as the same
// default glyph. So, once, the installed TrueType faces are measured, and
// the one chosen draws every such character with a glyph of its own at the
// advance of its letters (so that art stays in its columns), at the size
// whose character cell is nearest Fixedsys's. Faces are judged by what they
// draw, never by their names: a system asked for a face it lacks silently
// hands out another, often a proportional one.
#pragma once

#include "winlib/Graphics.h"

#include <optional>
#include <string>

namespace artfont {

// A character cell in pixels.
struct Cell {
    int width = 0;
    int height = 0;
};

constexpr bool operator==(Cell a, Cell b) { return a.width == b.width && a.height == b.height; }
constexpr bool operator!=(Cell a, Cell b) { return !(a == b); }

// A face chosen for art, as a TFont describes it.
struct ArtFace {
    std::string name;  // in the ANSI code page, as TFont takes it
    int height = 0;    // TFont::Height: negative, pixels without internal leading
    Cell cell;         // the advance of its letters, and its line height
};

// The cell a font realises on the screen: its average character width and
// its height (tmAveCharWidth, tmHeight).
Cell MeasureCell(const winlib::TFont& font);

// The cell of a font that draws the block elements U+2580-259F, the black
// square U+25A0 and the box drawing U+2500-257F each with a glyph of its
// own, and those and the printable ASCII characters all at the advance of
// 'M'; empty for any other font.
std::optional<Cell> ArtCell(const winlib::TFont& font);

// The installed face whose ArtCell, at some size, comes nearest the cell of
// reference (the editor's Fixedsys); among equally near ones the first by
// name, then the smaller. Empty when no face qualifies: the caller then keeps
// its font. Measuring every face is slow, so the answer is searched once for
// each reference cell and remembered.
const std::optional<ArtFace>& ArtFaceNear(const winlib::TFont& reference);

// Makes font describe the face (name, height, fixed pitch, any character
// set); its style and colour stay.
void ApplyTo(winlib::TFont& font, const ArtFace& face);

}  // namespace artfont
