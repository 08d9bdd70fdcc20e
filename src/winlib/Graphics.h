// Colours, fonts, brushes and pens, and scoped owners for GDI handles.
#pragma once

#include "winlib/Components.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>

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

// Owns one GDI object and deletes it at the end of its life.
template <class Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : handle_(handle) {}
    GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept
    {
        if (this != &other)
            Reset(std::exchange(other.handle_, nullptr));
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    ~GdiObject() { Reset(); }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void Reset(Handle handle = nullptr)
    {
        if (handle_ != nullptr)
            DeleteObject(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

using FontHandle = GdiObject<HFONT>;
using BrushHandle = GdiObject<HBRUSH>;
using PenHandle = GdiObject<HPEN>;
using BitmapHandle = GdiObject<HBITMAP>;

// A device context of a window, released at scope end (GetDC / ReleaseDC).
class WindowDC {
public:
    explicit WindowDC(HWND window);
    ~WindowDC();
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// A memory device context, deleted at scope end.
class MemoryDC {
public:
    explicit MemoryDC(HDC compatibleWith);
    ~MemoryDC();
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

// Selects an object into a device context and puts the old one back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectedObject()
    {
        if (old_ != nullptr && old_ != HGDI_ERROR)
            SelectObject(dc_, old_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

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

enum TBrushStyle { bsSolid, bsClear };

class TBrush : public TPersistent {
public:
    const char* ClassName() const override { return "TBrush"; }
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle style);
    HBRUSH Handle() const;
    std::function<void()> OnChange;

private:
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
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

}  // namespace winlib
