#pragma once
// Framed text shapes: the box with brush, frame pen, gradient, shadow, bevel and transparency
// that titles, the legend, marks, axis items, walls and the series pointer are drawn as.
#include <cstdint>
#include <memory>

#include "chart/canvas/NuvProcs.h"

enum TChartObjectShapeStyle { fosRectangle, fosRoundRectangle };
enum TTextFormat { ttfNormal, ttfHtml };

// Brush, pen, visibility and owning chart shared by every framed chart object.
class TNuvCustomShapeBrushPen : public TPersistent {
public:
  explicit TNuvCustomShapeBrushPen(TCustomNuvPanel* chart = nullptr);
  ~TNuvCustomShapeBrushPen() override;
  void Assign(const TPersistent* source) override;

  TChartBrush* GetBrush() const { return brush_.get(); }
  void SetBrush(const TChartBrush* v) { brush_->Assign(v); }
  TCustomNuvPanel* GetParentChart() const { return parentChart_; }
  virtual void SetParentChart(TCustomNuvPanel* chart) { parentChart_ = chart; }
  TChartPen* GetPen() const { return pen_.get(); }
  void SetPen(const TChartPen* v) { pen_->Assign(v); }
  bool GetVisible() const { return visible_; }
  void SetVisible(bool v);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }

  void Repaint();
  virtual void CanvasChanged(TObject* sender);

protected:
  // A descendant that needs another kind of brush puts it in place from its constructor.
  void ReplaceBrush(std::unique_ptr<TChartBrush> brush);
  TNotifyEvent ChangeHandler();
  void DestroyBrushPen();

  std::unique_ptr<TChartBrush> brush_;
  TCustomNuvPanel* parentChart_ = nullptr;
  std::unique_ptr<TChartPen> pen_;
  bool visible_ = true;
};

class TNuvCustomShape : public TNuvCustomShapeBrushPen {
public:
  explicit TNuvCustomShape(TCustomNuvPanel* chart = nullptr);
  ~TNuvCustomShape() override;
  void Assign(const TPersistent* source) override;

  TBevelCut GetBevel() const { return bevel_; }
  void SetBevel(TBevelCut v);
  TBevelWidth GetBevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(TBevelWidth v);
  TColor GetColor() const { return color_; }
  void SetColor(TColor v);
  TNuvFont* GetFont() const { return font_.get(); }
  void SetFont(const TNuvFont* v) { font_->Assign(v); }
  TNuvShadow* GetShadow() const { return shadow_.get(); }
  void SetShadow(const TNuvShadow* v) { shadow_->Assign(v); }
  TChartObjectShapeStyle GetShapeStyle() const { return shapeStyle_; }
  void SetShapeStyle(TChartObjectShapeStyle v);
  TTextFormat GetTextFormat() const { return textFormat_; }
  void SetTextFormat(TTextFormat v);
  bool GetTransparent() const { return transparent_; }
  void SetTransparent(bool v);
  bool GetDefaultTransparent() const { return defaultTransparent_; }
  bool IsTransparentStored() const { return transparent_ != defaultTransparent_; }
  // Made on first read; nullptr frees it.
  TNuvGradient* GetGradient();
  void SetGradient(const TNuvGradient* v);
  bool HasGradient() const { return gradient_ != nullptr; }
  TNuvTransparency GetTransparency() const { return transparency_; }
  void SetTransparency(TNuvTransparency v);

  TRect ShapeBounds;
  int32_t GetWidth() const { return ShapeBounds.Right - ShapeBounds.Left + 1; }
  void SetWidth(int32_t v) { ShapeBounds.Right = ShapeBounds.Left + v - 1; }
  int32_t GetHeight() const { return ShapeBounds.Bottom - ShapeBounds.Top + 1; }
  void SetHeight(int32_t v) { ShapeBounds.Bottom = ShapeBounds.Top + v - 1; }

  void Draw() { DrawRectRotated(ShapeBounds, 0, 0); }
  // Angle in degrees; Z the depth on a 3-D surface.
  void DrawRectRotated(const TRect& rect, int32_t angle = 0, int32_t z = 0);

  // Legacy stored properties, read only.
  void ReadShadowColor(TColor v) { shadow_->SetColor(v); }
  void ReadShadowSize(int32_t v) { shadow_->SetSize(v); }

  // The four corners of rect turned by angle degrees about its centre.
  static TFourPoints RotatedCorners(const TRect& rect, int32_t angle);

protected:
  virtual std::unique_ptr<TNuvGradient> CreateGradient(TNotifyEvent onChange);
  // Prepares the shadow: black, size 3, and these as its stored defaults. The base constructor
  // runs this version; a descendant that overrides it calls it from its own constructor.
  virtual void InitShadow(TNuvShadow* shadow);
  // A descendant declares its default transparency (and takes it).
  void SetDefaultTransparent(bool v)
  {
    defaultTransparent_ = v;
    transparent_ = v;
  }

private:
  void DrawBox(TCanvas3D* c, const TRect& rect, int32_t angle, int32_t z, const TFourPoints& corners);

  TBevelCut bevel_ = bvNone;
  TBevelWidth bevelWidth_ = 2;
  TColor color_ = clWhite;
  std::unique_ptr<TNuvFont> font_;
  std::unique_ptr<TNuvShadow> shadow_;
  TChartObjectShapeStyle shapeStyle_ = fosRectangle;
  TTextFormat textFormat_ = ttfNormal;
  bool transparent_ = false;
  bool defaultTransparent_ = false;
  std::unique_ptr<TNuvGradient> gradient_;
  TNuvTransparency transparency_ = 0;
};

// A framed box with its box properties published.
class TNuvShape : public TNuvCustomShape {
public:
  using TNuvCustomShape::TNuvCustomShape;
};
