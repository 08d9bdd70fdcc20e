#include "winlib/Graphics.h"

#include <cstring>

namespace winlib {

COLORREF ColorToRGB(TColor color)
{
    if ((color & clSystemColor) != 0)
        return GetSysColor(static_cast<int>(color & 0xFF));
    return color;
}

int ScreenPixelsPerInch()
{
    static const int ppi = [] {
        WindowDC screen(nullptr);
        const int value = screen.Get() != nullptr ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
        return value > 0 ? value : 96;
    }();
    return ppi;
}

TFont::TFont() = default;

void TFont::Assign(const TPersistent* source)
{
    if (const auto* font = dynamic_cast<const TFont*>(source)) {
        name_ = font->name_;
        height_ = font->height_;
        style_ = font->style_;
        pitch_ = font->pitch_;
        charset_ = font->charset_;
        color_ = font->color_;
        Changed();
        return;
    }
    TPersistent::Assign(source);
}

void TFont::SetName(const std::string& name)
{
    if (name != name_) {
        name_ = name;
        Changed();
    }
}

void TFont::SetHeight(int height)
{
    if (height != height_) {
        height_ = height;
        Changed();
    }
}

int TFont::Size() const { return -MulDiv(height_, 72, ScreenPixelsPerInch()); }

void TFont::SetSize(int points) { SetHeight(-MulDiv(points, ScreenPixelsPerInch(), 72)); }

void TFont::SetStyle(TFontStyles style)
{
    if (style != style_) {
        style_ = style;
        Changed();
    }
}

void TFont::SetPitch(TFontPitch pitch)
{
    if (pitch != pitch_) {
        pitch_ = pitch;
        Changed();
    }
}

void TFont::SetCharset(BYTE charset)
{
    if (charset != charset_) {
        charset_ = charset;
        Changed();
    }
}

void TFont::SetColor(TColor color)
{
    if (color != color_) {
        color_ = color;
        // The colour is not part of the GDI font: keep the handle.
        if (OnChange)
            OnChange();
    }
}

void TFont::Changed()
{
    handle_.Reset();
    if (OnChange)
        OnChange();
}

LOGFONTA TFont::LogFont() const
{
    LOGFONTA lf{};
    lf.lfHeight = height_;
    lf.lfWeight = style_.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = style_.Contains(fsItalic) ? 1 : 0;
    lf.lfUnderline = style_.Contains(fsUnderline) ? 1 : 0;
    lf.lfStrikeOut = style_.Contains(fsStrikeOut) ? 1 : 0;
    lf.lfCharSet = charset_;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = static_cast<BYTE>(pitch_ == fpFixed ? FIXED_PITCH : pitch_ == fpVariable ? VARIABLE_PITCH
                                                                                                    : DEFAULT_PITCH);
    std::strncpy(lf.lfFaceName, name_.c_str(), LF_FACESIZE - 1);
    return lf;
}

void TFont::SetLogFont(const LOGFONTA& logFont)
{
    name_.assign(logFont.lfFaceName, strnlen(logFont.lfFaceName, LF_FACESIZE));
    height_ = logFont.lfHeight;
    style_ = TFontStyles();
    if (logFont.lfWeight >= FW_BOLD)
        style_.Include(fsBold);
    if (logFont.lfItalic)
        style_.Include(fsItalic);
    if (logFont.lfUnderline)
        style_.Include(fsUnderline);
    if (logFont.lfStrikeOut)
        style_.Include(fsStrikeOut);
    switch (logFont.lfPitchAndFamily & 3) {
    case FIXED_PITCH: pitch_ = fpFixed; break;
    case VARIABLE_PITCH: pitch_ = fpVariable; break;
    default: pitch_ = fpDefault; break;
    }
    charset_ = logFont.lfCharSet;
    Changed();
}

HFONT TFont::Handle() const
{
    if (!handle_) {
        const LOGFONTA lf = LogFont();
        handle_.Reset(CreateFontIndirectA(&lf));
    }
    return handle_.Get();
}

void TBrush::SetColor(TColor color)
{
    if (color != color_) {
        color_ = color;
        handle_.Reset();
        if (OnChange)
            OnChange();
    }
}

HBRUSH TBrush::Handle() const
{
    if (!handle_)
        handle_.Reset(CreateSolidBrush(ColorToRGB(color_)));
    return handle_.Get();
}

void TPen::SetColor(TColor color)
{
    if (color != color_) {
        color_ = color;
        handle_.Reset();
        if (OnChange)
            OnChange();
    }
}

void TPen::SetWidth(int width)
{
    if (width != width_) {
        width_ = width;
        handle_.Reset();
        if (OnChange)
            OnChange();
    }
}

HPEN TPen::Handle() const
{
    if (!handle_)
        handle_.Reset(CreatePen(PS_SOLID, width_, ColorToRGB(color_)));
    return handle_.Get();
}

void DrawCaption(HDC dc, const std::string& text, RECT rect, UINT format, const TFont& font, bool enabled)
{
    // Puts back the font as well.
    const SavedDC saved(dc);
    SelectObject(dc, font.Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, enabled ? ColorToRGB(font.Color()) : GetSysColor(COLOR_GRAYTEXT));
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
}

}  // namespace winlib
