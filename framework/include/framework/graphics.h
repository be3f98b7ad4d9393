// The framework's graphics: pens, brushes and fonts, the canvas that draws with them
// through a platform device context, bitmaps, pictures and the JPEG and PNG images.
//
// Colours are TColor values (0x00BBGGRR, or 0xFF0000nn for system colour nn) and go to
// the platform through ColorToRGB. Pens, brushes and fonts make their GDI object on
// first use (Handle) and again after a change; a canvas selects them into its DC when
// its Handle is asked for, so code that draws on Canvas->Handle() with the platform's
// own calls sees the canvas's pen, brush and font.
//
// Bitmaps keep 32-bit pixels (a platform DIB section, top row first) whatever their
// pixel format; the format decides what the pixels may hold: pf4bit reduces them to
// the 16 colours of the standard palette. Errors are raised as EInvalidGraphic (a file
// that cannot be read), EInvalidGraphicOperation (a bad request) or EOutOfResources.
#ifndef FRAMEWORK_GRAPHICS_H
#define FRAMEWORK_GRAPHICS_H

#include "framework/classes.h"
#include "framework/sysutils.h"
#include "framework/types.h"
#include "platform/gdi.h"

#include <QtCore/QString>

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace fw {

FW_DECLARE_EXCEPTION(EInvalidOperation, Exception);
FW_DECLARE_EXCEPTION(EInvalidGraphic, Exception);
FW_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception);
FW_DECLARE_EXCEPTION(EOutOfResources, EOutOfMemory);

// ---- Pens, brushes, fonts ------------------------------------------------------------

// What pens, brushes and fonts share: OnChange after every change of a property.
class TGraphicsObject : public TPersistent {
public:
    TNotifyEvent OnChange;

protected:
    virtual void Changed();
};

// Width 1 (a cosmetic pen), style psSolid, mode pmCopy, colour clBlack. The mode is not
// part of the GDI pen: the canvas sets it on its DC (SetROP2) when it selects the pen.
class TPen : public TGraphicsObject {
public:
    TPen() = default;
    ~TPen() override;

    TColor Color() const { return m_color; }
    void SetColor(TColor color);
    int Width() const { return m_width; }
    // Widths below 1 are taken as 1.
    void SetWidth(int width);
    TPenStyle Style() const { return m_style; }
    void SetStyle(TPenStyle style);
    TPenMode Mode() const { return m_mode; }
    void SetMode(TPenMode mode);

    // The pen's GDI object (made now when there is none); it belongs to the pen.
    HPEN Handle();
    void Assign(TPersistent* source) override;

protected:
    void Changed() override;

private:
    TColor m_color = clBlack;
    int m_width = 1;
    TPenStyle m_style = psSolid;
    TPenMode m_mode = pmCopy;
    HPEN m_handle = nullptr;
    std::vector<HGDIOBJ> m_retired;
};

// Colour clWhite, style bsSolid.
class TBrush : public TGraphicsObject {
public:
    TBrush() = default;
    ~TBrush() override;

    TColor Color() const { return m_color; }
    // Setting a colour makes a clear brush solid.
    void SetColor(TColor color);
    TBrushStyle Style() const { return m_style; }
    void SetStyle(TBrushStyle style);

    HBRUSH Handle();
    void Assign(TPersistent* source) override;

protected:
    void Changed() override;

private:
    TColor m_color = clWhite;
    TBrushStyle m_style = bsSolid;
    HBRUSH m_handle = nullptr;
    std::vector<HGDIOBJ> m_retired;
};

// Name "Tahoma", Height -11 (8 points at 96 pixels per inch), no styles, colour
// clWindowText. A negative Height is the character height in pixels, a positive one the
// cell height; Size is in points: Height = -round(Size * 96 / 72), Size =
// -round(Height * 72 / 96) (halves away from zero).
class TFont : public TGraphicsObject {
public:
    TFont() = default;
    ~TFont() override;

    const QString& Name() const { return m_name; }
    void SetName(const QString& name);
    int Size() const;
    void SetSize(int points);
    int Height() const { return m_height; }
    void SetHeight(int height);
    TFontStyles Style() const { return m_style; }
    void SetStyle(TFontStyles style);
    TColor Color() const { return m_color; }
    void SetColor(TColor color);
    int PixelsPerInch() const { return 96; }

    HFONT Handle();
    void Assign(TPersistent* source) override;

protected:
    void Changed() override;

private:
    QString m_name = QStringLiteral("Tahoma");
    int m_height = -11;
    TFontStyles m_style;
    TColor m_color = clWindowText;
    HFONT m_handle = nullptr;
    std::vector<HGDIOBJ> m_retired;
};

// ---- Canvas --------------------------------------------------------------------------

class TGraphic;

// Drawing on a platform DC with the canvas's pen, brush and font. A plain canvas draws
// on the DC given to SetHandle, which stays its owner's; canvases of bitmaps and
// controls make their own DC when Handle is first asked for (CreateHandle). A canvas
// without a DC raises EInvalidOperation "Canvas does not allow drawing".
class TCanvas : public TPersistent {
public:
    TCanvas();
    ~TCanvas() override;

    // The DC with the canvas's pen (and its mode), brush (and the background colour and
    // mode it implies) and font (and its colour) selected.
    HDC Handle();
    // Puts the canvas on another DC (nullptr: none); the objects it had selected into
    // the old one are taken out again.
    void SetHandle(HDC dc);
    bool HandleAllocated() const { return m_handle != nullptr; }

    TPen* Pen() const { return m_pen.get(); }
    TBrush* Brush() const { return m_brush.get(); }
    TFont* Font() const { return m_font.get(); }
    void SetPen(TPen* pen) { m_pen->Assign(pen); }
    void SetBrush(TBrush* brush) { m_brush->Assign(brush); }
    void SetFont(TFont* font) { m_font->Assign(font); }

    // Other threads that lock the canvas wait until every Lock of this one is undone.
    void Lock();
    void Unlock();
    bool TryLock();
    int LockCount() const { return m_lock_count; }

    // The part of the DC that drawing can reach (GetClipBox).
    TRect ClipRect();
    TPoint PenPos();
    void SetPenPos(TPoint position) { MoveTo(position.X, position.Y); }

    void MoveTo(int x, int y);
    // A line with the pen from the pen position to (x, y), without its last pixel.
    void LineTo(int x, int y);
    // Fills the rectangle with the brush.
    void FillRect(const TRect& rect);
    // A one-pixel frame just inside the rectangle in the brush's colour.
    void FrameRect(const TRect& rect);
    // Outlined with the pen and filled with the brush (right and bottom exclusive).
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& rect) { Rectangle(rect.Left, rect.Top, rect.Right, rect.Bottom); }
    void RoundRect(int x1, int y1, int x2, int y2, int corner_width, int corner_height);
    // The dotted frame drawn by inverting: drawn twice it is gone.
    void DrawFocusRect(const TRect& rect);

    // The text at (x, y) (its cell's top-left corner) in the font; the cell is filled
    // with the brush colour unless the brush is clear. The pen position moves to the
    // text's right end.
    void TextOut(int x, int y, const QString& text);
    // As TextOut, but only the part within the rectangle is drawn; with a brush that is
    // not clear the whole rectangle is filled first.
    void TextRect(const TRect& rect, int x, int y, const QString& text);
    TSize TextExtent(const QString& text);
    int TextWidth(const QString& text) { return TextExtent(text).cx; }
    int TextHeight(const QString& text) { return TextExtent(text).cy; }

    // The graphic at its own size with its top-left corner at (x, y).
    void Draw(int x, int y, TGraphic* graphic);
    // The graphic stretched (or shrunk) to the rectangle.
    void StretchDraw(const TRect& rect, TGraphic* graphic);

    // clNone outside the DC's pixels.
    TColor Pixels(int x, int y);
    void SetPixels(int x, int y, TColor color);

protected:
    // Gives the canvas a DC when it has none; a plain canvas has no way to.
    virtual void CreateHandle() {}
    // The DC without selecting anything.
    HDC RequireHandle();
    // Takes the canvas's objects out of the DC (stock objects in their place).
    void DeselectObjects();

private:
    void realise(HDC dc);

    HDC m_handle = nullptr;
    std::unique_ptr<TPen> m_pen;
    std::unique_ptr<TBrush> m_brush;
    std::unique_ptr<TFont> m_font;
    bool m_pen_selected = false;
    bool m_brush_selected = false;
    bool m_font_selected = false;
    std::recursive_mutex m_lock;
    int m_lock_count = 0;
};

// ---- Graphics ------------------------------------------------------------------------

// A picture of some kind that draws itself on a canvas and loads itself from a file.
class TGraphic : public TPersistent {
public:
    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Transparent() const { return m_transparent; }
    virtual void SetTransparent(bool transparent);

    // Raises EFOpenError for a file that cannot be opened and EInvalidGraphic for one
    // that does not hold a picture of this kind.
    void LoadFromFile(const QString& file_name);
    virtual void LoadFromStream(TStream* stream) = 0;

    TNotifyEvent OnChange;

protected:
    friend class TCanvas;
    // Draws the picture scaled to the rectangle.
    virtual void Draw(TCanvas* canvas, const TRect& rect) = 0;
    virtual void Changed();

private:
    bool m_transparent = false;
};

enum TPixelFormat {
    pfDevice,
    pf1bit,
    pf4bit,
    pf8bit,
    pf15bit,
    pf16bit,
    pf24bit,
    pf32bit,
    pfCustom
};

enum TTransparentMode {
    tmAuto,
    tmFixed
};

class TBitmap;

// The canvas of a bitmap: a memory DC holding the bitmap's DIB section, made on first
// use.
class TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap* bitmap) : m_bitmap(bitmap) {}
    ~TBitmapCanvas() override;

protected:
    void CreateHandle() override;

private:
    friend class TBitmap;
    TBitmap* m_bitmap;
};

// A bitmap of Width by Height pixels (none when either is 0: Empty, without a Handle).
// New pixels are black. Sizes are limited as the platform's DIB sections are (65536 on a side, 1 GiB
// of pixels); a larger one raises EOutOfResources "Out of system resources".
class TBitmap : public TGraphic {
public:
    TBitmap();
    ~TBitmap() override;

    bool Empty() const override { return m_width == 0 || m_height == 0; }
    int Width() const override { return m_width; }
    int Height() const override { return m_height; }
    void SetWidth(int width) { SetSize(width, m_height); }
    void SetHeight(int height) { SetSize(m_width, height); }
    // Keeps the pixels that both sizes share; sizes below 0 are taken as 0.
    void SetSize(int width, int height);

    TPixelFormat PixelFormat() const { return m_pixel_format; }
    // pf4bit maps every pixel to the nearest colour of the standard 16-colour palette
    // (no dithering); the other formats keep the pixels as they are.
    void SetPixelFormat(TPixelFormat format);

    TCanvas* Canvas();
    // The DIB section, nullptr while the bitmap is empty.
    HBITMAP Handle() const { return m_handle; }
    // Row y: Width 32-bit pixels 0x00RRGGBB. Rows lie top row first, one stride apart.
    // Raises EInvalidGraphicOperation "Scan line index out of range" outside 0 ..
    // Height - 1.
    void* ScanLine(int y);

    // tmAuto: the colour of the bottom-left pixel; tmFixed: the colour set.
    TColor TransparentColor();
    // Sets the colour and the mode tmFixed.
    void SetTransparentColor(TColor color);
    TTransparentMode TransparentMode() const { return m_transparent_mode; }
    void SetTransparentMode(TTransparentMode mode);

    // Copies a bitmap (size, pixels, format, transparency) or, through their AssignTo,
    // the other graphics; nullptr empties the bitmap.
    void Assign(TPersistent* source) override;
    // A Windows bitmap file ("BM"): 1, 4, 8, 16, 24 or 32 bits per pixel without
    // compression (16 and 32 with bit-field masks too); anything else raises
    // EInvalidGraphic.
    void LoadFromStream(TStream* stream) override;

protected:
    void Draw(TCanvas* canvas, const TRect& rect) override;

private:
    friend class TBitmapCanvas;
    friend class TJPEGImage;
    friend class TPngImage;
    // Puts the pixels (0x00RRGGBB, top row first) into the bitmap at their size.
    void take_pixels(int width, int height, const uint32_t* pixels);

    int m_width = 0;
    int m_height = 0;
    HBITMAP m_handle = nullptr;
    uint32_t* m_pixels = nullptr;
    TPixelFormat m_pixel_format = pfDevice;
    TTransparentMode m_transparent_mode = tmAuto;
    TColor m_transparent_color = clDefault;
    std::unique_ptr<TBitmapCanvas> m_canvas;
};

// A JPEG picture, decoded by libjpeg when it is loaded (baseline and progressive;
// greyscale, colour and CMYK). Assigning it to a TBitmap gives its pixels.
class TJPEGImage : public TGraphic {
public:
    TJPEGImage();
    ~TJPEGImage() override;

    bool Empty() const override;
    int Width() const override;
    int Height() const override;
    void Assign(TPersistent* source) override;
    void LoadFromStream(TStream* stream) override;

protected:
    void AssignTo(TPersistent* dest) override;
    void Draw(TCanvas* canvas, const TRect& rect) override;

private:
    std::unique_ptr<TBitmap> m_bitmap;
};

// A PNG picture (every colour type and bit depth, interlaced or not), decoded when it
// is loaded. Assigning it to a TBitmap gives its colours without their alpha; drawing
// it blends it by its alpha onto the canvas.
class TPngImage : public TGraphic {
public:
    TPngImage();
    ~TPngImage() override;

    bool Empty() const override;
    int Width() const override;
    int Height() const override;
    void Assign(TPersistent* source) override;
    void LoadFromStream(TStream* stream) override;

protected:
    void AssignTo(TPersistent* dest) override;
    void Draw(TCanvas* canvas, const TRect& rect) override;

private:
    std::unique_ptr<TBitmap> m_bitmap;
    // One opacity byte per pixel; empty when every pixel is opaque.
    std::vector<uint8_t> m_alpha;
};

// Holds one graphic of any kind. LoadFromFile picks the kind by the file's extension
// (".bmp"; ".jpg", ".jpeg"; ".png", compared without regard to case); another
// extension raises EInvalidGraphic "Unknown picture file extension (.%s)".
class TPicture : public TPersistent {
public:
    TPicture();
    ~TPicture() override;

    TGraphic* Graphic() const { return m_graphic.get(); }
    // Takes a copy of the graphic (nullptr: none).
    void SetGraphic(TGraphic* graphic);
    // The graphic as a bitmap: a bitmap of another kind is replaced by an empty one.
    TBitmap* Bitmap();
    int Width() const { return m_graphic != nullptr ? m_graphic->Width() : 0; }
    int Height() const { return m_graphic != nullptr ? m_graphic->Height() : 0; }

    void LoadFromFile(const QString& file_name);
    void Assign(TPersistent* source) override;

    TNotifyEvent OnChange;

protected:
    void AssignTo(TPersistent* dest) override;

private:
    void changed();
    void take(std::unique_ptr<TGraphic> graphic);

    std::unique_ptr<TGraphic> m_graphic;
};

}

#endif
