#pragma once
// Pens, brushes, fonts, canvases, bitmaps and pictures with the behaviour of the Windows GDI:
// aliased drawing, filled shapes exclude the right and bottom edge, text placed by its cell's
// top-left, 96 logical pixels per inch. Implemented over Qt's painter on images.
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/Classes.h"
#include "platform/Types.h"

class QImage;
class QPainter;
class QPaintDevice;
class TCanvas;
class TBitmap;

// Base of pens, brushes and fonts: tells its owner when it changes.
class TGraphicsObject : public TPersistent {
public:
  TNotifyEvent OnChange;

protected:
  void Changed();
  // Sets a field and reports the change when the value differs.
  template <class T>
  void Change(T& field, const T& v)
  {
    if (Store(field, v)) Changed();
  }
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame, psUserStyle, psAlternate };
enum TPenMode {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot, pmMergeNotPen,
  pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
enum TPenEndCap { pecRound, pecSquare, pecFlat };
enum TPenJoin { pjRound, pjBevel, pjMiter };

class TPen : public TGraphicsObject {
public:
  TColor GetColor() const { return color_; }
  void SetColor(TColor v);
  int32_t GetWidth() const { return width_; }
  void SetWidth(int32_t v);
  TPenStyle GetStyle() const { return style_; }
  void SetStyle(TPenStyle v);
  TPenMode GetMode() const { return mode_; }
  void SetMode(TPenMode v);
  // Geometric pen attributes (a pen made with ExtCreatePen).
  TPenEndCap GetEndCap() const { return endCap_; }
  void SetEndCap(TPenEndCap v);
  TPenJoin GetJoin() const { return join_; }
  void SetJoin(TPenJoin v);
  bool GetGeometric() const { return geometric_; }
  void SetGeometric(bool v);
  // Dash pattern of psUserStyle and psAlternate: lengths of dashes and gaps in pixels.
  const std::vector<uint32_t>& GetUserStyle() const { return userStyle_; }
  void SetUserStyle(const std::vector<uint32_t>& v);
  void Assign(const TPersistent* source) override;

private:
  TColor color_ = clBlack;
  int32_t width_ = 1;
  TPenStyle style_ = psSolid;
  TPenMode mode_ = pmCopy;
  TPenEndCap endCap_ = pecRound;
  TPenJoin join_ = pjRound;
  bool geometric_ = false;
  std::vector<uint32_t> userStyle_;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush : public TGraphicsObject {
public:
  TBrush();
  ~TBrush() override;
  TColor GetColor() const { return color_; }
  void SetColor(TColor v);
  TBrushStyle GetStyle() const { return style_; }
  void SetStyle(TBrushStyle v);
  // Pattern bitmap; when set it replaces the style. Not owned: the brush draws with a copy taken
  // when it is set, so the bitmap may change or go away afterwards.
  TBitmap* GetBitmap() const { return bitmap_; }
  void SetBitmap(TBitmap* v);
  const TBitmap* Pattern() const { return pattern_.get(); }
  void Assign(const TPersistent* source) override;

private:
  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
  TBitmap* bitmap_ = nullptr;
  std::shared_ptr<const TBitmap> pattern_;
};

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = uint8_t;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
enum TFontQuality { fqDefault, fqDraft, fqProof, fqNonAntialiased, fqAntialiased, fqClearType };

class TFont : public TGraphicsObject {
public:
  static constexpr int PixelsPerInch = 96;
  const std::string& GetName() const { return name_; }
  // Pixels per inch of Size <-> Height (the logical screen's by default); setting it keeps the
  // height. ERangeError below 1.
  int32_t GetPixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(int32_t v);
  void SetName(const std::string& v);
  // Size in points; Height in pixels (negative: character height without internal leading).
  int32_t GetSize() const;
  void SetSize(int32_t v);
  int32_t GetHeight() const { return height_; }
  void SetHeight(int32_t v);
  TColor GetColor() const { return color_; }
  void SetColor(TColor v);
  TFontStyles GetStyle() const { return style_; }
  void SetStyle(TFontStyles v);
  // Escapement in tenths of a degree, counter-clockwise.
  int32_t GetOrientation() const { return orientation_; }
  void SetOrientation(int32_t v);
  TFontPitch GetPitch() const { return pitch_; }
  void SetPitch(TFontPitch v);
  uint8_t GetCharset() const { return charset_; }
  void SetCharset(uint8_t v);
  TFontQuality GetQuality() const { return quality_; }
  void SetQuality(TFontQuality v);
  void Assign(const TPersistent* source) override;

private:
  std::string name_ = "Tahoma";
  int32_t height_ = -11;  // 8 points
  TColor color_ = clWindowText;
  TFontStyles style_ = 0;
  int32_t orientation_ = 0;
  TFontPitch pitch_ = fpDefault;
  uint8_t charset_ = 1;
  TFontQuality quality_ = fqDefault;
  int32_t pixelsPerInch_ = PixelsPerInch;
};

// Text alignment flags of SetTextAlign.
constexpr uint32_t TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6, TA_TOP = 0, TA_BOTTOM = 8, TA_BASELINE = 24,
                   TA_UPDATECP = 1, TA_NOUPDATECP = 0;
// Background modes.
constexpr int TRANSPARENT = 1, OPAQUE = 2;

// Raster operations of CopyMode and BitBlt.
constexpr uint32_t cmBlackness = 0x00000042, cmDstInvert = 0x00550009, cmMergeCopy = 0x00C000CA,
                   cmMergePaint = 0x00BB0226, cmNotSrcCopy = 0x00330008, cmNotSrcErase = 0x001100A6,
                   cmPatCopy = 0x00F00021, cmPatInvert = 0x005A0049, cmPatPaint = 0x00FB0A09,
                   cmSrcAnd = 0x008800C6, cmSrcCopy = 0x00CC0020, cmSrcErase = 0x00440328,
                   cmSrcInvert = 0x00660046, cmSrcPaint = 0x00EE0086, cmWhiteness = 0x00FF0062;

class TGraphic;

// A drawing surface. The primitives are virtual so that a recording canvas (metafile) can
// override them. A canvas draws on a paint device: a bitmap's image, a printer page, or nothing.
class TCanvas : public TPersistent {
public:
  TCanvas();
  ~TCanvas() override;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  TPen* Pen() const { return pen_.get(); }
  TBrush* Brush() const { return brush_.get(); }
  TFont* Font() const { return font_.get(); }

  virtual void MoveTo(int32_t x, int32_t y);
  virtual void LineTo(int32_t x, int32_t y);
  // MoveTo(x, y0) and LineTo(x, y1) for each of xs in turn (a grid: one-pixel lines on a bitmap are
  // written row by row; a derived canvas gets each call).
  virtual void VertLines(std::span<const int32_t> xs, int32_t y0, int32_t y1);
  // MoveTo(x0, y) and LineTo(x1, y) for each of ys in turn (likewise).
  virtual void HorizLines(std::span<const int32_t> ys, int32_t x0, int32_t x1);
  TPoint GetPenPos() const { return penPos_; }
  void SetPenPos(TPoint p) { penPos_ = p; }

  virtual void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  virtual void FillRect(const TRect& r);
  virtual void FrameRect(const TRect& r);
  virtual void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
  // Corner ellipse diameters x3, y3.
  virtual void RoundRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3);
  virtual void Polygon(const std::vector<TPoint>& points);
  virtual void Polyline(const std::vector<TPoint>& points);
  virtual void PolyBezier(const std::vector<TPoint>& points);
  // Arcs of the ellipse in the box x1..y2, counter-clockwise from the radial through (x3, y3)
  // to the radial through (x4, y4).
  virtual void Arc(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4);
  virtual void Pie(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4);
  virtual void Chord(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4);

  virtual void TextOut(int32_t x, int32_t y, const std::string& text);
  virtual void TextRect(const TRect& r, int32_t x, int32_t y, const std::string& text);
  virtual TSize TextExtent(const std::string& text);
  int32_t TextWidth(const std::string& text) { return TextExtent(text).cx; }
  int32_t TextHeight(const std::string& text) { return TextExtent(text).cy; }

  virtual void Draw(int32_t x, int32_t y, TGraphic* graphic);
  virtual void StretchDraw(const TRect& r, TGraphic* graphic);
  // Draw of graphic with its top-left at each of points in turn (one small picture stamped at many
  // places: a bitmap onto a bitmap is copied in one pass; a derived canvas gets one Draw per point).
  virtual void DrawRepeated(std::span<const TPoint> points, TGraphic* graphic);
  // Copies a rectangle of another canvas with CopyMode.
  virtual void CopyRect(const TRect& dest, TCanvas* source, const TRect& src);
  uint32_t GetCopyMode() const { return copyMode_; }
  void SetCopyMode(uint32_t v) { copyMode_ = v; }

  virtual TColor GetPixel(int32_t x, int32_t y);
  virtual void SetPixel(int32_t x, int32_t y, TColor color);

  // GDI state of the device context. A change of the brush sets the background as selecting it
  // does (solid: opaque in the brush colour; otherwise transparent), a change of the font colour
  // sets the text colour, and any change of the pen (or assigning it) selects it anew, setting the
  // raster operation from its mode; an explicit setting made afterwards wins until the next such
  // change.
  uint32_t GetTextAlign() const { return textAlign_; }
  void SetTextAlign(uint32_t flags) { textAlign_ = flags; }
  int GetBkMode() const;
  void SetBkMode(int mode);
  TColor GetBkColor() const;
  void SetBkColor(TColor c);
  int32_t GetTextCharacterExtra() const { return charExtra_; }
  void SetTextCharacterExtra(int32_t v) { charExtra_ = v; }
  TColor GetTextColor() const;
  void SetTextColor(TColor c);
  // Raster operation of lines and fills: an R2 code 1..16 (13 = copy, 7 = xor).
  int GetROP2() const;
  void SetROP2(int rop2);

  // Clip rectangle of the canvas (the whole surface when no clip is set).
  virtual TRect GetClipRect();
  void SetClipRect(const TRect& r);
  void ClearClip();
  bool HasClip() const { return hasClip_; }

  // Size of the paint device in pixels (0 x 0 when there is none).
  virtual TSize DeviceSize() const;
  // Ends the painter on the device, so that the device can be resized or read.
  void Release();

  // The Qt side; for use inside the platform layer only.
  QPainter* Painter();
  QImage* Image() const { return image_; }
  void SetDevice(QPaintDevice* device, QImage* image);
  QPaintDevice* Device() const { return device_; }
  // Pushes the clip region and the coordinate mapping to an active painter.
  void ApplyDeviceState();
  // Device-context state beyond the above (clip region, open path, brush origin); platform only.
  struct TGdiState;
  TGdiState* GdiState() const { return state_.get(); }
  // Runs a drawing under the raster operation (GetROP2): copy paints straight, other operations
  // go through a layer merged pixel by pixel. Does nothing without a device.
  void Paint(const std::function<void(QPainter&)>& draw);
  // A two-colour device (a monochrome bitmap) keeps only white pixels white, all others turn black.
  void SetMonochromeDevice(bool v) { mono_ = v; }
  // Called after a drawing changed the device's pixels: maps them to two colours on such a device.
  void Drawn();

protected:
  void PreparePen();
  void PrepareBrush();
  void PrepareFont();
  bool HasDevice() const { return device_ != nullptr; }

private:
  std::unique_ptr<TGdiState> state_;
  void SyncState() const;
  std::unique_ptr<TPen> pen_;
  std::unique_ptr<TBrush> brush_;
  std::unique_ptr<TFont> font_;
  TPoint penPos_;
  uint32_t copyMode_ = cmSrcCopy;
  uint32_t textAlign_ = TA_LEFT | TA_TOP;
  mutable int bkMode_ = OPAQUE;
  mutable TColor bkColor_ = clWhite;
  int32_t charExtra_ = 0;
  bool hasClip_ = false;
  bool mono_ = false;
  TRect clip_;
  QPaintDevice* device_ = nullptr;
  QImage* image_ = nullptr;
  std::unique_ptr<QPainter> painter_;
};

// Base of bitmaps, metafiles and other pictures.
class TGraphic : public TPersistent {
public:
  virtual int32_t GetWidth() const = 0;
  virtual int32_t GetHeight() const = 0;
  virtual bool Empty() const { return GetWidth() == 0 || GetHeight() == 0; }
  // Draws the graphic stretched into r.
  virtual void Draw(TCanvas* canvas, const TRect& r) = 0;
  virtual void SaveToFile(const std::string& fileName) = 0;
  virtual void LoadFromFile(const std::string& fileName) = 0;
  // Reads the picture from the bytes of its file; a kind that cannot raises EInvalidGraphic.
  virtual void LoadFromBytes(const std::string& bytes);
  bool GetTransparent() const { return transparent_; }
  virtual void SetTransparent(bool v) { transparent_ = v; }
  TNotifyEvent OnChange;

protected:
  void Changed();

private:
  bool transparent_ = false;
};

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };
enum TTransparentMode { tmAuto, tmFixed };

// A bitmap: new pixels are white. ScanLine rows run top-down; pf24bit rows are B, G, R
// triples and pf32bit / pfDevice rows are B, G, R, X quads.
class TBitmap : public TGraphic {
public:
  TBitmap();
  ~TBitmap() override;
  int32_t GetWidth() const override;
  int32_t GetHeight() const override;
  void SetWidth(int32_t w);
  void SetHeight(int32_t h);
  void SetSize(int32_t w, int32_t h);
  TPixelFormat GetPixelFormat() const { return format_; }
  void SetPixelFormat(TPixelFormat f);
  TCanvas* Canvas();
  uint8_t* ScanLine(int32_t row);
  TColor GetTransparentColor() const;
  void SetTransparentColor(TColor c);
  TTransparentMode GetTransparentMode() const { return transparentMode_; }
  void SetTransparentMode(TTransparentMode m) { transparentMode_ = m; }
  bool GetMonochrome() const { return format_ == pf1bit; }
  void SetMonochrome(bool v);
  // A unique identity of this bitmap, never reused in the process.
  uint64_t Id() const { return id_; }

  void Draw(TCanvas* canvas, const TRect& r) override;
  void SaveToFile(const std::string& fileName) override;  // Windows BMP
  void LoadFromFile(const std::string& fileName) override;
  // A BMP file's bytes (or another format the platform reads); EInvalidGraphic when unreadable.
  void LoadFromBytes(const std::string& bytes) override;
  void Assign(const TPersistent* source) override;

  // The Qt side; for use inside the platform layer only.
  QImage& Image();
  const QImage& Image() const;

private:
  std::unique_ptr<QImage> image_;
  std::unique_ptr<TCanvas> canvas_;
  TPixelFormat format_ = pfDevice;
  TColor transparentColor_ = clDefault;
  TTransparentMode transparentMode_ = tmAuto;
  uint64_t id_;
};

// Holds one graphic of any kind.
class TPicture : public TPersistent {
public:
  TPicture();
  ~TPicture() override;
  TGraphic* GetGraphic() const { return graphic_.get(); }
  // Takes ownership of graphic (nullptr clears).
  void SetGraphic(std::unique_ptr<TGraphic> graphic);
  // The graphic as a bitmap; replaces another kind of graphic by an empty bitmap.
  TBitmap* Bitmap();
  int32_t GetWidth() const { return graphic_ ? graphic_->GetWidth() : 0; }
  int32_t GetHeight() const { return graphic_ ? graphic_->GetHeight() : 0; }
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName);
  void Assign(const TPersistent* source) override;
  TNotifyEvent OnChange;

private:
  void Changed();
  std::unique_ptr<TGraphic> graphic_;
};
