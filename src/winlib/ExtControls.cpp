#include "winlib/ExtControls.h"

#include "winlib/Exceptions.h"

namespace winlib {

namespace {

void InvalidateIfShown(TWinControl& control, bool erase)
{
    if (control.HandleAllocated())
        InvalidateRect(control.Handle(), nullptr, erase ? TRUE : FALSE);
}

void FillStrip(HDC dc, int left, int top, int right, int bottom, HBRUSH brush)
{
    const RECT strip{left, top, right, bottom};
    FillRect(dc, &strip, brush);
}

}  // namespace

void DrawBevel(HDC dc, RECT& rect, TPanelBevel bevel, int width)
{
    if (bevel == bvNone)
        return;
    // System colour brushes belong to the system: nothing to free.
    HBRUSH light = GetSysColorBrush(COLOR_BTNHIGHLIGHT);
    HBRUSH dark = GetSysColorBrush(COLOR_BTNSHADOW);
    HBRUSH topLeft = bevel == bvRaised ? light : dark;
    HBRUSH bottomRight = bevel == bvRaised ? dark : light;
    for (int i = 0; i < width && rect.right > rect.left && rect.bottom > rect.top; ++i) {
        FillStrip(dc, rect.left, rect.top, rect.right - 1, rect.top + 1, topLeft);
        FillStrip(dc, rect.left, rect.top, rect.left + 1, rect.bottom - 1, topLeft);
        FillStrip(dc, rect.left, rect.bottom - 1, rect.right, rect.bottom, bottomRight);
        FillStrip(dc, rect.right - 1, rect.top, rect.right, rect.bottom, bottomRight);
        InflateRect(&rect, -1, -1);
    }
}

// ----------------------------------------------------------------- TPanel

TPanel::TPanel(TComponent* owner) : TCustomControl(owner)
{
    SetBounds(0, 0, 185, 41);
}

void TPanel::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case CM_TEXTCHANGED: CMTextChanged(message); break;
    default: TCustomControl::WndProc(message); break;
    }
}

void TPanel::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    params.Style |= WS_CLIPCHILDREN;
    // Tab and the arrow keys of the form reach the controls on the panel.
    params.ExStyle |= WS_EX_CONTROLPARENT;
}

int TPanel::FrameWidth() const
{
    int width = borderWidth_;
    if (bevelOuter_ != bvNone)
        width += bevelWidth_;
    if (bevelInner_ != bvNone)
        width += bevelWidth_;
    return width;
}

void TPanel::AdjustClientRect(RECT& rect)
{
    const int frame = FrameWidth();
    InflateRect(&rect, -frame, -frame);
}

void TPanel::SetBevelOuter(TPanelBevel value)
{
    if (value != bevelOuter_) {
        bevelOuter_ = value;
        FrameChanged();
    }
}

void TPanel::SetBevelInner(TPanelBevel value)
{
    if (value != bevelInner_) {
        bevelInner_ = value;
        FrameChanged();
    }
}

void TPanel::SetBevelWidth(int value)
{
    if (value < 1)
        value = 1;
    if (value != bevelWidth_) {
        bevelWidth_ = value;
        FrameChanged();
    }
}

void TPanel::SetBorderWidth(int value)
{
    if (value < 0)
        value = 0;
    if (value != borderWidth_) {
        borderWidth_ = value;
        FrameChanged();
    }
}

void TPanel::FrameChanged()
{
    InvalidateIfShown(*this, true);
    AlignControls();
}

void TPanel::CMTextChanged(TMessage&) { InvalidateIfShown(*this, true); }

void TPanel::Paint(HDC dc, const RECT& clientRect)
{
    RECT rect = clientRect;
    DrawBevel(dc, rect, bevelOuter_, bevelWidth_);
    InflateRect(&rect, -borderWidth_, -borderWidth_);
    DrawBevel(dc, rect, bevelInner_, bevelWidth_);

    const std::string caption = Text();
    if (!caption.empty())
        DrawCaption(dc, caption, rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE, Font(), Enabled());
}

// ----------------------------------------------------------------- TShape

TShape::TShape(TComponent* owner) : TGraphicControl(owner)
{
    SetBounds(0, 0, 65, 65);
    SetParentColor(true);
    brush_.OnChange = [this] { Changed(); };
    pen_.OnChange = [this] { Changed(); };
}

void TShape::Changed() { InvalidateIfShown(*this, false); }

void TShape::Paint(HDC dc, const RECT& clientRect)
{
    // The outline lies wholly inside the frame, whatever the pen's width.
    const int penWidth = pen_.Width();
    const int inset = penWidth / 2;
    int width = clientRect.right - clientRect.left - penWidth + 1;
    int height = clientRect.bottom - clientRect.top - penWidth + 1;
    if (penWidth == 0) {
        --width;
        --height;
    }
    SelectedObject pen(dc, pen_.Handle());
    SelectedObject brush(dc, brush_.Handle());
    Rectangle(dc, clientRect.left + inset, clientRect.top + inset, clientRect.left + inset + width,
              clientRect.top + inset + height);
}

// ----------------------------------------------------------------- TLabel

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner)
{
    SetBounds(0, 0, 65, 17);
    SetParentColor(true);
    AdjustBounds();
}

void TLabel::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case CM_TEXTCHANGED: CMTextChanged(message); break;
    case CM_FONTCHANGED: CMFontChanged(message); break;
    case WM_ERASEBKGND: WMEraseBkgnd(message); break;
    default: TGraphicControl::WndProc(message); break;
    }
}

void TLabel::SetAutoSize(bool value)
{
    if (value != autoSize_) {
        autoSize_ = value;
        AdjustBounds();
    }
}

void TLabel::SetTransparent(bool value)
{
    if (value != transparent_) {
        transparent_ = value;
        InvalidateIfShown(*this, true);
    }
}

SIZE TLabel::TextExtent() const
{
    std::string text = Text();
    // An empty label keeps the height of a line.
    if (text.empty())
        text = " ";
    WindowDC screen(nullptr);
    SelectedObject font(screen.Get(), Font().Handle());
    RECT rect{0, 0, 0, 0};
    DrawTextA(screen.Get(), text.c_str(), static_cast<int>(text.size()), &rect,
              DT_CALCRECT | DT_EXPANDTABS | DT_SINGLELINE);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

void TLabel::AdjustBounds()
{
    if (!autoSize_)
        return;
    const SIZE size = TextExtent();
    if (size.cx != Width() || size.cy != Height())
        SetBounds(Left(), Top(), size.cx, size.cy);
}

void TLabel::CMTextChanged(TMessage&)
{
    AdjustBounds();
    InvalidateIfShown(*this, true);
}

void TLabel::CMFontChanged(TMessage& message)
{
    TGraphicControl::WndProc(message);
    AdjustBounds();
}

void TLabel::WMEraseBkgnd(TMessage& message)
{
    if (!transparent_ || Parent() == nullptr) {
        TGraphicControl::WndProc(message);
        return;
    }
    // Shows the parent's colour through; an opaque fill with the background
    // colour needs no brush of its own.
    HDC dc = reinterpret_cast<HDC>(message.WParam);
    RECT client;
    GetClientRect(Handle(), &client);
    const SavedDC saved(dc);
    SetBkColor(dc, ColorToRGB(Parent()->Color()));
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
    message.Result = 1;
}

void TLabel::Paint(HDC dc, const RECT& clientRect)
{
    const std::string text = Text();
    if (!text.empty())
        DrawCaption(dc, text, clientRect, DT_LEFT | DT_EXPANDTABS | DT_SINGLELINE, Font(), Enabled());
}

// ----------------------------------------------------------------- TImage

TImage::TImage(TComponent* owner) : TGraphicControl(owner)
{
    SetBounds(0, 0, 105, 105);
    SetParentColor(true);
}

void TImage::SetStretch(bool value)
{
    if (value != stretch_) {
        stretch_ = value;
        Changed();
    }
}

void TImage::SetBitmap(HBITMAP bitmap)
{
    BitmapHandle owned(bitmap);
    BITMAP info{};
    if (owned && GetObjectA(owned.Get(), sizeof info, &info) == 0)
        throw EInvalidOperation("Invalid bitmap");
    bitmap_ = std::move(owned);
    pictureSize_ = SIZE{info.bmWidth, info.bmHeight};
    Changed();
}

void TImage::Load(HINSTANCE module, const char* resource, const std::string& what)
{
    if (module == nullptr)
        module = GetModuleHandleA(nullptr);
    HANDLE loaded = LoadImageA(module, resource, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    if (loaded == nullptr)
        throw EResNotFound(Format("Resource %s not found", what.c_str()));
    SetBitmap(static_cast<HBITMAP>(loaded));
}

void TImage::LoadFromResourceName(HINSTANCE module, const std::string& name)
{
    Load(module, name.c_str(), name);
}

void TImage::LoadFromResourceID(HINSTANCE module, int id)
{
    Load(module, MAKEINTRESOURCEA(id), std::to_string(id));
}

void TImage::Changed() { InvalidateIfShown(*this, true); }

void TImage::Paint(HDC dc, const RECT& clientRect)
{
    if (!bitmap_)
        return;
    const MemoryDC picture(CreateCompatibleDC(dc));
    SelectedObject selected(picture.Get(), bitmap_.Get());
    if (stretch_) {
        const SavedDC saved(dc);
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, clientRect.left, clientRect.top, clientRect.right - clientRect.left,
                   clientRect.bottom - clientRect.top, picture.Get(), 0, 0, pictureSize_.cx, pictureSize_.cy,
                   SRCCOPY);
    } else {
        BitBlt(dc, clientRect.left, clientRect.top, pictureSize_.cx, pictureSize_.cy, picture.Get(), 0, 0, SRCCOPY);
    }
}

}  // namespace winlib
