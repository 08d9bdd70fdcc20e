// Controls of our own window classes that paint themselves: the panel with
// bevels, the filled shape, the label and the picture.
#pragma once

#include "winlib/Controls.h"
#include "winlib/Exceptions.h"
#include "winlib/Graphics.h"

#include <string>

namespace winlib {

// A resource that the module does not have.
class EResNotFound : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "EResNotFound"; }
};

enum TPanelBevel { bvNone, bvLowered, bvRaised };

// A container with an outer and an inner bevel and a border between them;
// aligned children are laid out inside the bevels.
class TPanel : public TCustomControl {
public:
    explicit TPanel(TComponent* owner);
    const char* ClassName() const override { return "TPanel"; }

    TPanelBevel BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TPanelBevel value);
    TPanelBevel BevelInner() const { return bevelInner_; }
    void SetBevelInner(TPanelBevel value);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int value);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int value);

    // Pixels between the panel's edge and the area its children align in.
    int FrameWidth() const;

protected:
    void WndProc(TMessage& message) override;
    void CreateParams(TCreateParams& params) override;
    void AdjustClientRect(RECT& rect) override;
    void Paint(HDC dc, const RECT& clientRect) override;

private:
    void CMTextChanged(TMessage& message);
    void FrameChanged();

    TPanelBevel bevelOuter_ = bvRaised;
    TPanelBevel bevelInner_ = bvNone;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
};

// Draws a bevel of the given width just inside rect and shrinks rect by it.
void DrawBevel(HDC dc, RECT& rect, TPanelBevel bevel, int width);

enum TShapeType { stRectangle };

// A rectangle filled with its brush and outlined with its pen.
class TShape : public TGraphicControl {
public:
    explicit TShape(TComponent* owner);
    const char* ClassName() const override { return "TShape"; }

    TBrush& Brush() { return brush_; }
    const TBrush& Brush() const { return brush_; }
    TPen& Pen() { return pen_; }
    const TPen& Pen() const { return pen_; }
    TShapeType Shape() const { return stRectangle; }

protected:
    void Paint(HDC dc, const RECT& clientRect) override;

private:
    void Changed();

    TBrush brush_;
    TPen pen_;
};

// One line of text in the label's own font. With AutoSize the label takes
// the size of its text; opaque labels fill their background with Color,
// transparent ones with the colour of their parent.
class TLabel : public TGraphicControl {
public:
    explicit TLabel(TComponent* owner);
    const char* ClassName() const override { return "TLabel"; }

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);

    // The size the text needs in the label's font.
    SIZE TextExtent() const;

protected:
    void WndProc(TMessage& message) override;
    void Paint(HDC dc, const RECT& clientRect) override;

private:
    void CMTextChanged(TMessage& message);
    void CMFontChanged(TMessage& message);
    void WMEraseBkgnd(TMessage& message);
    void AdjustBounds();

    bool autoSize_ = true;
    bool transparent_ = false;
};

// A picture: a bitmap that the control owns, drawn at the top left corner or
// stretched to fill the frame.
class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent* owner);
    const char* ClassName() const override { return "TImage"; }

    bool Stretch() const { return stretch_; }
    void SetStretch(bool value);

    // Takes ownership of bitmap (null clears the picture).
    void SetBitmap(HBITMAP bitmap);
    // Loads a bitmap resource of a module (null: the program) by name or id.
    void LoadFromResourceName(HINSTANCE module, const std::string& name);
    void LoadFromResourceID(HINSTANCE module, int id);

    HBITMAP Bitmap() const { return bitmap_.Get(); }
    bool Empty() const { return !bitmap_; }
    int PictureWidth() const { return pictureSize_.cx; }
    int PictureHeight() const { return pictureSize_.cy; }

protected:
    void Paint(HDC dc, const RECT& clientRect) override;

private:
    void Load(HINSTANCE module, const char* resource, const std::string& what);
    void Changed();

    BitmapHandle bitmap_;
    SIZE pictureSize_{0, 0};
    bool stretch_ = false;
};

}  // namespace winlib
