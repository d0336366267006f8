#pragma once
// Shadow, gradient fill and chart font: persistent attributes owned by chart elements.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "chart/canvas/NvCanvasAttributes.h"
#include "platform/Graphics.h"

class TNuvCanvas;
class TCanvas3D;
class TNuvBlend;

// Percent 0..100.
using TNuvTransparency = int32_t;

class TNuvShadow : public TPersistent {
public:
  explicit TNuvShadow(TNotifyEvent onChange = {});
  ~TNuvShadow() override;
  void Assign(const TPersistent* source) override;
  TNotifyEvent OnChange;

  TColor GetColor() const { return color_; }
  void SetColor(TColor v);
  int32_t GetHorizSize() const { return horizSize_; }
  void SetHorizSize(int32_t v);
  int32_t GetVertSize() const { return vertSize_; }
  void SetVertSize(int32_t v);
  bool GetSmooth() const { return smooth_; }
  void SetSmooth(bool v);
  TNuvTransparency GetTransparency() const { return transparency_; }
  void SetTransparency(TNuvTransparency v);
  // The larger of the two sizes; writing sets both.
  int32_t GetSize() const { return horizSize_ > vertSize_ ? horizSize_ : vertSize_; }
  void SetSize(int32_t v);

  TColor GetDefaultColor() const { return defaultColor_; }
  void SetDefaultColor(TColor v) { defaultColor_ = v; }
  int32_t GetDefaultSize() const { return defaultSize_; }
  void SetDefaultSize(int32_t v) { defaultSize_ = v; }
  bool IsColorStored() const { return color_ != defaultColor_; }
  bool IsHorizSizeStored() const { return horizSize_ != defaultSize_; }
  bool IsVertSizeStored() const { return vertSize_ != defaultSize_; }

  // Visible: a colour and a size other than 0.
  bool Visible() const { return color_ != clNone && (horizSize_ != 0 || vertSize_ != 0); }
  // The shadow of a rectangle at depth 0.
  void Draw(TCanvas3D* canvas, const TRect& rect) { DrawRect(canvas, rect, 0); }
  // The shadow of a rectangle at depth Z (used by framed shapes).
  void DrawRect(TCanvas3D* canvas, const TRect& rect, int32_t z);
  // The shadow of an ellipse (pies).
  void DrawEllipse(TCanvas3D* canvas, const TRect& rect, int32_t z);

private:
  bool Prepare(TCanvas3D* canvas, const TRect& rect, int32_t z);
  void Finish(TCanvas3D* canvas);
  void Changed();

  TColor color_ = clSilver;
  int32_t horizSize_ = 0;
  int32_t vertSize_ = 0;
  bool smooth_ = true;
  TNuvTransparency transparency_ = 0;
  TColor defaultColor_ = clSilver;
  int32_t defaultSize_ = 0;
  TNuvBlend* blend_ = nullptr;
  bool blending_ = false;  // a blending began (the OpenGL canvas returns no blend object)
};

enum TGradientDirection : uint8_t {
  gdTopBottom, gdBottomTop, gdLeftRight, gdRightLeft, gdFromCenter, gdFromTopLeft, gdFromBottomLeft,
  gdRadial, gdDiagonalUp, gdDiagonalDown
};

using TFourPoints = std::array<TPoint, 4>;

class TCustomNuvGradient : public TPersistent {
public:
  explicit TCustomNuvGradient(TNotifyEvent onChange = {});
  void Assign(const TPersistent* source) override;
  TNotifyEvent OnChange;

  int32_t GetBalance() const { return balance_; }
  void SetBalance(int32_t v);
  TGradientDirection GetDirection() const { return direction_; }
  void SetDirection(TGradientDirection v);
  TColor GetEndColor() const { return endColor_; }
  void SetEndColor(TColor v);
  // clNone while no mid colour is used.
  TColor GetMidColor() const { return midColorUsed_ ? midColor_ : clNone; }
  void SetMidColor(TColor v);
  bool GetMidColorUsed() const { return midColorUsed_; }
  void EnableMidColor();
  int32_t GetRadialX() const { return radialX_; }
  void SetRadialX(int32_t v);
  int32_t GetRadialY() const { return radialY_; }
  void SetRadialY(int32_t v);
  TColor GetStartColor() const { return startColor_; }
  void SetStartColor(TColor v);
  bool GetVisible() const { return visible_; }
  void SetVisible(bool v);

  void Draw(TCanvas3D* canvas, const TRect& rect, int32_t roundSize = 0);
  // Clipped to the polygon of the four points, over their bounds.
  void DrawPolygon(TCanvas3D* canvas, const TFourPoints& points);
  void DrawPolygonWithZ(TCanvas3D* canvas, const TFourPoints& points, int32_t z);
  // Ellipses from the centre outwards (step 0 StartColor at the centre).
  void DrawRadial(TCanvas3D* canvas, const TRect& rect, TColor startColor, TColor endColor);

protected:
  void Changed();

  int32_t balance_ = 50;
  TGradientDirection direction_ = gdTopBottom;
  TColor endColor_ = clYellow;
  TColor midColor_ = clNone;
  int32_t radialX_ = 0;
  int32_t radialY_ = 0;
  TColor startColor_ = clWhite;
  bool visible_ = false;
  bool midColorUsed_ = false;
};

class TNuvGradient : public TCustomNuvGradient {
public:
  using TCustomNuvGradient::TCustomNuvGradient;
};

// Gradient of the chart font; Outline fills the widened glyph outlines instead of their inside.
class TNuvFontGradient : public TNuvGradient {
public:
  using TNuvGradient::TNuvGradient;
  void Assign(const TPersistent* source) override;
  bool GetOutline() const { return outline_; }
  void SetOutline(bool v);

private:
  bool outline_ = false;
};

constexpr uint8_t DEFAULT_CHARSET = 1;

// Library default face and size, set once at start-up.
const std::string& NuvDefaultFontName();
int32_t NuvDefaultFontSize();
void SetNuvDefaultFont(const std::string& name, int32_t size);

class TNuvFont : public TFont {
public:
  explicit TNuvFont(TNotifyEvent onChange = {});
  ~TNuvFont() override;
  void Assign(const TPersistent* source) override;

  // Sub-objects made on first read; nullptr frees them, anything else is copied in.
  TNuvFontGradient* GetGradient();
  void SetGradient(const TNuvFontGradient* v);
  bool HasGradient() const { return gradient_ != nullptr; }
  TChartHiddenPen* GetOutLine();
  void SetOutLine(const TChartPen* v);
  bool HasOutLine() const { return outLine_ != nullptr; }
  TNuvShadow* GetShadow();
  void SetShadow(const TNuvShadow* v);
  bool HasShadow() const { return shadow_ != nullptr; }
  // Without creating the sub-object.
  TNuvFontGradient* GradientOrNull() const { return gradient_.get(); }
  TChartHiddenPen* OutLineOrNull() const { return outLine_.get(); }
  TNuvShadow* ShadowOrNull() const { return shadow_.get(); }

  int32_t GetInterCharSize() const { return interCharSize_; }
  void SetInterCharSize(int32_t v);

  TColor GetDefaultColor() const { return defaultColor_; }
  void SetDefaultColor(TColor v) { defaultColor_ = v; }
  TFontStyles GetDefaultStyle() const { return defaultStyle_; }
  void SetDefaultStyle(TFontStyles v) { defaultStyle_ = v; }
  bool IsColorStored() const { return GetColor() != defaultColor_; }
  bool IsHeightStored() const { return GetSize() != NuvDefaultFontSize(); }
  bool IsNameStored() const { return GetName() != NuvDefaultFontName(); }
  bool IsStyleStored() const { return GetStyle() != defaultStyle_; }

  // The canvas this font was last selected into (cleared when that canvas goes away). Every
  // canvas that holds the font as its current font is told when the font is destroyed.
  TNuvCanvas* GetCanvas() const { return canvas_; }
  void SetCanvas(TNuvCanvas* c);
  void DetachCanvas(TNuvCanvas* c);

private:
  void SubChanged(TObject*);

  TColor defaultColor_ = clBlack;
  int32_t interCharSize_ = 0;
  std::unique_ptr<TNuvFontGradient> gradient_;
  std::unique_ptr<TChartHiddenPen> outLine_;
  std::unique_ptr<TNuvShadow> shadow_;
  TNuvCanvas* canvas_ = nullptr;
  TFontStyles defaultStyle_ = 0;
  std::vector<TNuvCanvas*> canvases_;
};
