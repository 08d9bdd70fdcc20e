// Colours, fonts, brushes and pens; their GDI handles are held by the
// scoped owners of Scoped.h.
#pragma once

#include "winlib/Components.h"
#include "winlib/Scoped.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

namespace winlib {

// A COLORREF 0x00BBGGRR, or a system colour: 0x80000000 plus its index.
using TColor = std::uint32_t;

constexpr TColor clSystemColor = 0x80000000u;
constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;  // 0x80000008
constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;          // 0x80000005
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clBtnText = clSystemColor | COLOR_BTNTEXT;
constexpr TColor clHighlight = clSystemColor | COLOR_HIGHLIGHT;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;

// Turns a system colour into its current RGB value; other values pass unchanged.
COLORREF ColorToRGB(TColor color);

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };

// A set of font styles.
class TFontStyles {
public:
    constexpr TFontStyles() = default;
    TFontStyles(std::initializer_list<TFontStyle> styles)
    {
        for (TFontStyle style : styles)
            Include(style);
    }
    bool Contains(TFontStyle style) const { return (bits_ & Bit(style)) != 0; }
    void Include(TFontStyle style) { bits_ = static_cast<std::uint8_t>(bits_ | Bit(style)); }
    void Exclude(TFontStyle style) { bits_ = static_cast<std::uint8_t>(bits_ & ~Bit(style)); }
    bool Empty() const { return bits_ == 0; }
    bool operator==(TFontStyles other) const { return bits_ == other.bits_; }
    bool operator!=(TFontStyles other) const { return bits_ != other.bits_; }

private:
    static constexpr std::uint8_t Bit(TFontStyle style) { return static_cast<std::uint8_t>(1u << style); }
    std::uint8_t bits_ = 0;
};

enum TFontPitch { fpDefault, fpVariable, fpFixed };

// Pixels per logical inch of the screen, read once.
int ScreenPixelsPerInch();

// A logical font description; the GDI font is made when first asked for and
// kept until the description changes.
class TFont : public TPersistent {
public:
    TFont();
    const char* ClassName() const override { return "TFont"; }
    void Assign(const TPersistent* source) override;

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name);
    // Negative: character height in pixels without internal leading.
    int Height() const { return height_; }
    void SetHeight(int height);
    // In points, derived from Height at the screen's resolution.
    int Size() const;
    void SetSize(int points);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch pitch);
    BYTE Charset() const { return charset_; }
    void SetCharset(BYTE charset);
    TColor Color() const { return color_; }
    void SetColor(TColor color);

    HFONT Handle() const;
    LOGFONTA LogFont() const;
    // Takes face, height, style, pitch and character set from a LOGFONT.
    void SetLogFont(const LOGFONTA& logFont);

    // Called after every change of the description.
    std::function<void()> OnChange;

private:
    void Changed();

    std::string name_ = "MS Sans Serif";
    int height_ = -11;
    TFontStyles style_;
    TFontPitch pitch_ = fpDefault;
    BYTE charset_ = DEFAULT_CHARSET;
    TColor color_ = clWindowText;
    mutable FontHandle handle_;
};

class TBrush : public TPersistent {
public:
    const char* ClassName() const override { return "TBrush"; }
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    HBRUSH Handle() const;
    std::function<void()> OnChange;

private:
    TColor color_ = clWhite;
    mutable BrushHandle handle_;
};

class TPen : public TPersistent {
public:
    const char* ClassName() const override { return "TPen"; }
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    int Width() const { return width_; }
    void SetWidth(int width);
    HPEN Handle() const;
    std::function<void()> OnChange;

private:
    TColor color_ = clBlack;
    int width_ = 1;
    mutable PenHandle handle_;
};

// Draws text over what is painted already, in the font and its colour, or in
// the system's grey when disabled; the device context is left as it was.
void DrawCaption(HDC dc, const std::string& text, RECT rect, UINT format, const TFont& font, bool enabled);

}  // namespace winlib
