#pragma once
// The chart drawing surface: TNuvCanvas (2-D operations), TCanvas3D (projected 3-D operations)
// and TNuvCanvas3D, which draws them on a platform canvas, optionally through an off-screen bitmap.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "chart/canvas/NvCanvasAttributes.h"
#include "chart/canvas/NvCanvasEffects.h"
#include "chart/canvas/NvCanvasRoutines.h"
#include "platform/Graphics.h"

class TNuvBlend;
class TRegion;

struct TPoint3D {
  int32_t x = 0, y = 0, z = 0;
  friend bool operator==(const TPoint3D&, const TPoint3D&) = default;
};

struct TPoint3DFloat {
  double x = 0, y = 0, z = 0;
};

// Back modes.
constexpr int32_t cbmTransparent = 1, cbmOpaque = 2;

// Library-wide amounts used to shade solids.
constexpr int32_t DarkColorQuantity = 128;
constexpr int32_t DarkerColorQuantity = 64;
constexpr int32_t PieSideColorQuantity = 32;
constexpr int32_t CylinderSides = 16;

// Draws markup text (installed by the markup renderer); plain TextOut when not installed.
using TNuvHtmlTextOut = std::function<void(class TNuvCanvas* canvas, int32_t x, int32_t y, const std::string& text)>;
extern TNuvHtmlTextOut NuvHtmlTextOut;

class TNuvCanvas : public TObject {
public:
  TNuvCanvas();
  ~TNuvCanvas() override;
  TNuvCanvas(const TNuvCanvas&) = delete;
  TNuvCanvas& operator=(const TNuvCanvas&) = delete;

  // Operations of every chart canvas, in their fixed order.
  virtual TColor GetBackColor() = 0;
  virtual int32_t GetBackMode() = 0;
  // The device context: the platform canvas drawn on now.
  virtual TCanvas* GetHandle() = 0;
  virtual bool GetMonochrome() = 0;
  virtual TColor GetPixel(int32_t x, int32_t y) = 0;
  virtual bool SupportsFullRotation() = 0;
  virtual uint32_t GetTextAlign() = 0;
  virtual bool GetBufferedDisplay() = 0;
  virtual void SetBackColor(TColor color) = 0;
  virtual void SetBackMode(int32_t mode) = 0;
  virtual void SetMonochrome(bool value) = 0;
  virtual void Pixel(int32_t x, int32_t y, TColor color) = 0;
  virtual void SetTextAlign(uint32_t flags) = 0;
  virtual void SetBufferedDisplay(bool value) = 0;
  virtual void AssignVisiblePenColor(TPen* pen, TColor color) = 0;
  virtual TNuvBlend* BeginBlending(const TRect& r, TNuvTransparency transparency) = 0;
  virtual void EndBlending(TNuvBlend* blend) = 0;
  virtual void Arc(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4) = 0;
  // Angles in radians, counter-clockwise.
  virtual void Donut(int32_t xCenter, int32_t yCenter, int32_t xRadius, int32_t yRadius, double startAngle,
                     double endAngle, double holePercent) = 0;
  virtual void Draw(int32_t x, int32_t y, TGraphic* graphic) = 0;
  virtual void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
  virtual void FillRect(const TRect& r) = 0;
  virtual void Frame3D(TRect& rect, TColor topColor, TColor bottomColor, int32_t width) = 0;
  virtual void LineTo(int32_t x, int32_t y) = 0;
  virtual void MoveTo(int32_t x, int32_t y) = 0;
  virtual void Pie(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4) = 0;
  virtual void Rectangle(int32_t x0, int32_t y0, int32_t x1, int32_t y1) = 0;
  virtual void RoundRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3) = 0;
  virtual void StretchDraw(const TRect& rect, TGraphic* graphic) = 0;
  virtual void TextOut(int32_t x, int32_t y, const std::string& text) = 0;
  virtual int32_t TextWidth(const std::string& text) = 0;
  virtual int32_t TextHeight(const std::string& text) = 0;
  virtual int32_t WideTextWidth(const std::wstring& text) = 0;
  virtual int32_t WideTextHeight(const std::wstring& text) = 0;
  virtual void ClipRectangle(const TRect& rect) = 0;
  virtual void ClipRoundRectangle(const TRect& rect, int32_t roundSize) = 0;
  virtual void ClipEllipse(const TRect& rect, bool inverted = false) = 0;
  virtual void ClipPolygon(std::span<const TPoint> points) = 0;
  virtual void HorizLine(int32_t x0, int32_t x1, int32_t y) = 0;
  virtual void VertLine(int32_t x, int32_t y0, int32_t y1) = 0;
  virtual void EraseBackground(const TRect& rect) = 0;
  virtual void GradientFill(const TRect& rect, TColor startColor, TColor endColor, TGradientDirection direction,
                            int32_t balance = 50) = 0;
  virtual void Invalidate() = 0;
  virtual void Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) = 0;
  virtual void Polyline(std::span<const TPoint> points) = 0;
  virtual void Polygon(std::span<const TPoint> points) = 0;
  // Angle in degrees, counter-clockwise.
  virtual void RotateLabel(int32_t x, int32_t y, const std::string& text, double angle) = 0;
  virtual void UnClipRectangle() = 0;

  // Conveniences.
  // Draws on Canvas from now on and takes over its pen, brush and font.
  void AttachCanvas(TCanvas* canvas);
  void ResetState();
  void AssignBrush(TChartBrush* brush, TColor color);
  void AssignBrushColor(TChartBrush* brush, TColor color, TColor backColor);
  void AssignVisiblePen(TPen* pen) { AssignVisiblePenColor(pen, pen->GetColor()); }
  void AssignFont(TNuvFont* font);
  int32_t FontHeight() { return TextHeight("W"); }
  void RectangleRect(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  void EllipseRect(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
  void LinePoints(TPoint p0, TPoint p1) { Line(p0.x, p0.y, p1.x, p1.y); }
  void TextOutFormatted(int32_t x, int32_t y, const std::string& text, bool isHtml);
  void RoundRectRect(const TRect& r, int32_t x3, int32_t y3) { RoundRect(r.Left, r.Top, r.Right, r.Bottom, x3, y3); }
  // Applies a darkened side colour: to the brush when solid, else to the back colour.
  void ApplyDarkColor(TColor color, int32_t quantity);
  // Draw of graphic at each of points in turn; a canvas may copy them all in one pass.
  virtual void DrawRepeated(std::span<const TPoint> points, TGraphic* graphic);

  TCanvas* GetReferenceCanvas() const { return referenceCanvas_; }
  TPen* Pen() const { return pen_; }
  TBrush* Brush() const { return brush_; }
  TFont* Font() const { return font_; }
  bool GetMetafiling() const { return metafiling_; }
  void SetMetafiling(bool v) { metafiling_ = v; }
  TNuvTransparency GetBlendTransparency() const { return blendTransparency_; }
  const TRect& GetBounds() const { return bounds_; }
  TNuvFont* GetCurrentFont() const { return currentFont_; }
  void SetCurrentFont(TNuvFont* f);
  double GetFontZoom() const { return fontZoom_; }
  void SetFontZoom(double v) { fontZoom_ = v; }

protected:
  TCanvas* referenceCanvas_ = nullptr;
  TFont* font_ = nullptr;
  TPen* pen_ = nullptr;
  TBrush* brush_ = nullptr;
  bool metafiling_ = false;
  TNuvTransparency blendTransparency_ = 0;
  TRect bounds_;
  TNuvFont* currentFont_ = nullptr;
  double fontZoom_ = 100.0;
};

// How many of Frame3D's width frames to draw in rect (none beyond its larger side), and the
// rectangle moved in by the frames not drawn, as if they had been.
int32_t Frame3DCount(const TRect& rect, int32_t width);
void DeflateRestOfFrame3D(TRect& rect, int32_t width, int32_t framesDrawn);

class TCanvas3D : public TNuvCanvas {
public:
  // Projected operations, in their fixed order.
  virtual TColor GetPixel3D(int32_t x, int32_t y, int32_t z) = 0;
  virtual bool Supports3DText() = 0;
  virtual void Pixel3D(int32_t x, int32_t y, int32_t z, TColor color) = 0;
  // Screen point at a known depth back to chart coordinates.
  virtual void Calculate2DPosition(int32_t& x, int32_t& y, int32_t z) = 0;
  virtual TPoint Calculate3DPosition(int32_t x, int32_t y, int32_t z) = 0;
  // Whether the plane of r at depth z is seen from behind: its corners, projected as this canvas
  // draws them, turn the other way round on the screen. Calculate3DPosition here.
  virtual bool IsDepthPlaneFacing(const TRect& r, int32_t z);
  // Starts a drawing; returns the rectangle to draw in.
  virtual TRect InitWindow(TCanvas* destCanvas, TView3DOptions* view3DOptions, TColor backColor, bool is3D,
                           const TRect& rect) = 0;
  virtual void Assign(TCanvas3D* source) = 0;
  virtual void ViewPort(int32_t depth, const TRect& bounds, const TRect& chartRect) = 0;
  virtual void ShowImage(TCanvas* destCanvas, TCanvas* defaultCanvas, const TRect& rect) = 0;
  virtual bool ReDrawBitmap() = 0;
  virtual void Arrow(bool filled, TPoint fromPoint, TPoint toPoint, int32_t headWidth, int32_t headHeight, int32_t z,
                     int32_t arrowPercent) = 0;
  virtual void ClipCube(const TRect& rect, int32_t minZ, int32_t maxZ) = 0;
  virtual void Cone(bool vertical, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t z0, int32_t z1,
                    bool dark3D, int32_t conePercent) = 0;
  virtual void Cube(int32_t left, int32_t right, int32_t top, int32_t bottom, int32_t z0, int32_t z1,
                    bool darkSides = true) = 0;
  virtual void Cylinder(bool vertical, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t z0,
                        int32_t z1, bool dark3D) = 0;
  virtual void DisableRotation() {}
  virtual void EllipseWithZ(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t z) = 0;
  virtual void EnableRotation() {}
  virtual void HorizLine3D(int32_t x0, int32_t x1, int32_t y, int32_t z);
  virtual void VertLine3D(int32_t x, int32_t y0, int32_t y1, int32_t z);
  // VertLine3D at each of xs in turn (a grid); a canvas may draw them together.
  virtual void VertLines3D(std::span<const int32_t> xs, int32_t y0, int32_t y1, int32_t z);
  // HorizLine3D at each of ys in turn; likewise.
  virtual void HorizLines3D(std::span<const int32_t> ys, int32_t x0, int32_t x1, int32_t z);
  virtual void ZLine3D(int32_t x, int32_t y, int32_t z0, int32_t z1);
  virtual void FrontPlaneBegin() = 0;
  virtual void FrontPlaneEnd() = 0;
  virtual void LineWithZ(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t z);
  virtual void MoveTo3D(int32_t x, int32_t y, int32_t z) = 0;
  virtual void LineTo3D(int32_t x, int32_t y, int32_t z) = 0;
  // Angles in radians; gradient (may be nullptr) fills the cover.
  virtual void Pie3D(int32_t xCenter, int32_t yCenter, int32_t xRadius, int32_t yRadius, int32_t z0, int32_t z1,
                     double startAngle, double endAngle, bool darkSides, bool drawSides, int32_t donutPercent = 0,
                     TCustomNuvGradient* gradient = nullptr) = 0;
  virtual void Plane3D(TPoint p0, TPoint p1, int32_t z0, int32_t z1) = 0;
  virtual void PlaneWithZ(TPoint p1, TPoint p2, TPoint p3, TPoint p4, int32_t z) = 0;
  virtual void PlaneFour3D(const TFourPoints& points, int32_t z0, int32_t z1) = 0;
  virtual void PolygonWithZ(std::span<const TPoint> points, int32_t z) = 0;
  virtual void PolylineWithZ(std::span<const TPoint> points, int32_t z) = 0;
  virtual void Pyramid(bool vertical, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t z0,
                       int32_t z1, bool darkSides) = 0;
  virtual void PyramidTrunc(const TRect& r, int32_t startZ, int32_t endZ, int32_t truncX, int32_t truncZ) = 0;
  virtual void RectangleWithZ(const TRect& rect, int32_t z) = 0;
  virtual void RectangleY(int32_t left, int32_t y, int32_t right, int32_t z0, int32_t z1) = 0;
  virtual void RectangleZ(int32_t x, int32_t top, int32_t bottom, int32_t z0, int32_t z1) = 0;
  virtual void RotateLabel3D(int32_t x, int32_t y, int32_t z, const std::string& text, double angle) = 0;
  virtual void CircleWithZ(int32_t xCenter, int32_t yCenter, double radius, int32_t z) = 0;
  virtual void Surface3D() = 0;
  virtual void TextOut3D(int32_t x, int32_t y, int32_t z, const std::string& text) = 0;
  virtual void Triangle3D(const TPoint3D& p0, const TPoint3D& p1, const TPoint3D& p2, TColor color0, TColor color1,
                          TColor color2) = 0;
  virtual void TriangleWithZ(TPoint p1, TPoint p2, TPoint p3, int32_t z) = 0;

  // Conveniences.
  void ArrowDefaultPercent(bool filled, TPoint fromPoint, TPoint toPoint, int32_t headWidth, int32_t headHeight,
                           int32_t z)
  {
    Arrow(filled, fromPoint, toPoint, headWidth, headHeight, z, 50);
  }
  // Both corners projected.
  TRect CalcRect3D(const TRect& r, int32_t z);
  TPoint Calc3DPoint(TPoint p, int32_t z) { return Calculate3DPosition(p.x, p.y, z); }
  void CubeRect(const TRect& r, int32_t z0, int32_t z1, bool darkSides = true)
  {
    Cube(r.Left, r.Right, r.Top, r.Bottom, z0, z1, darkSides);
  }
  // The four corners projected (top-left, top-right, bottom-right, bottom-left).
  TFourPoints RectCorners3D(const TRect& r, int32_t z);
  // Bounds of the four projected corners.
  TRect CalcRect3DBounds(const TRect& r, int32_t z);
  void LineWithZPoints(TPoint p0, TPoint p1, int32_t z) { LineWithZ(p0.x, p0.y, p1.x, p1.y, z); }
  void PlaneWithZPoints(const TFourPoints& p, int32_t z) { PlaneWithZ(p[0], p[1], p[2], p[3], z); }
  // Each pixel of the graphic as a projected quadrilateral at depth Z.
  void StretchDraw3D(const TRect& rect, TGraphic* graphic, int32_t z);

  TView3DOptions* GetView3DOptions() const { return view3DOptions_; }
  void SetView3DOptions(TView3DOptions* v) { view3DOptions_ = v; }
  int32_t GetFrontPlaneCount() const { return frontPlaneCount_; }
  bool GetIsOrthogonal() const { return isOrthogonal_; }
  int32_t GetXCenter() const { return xCenter_; }
  int32_t GetYCenter() const { return yCenter_; }
  int32_t GetZCenter() const { return zCenter_; }
  void SetXCenter(int32_t v) { xCenter_ = v; }
  void SetYCenter(int32_t v) { yCenter_ = v; }
  void SetZCenter(int32_t v) { zCenter_ = v; }
  int32_t GetFlatFillDepth() const { return flatFillDepth_; }
  void SetFlatFillDepth(int32_t v) { flatFillDepth_ = v; }
  const TPoint3DFloat& GetRotationCenter() const { return rotationCenter_; }
  void SetRotationCenter(const TPoint3DFloat& v) { rotationCenter_ = v; }

protected:
  TView3DOptions* view3DOptions_ = nullptr;
  int32_t frontPlaneCount_ = 0;
  bool isOrthogonal_ = false;
  int32_t xCenter_ = 0, yCenter_ = 0, zCenter_ = 0;
  int32_t flatFillDepth_ = 0;
  TPoint3DFloat rotationCenter_;
};

// The GDI canvas.
class TNuvCanvas3D : public TCanvas3D {
public:
  TNuvCanvas3D();
  ~TNuvCanvas3D() override;

  TColor GetBackColor() override;
  int32_t GetBackMode() override;
  TCanvas* GetHandle() override { return referenceCanvas_; }
  bool GetMonochrome() override { return monochrome_; }
  TColor GetPixel(int32_t x, int32_t y) override;
  bool SupportsFullRotation() override { return false; }
  uint32_t GetTextAlign() override;
  bool GetBufferedDisplay() override { return bufferedDisplay_; }
  void SetBackColor(TColor color) override;
  void SetBackMode(int32_t mode) override;
  void SetMonochrome(bool value) override;
  void Pixel(int32_t x, int32_t y, TColor color) override;
  void SetTextAlign(uint32_t flags) override;
  void SetBufferedDisplay(bool value) override;
  void AssignVisiblePenColor(TPen* pen, TColor color) override;
  TNuvBlend* BeginBlending(const TRect& r, TNuvTransparency transparency) override;
  void EndBlending(TNuvBlend* blend) override;
  void Arc(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4) override;
  void Donut(int32_t xCenter, int32_t yCenter, int32_t xRadius, int32_t yRadius, double startAngle, double endAngle,
             double holePercent) override;
  void Draw(int32_t x, int32_t y, TGraphic* graphic) override;
  void DrawRepeated(std::span<const TPoint> points, TGraphic* graphic) override;
  void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
  void FillRect(const TRect& r) override;
  void Frame3D(TRect& rect, TColor topColor, TColor bottomColor, int32_t width) override;
  void LineTo(int32_t x, int32_t y) override;
  void MoveTo(int32_t x, int32_t y) override;
  void Pie(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4) override;
  void Rectangle(int32_t x0, int32_t y0, int32_t x1, int32_t y1) override;
  void RoundRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3) override;
  void StretchDraw(const TRect& rect, TGraphic* graphic) override;
  void TextOut(int32_t x, int32_t y, const std::string& text) override;
  int32_t TextWidth(const std::string& text) override;
  int32_t TextHeight(const std::string& text) override;
  int32_t WideTextWidth(const std::wstring& text) override;
  int32_t WideTextHeight(const std::wstring& text) override;
  void ClipRectangle(const TRect& rect) override;
  void ClipRoundRectangle(const TRect& rect, int32_t roundSize) override;
  void ClipEllipse(const TRect& rect, bool inverted = false) override;
  void ClipPolygon(std::span<const TPoint> points) override;
  void HorizLine(int32_t x0, int32_t x1, int32_t y) override;
  void VertLine(int32_t x, int32_t y0, int32_t y1) override;
  void EraseBackground(const TRect& rect) override;
  void GradientFill(const TRect& rect, TColor startColor, TColor endColor, TGradientDirection direction,
                    int32_t balance = 50) override;
  void Invalidate() override { bitmapInvalid_ = true; }
  void Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) override;
  void Polyline(std::span<const TPoint> points) override;
  void Polygon(std::span<const TPoint> points) override;
  void RotateLabel(int32_t x, int32_t y, const std::string& text, double angle) override;
  void UnClipRectangle() override;

  TColor GetPixel3D(int32_t x, int32_t y, int32_t z) override;
  bool Supports3DText() override { return false; }
  void Pixel3D(int32_t x, int32_t y, int32_t z, TColor color) override;
  void Calculate2DPosition(int32_t& x, int32_t& y, int32_t z) override;
  TPoint Calculate3DPosition(int32_t x, int32_t y, int32_t z) override;
  // Double form: X and Y not rounded before use; always the tilted formula in 3-D.
  TPoint Calculate3DPositionFloat(double x, double y, int32_t z);
  TRect InitWindow(TCanvas* destCanvas, TView3DOptions* view3DOptions, TColor backColor, bool is3D,
                   const TRect& rect) override;
  void Assign(TCanvas3D* source) override;
  void ViewPort(int32_t depth, const TRect& bounds, const TRect& chartRect) override;
  void ShowImage(TCanvas* destCanvas, TCanvas* defaultCanvas, const TRect& rect) override;
  bool ReDrawBitmap() override;
  void Arrow(bool filled, TPoint fromPoint, TPoint toPoint, int32_t headWidth, int32_t headHeight, int32_t z,
             int32_t arrowPercent) override;
  void ClipCube(const TRect& rect, int32_t minZ, int32_t maxZ) override;
  void Cone(bool vertical, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t z0, int32_t z1,
            bool dark3D, int32_t conePercent) override;
  void Cube(int32_t left, int32_t right, int32_t top, int32_t bottom, int32_t z0, int32_t z1,
            bool darkSides = true) override;
  void Cylinder(bool vertical, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t z0, int32_t z1,
                bool dark3D) override;
  void DisableRotation() override;
  void EllipseWithZ(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t z) override;
  void EnableRotation() override;
  void VertLines3D(std::span<const int32_t> xs, int32_t y0, int32_t y1, int32_t z) override;
  void HorizLines3D(std::span<const int32_t> ys, int32_t x0, int32_t x1, int32_t z) override;
  void FrontPlaneBegin() override;
  void FrontPlaneEnd() override;
  void MoveTo3D(int32_t x, int32_t y, int32_t z) override;
  void LineTo3D(int32_t x, int32_t y, int32_t z) override;
  void Pie3D(int32_t xCenter, int32_t yCenter, int32_t xRadius, int32_t yRadius, int32_t z0, int32_t z1,
             double startAngle, double endAngle, bool darkSides, bool drawSides, int32_t donutPercent = 0,
             TCustomNuvGradient* gradient = nullptr) override;
  void Plane3D(TPoint p0, TPoint p1, int32_t z0, int32_t z1) override;
  void PlaneWithZ(TPoint p1, TPoint p2, TPoint p3, TPoint p4, int32_t z) override;
  void PlaneFour3D(const TFourPoints& points, int32_t z0, int32_t z1) override;
  void PolygonWithZ(std::span<const TPoint> points, int32_t z) override;
  void PolylineWithZ(std::span<const TPoint> points, int32_t z) override;
  void Pyramid(bool vertical, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t z0, int32_t z1,
               bool darkSides) override;
  void PyramidTrunc(const TRect& r, int32_t startZ, int32_t endZ, int32_t truncX, int32_t truncZ) override;
  void RectangleWithZ(const TRect& rect, int32_t z) override;
  void RectangleY(int32_t left, int32_t y, int32_t right, int32_t z0, int32_t z1) override;
  void RectangleZ(int32_t x, int32_t top, int32_t bottom, int32_t z0, int32_t z1) override;
  void RotateLabel3D(int32_t x, int32_t y, int32_t z, const std::string& text, double angle) override;
  void CircleWithZ(int32_t xCenter, int32_t yCenter, double radius, int32_t z) override;
  void Surface3D() override {}
  void TextOut3D(int32_t x, int32_t y, int32_t z, const std::string& text) override;
  void Triangle3D(const TPoint3D& p0, const TPoint3D& p1, const TPoint3D& p2, TColor color0, TColor color1,
                  TColor color2) override;
  void TriangleWithZ(TPoint p1, TPoint p2, TPoint p3, int32_t z) override;

  // Polygon of the four-point buffer.
  void PolygonFour();
  void DeleteBitmap();
  // Copies the whole off-screen bitmap to Canvas at (X, Y).
  void TransferBitmap(int32_t x, int32_t y, TCanvas* canvas);

  TBitmap* GetBitmap() const { return bitmap_.get(); }
  bool GetBitmapInvalid() const { return bitmapInvalid_; }
  bool GetKeepBitmap() const { return keepBitmap_; }
  void SetKeepBitmap(bool v) { keepBitmap_ = v; }
  bool GetIs3D() const { return is3D_; }
  bool GetZoomText() const { return zoomText_; }
  double GetZoomFactor() const { return zoomFactor_; }
  int32_t GetXCenterOffset() const { return xCenterOffset_; }
  int32_t GetYCenterOffset() const { return yCenterOffset_; }
  bool GetHasPerspective() const { return hasPerspective_; }
  double GetPerspectiveFactor() const { return perspectiveFactor_; }
  TFourPoints& FourPoints() { return iPoints_; }

private:
  void CalcTrigValues();
  // Rotation and perspective of a point given relative to the centre: the rotated coordinates
  // (a, b) and the zoom factor that scales them.
  void Rotate3D(long double xs, long double ys, long double zs, long double& a, long double& b, long double& f) const;
  void SelectChartPen(TPen* pen, TColor color);
  // Sets the four-point buffer from projected points.
  void SetFour(TPoint3D a, TPoint3D b, TPoint3D c, TPoint3D d);
  void SetBrushColorIfChanged(TColor color);
  void TextOutPlain(int32_t x, int32_t y, const std::string& text);
  void TextOutChartFont(int32_t x, int32_t y, const std::string& text);
  TRect TextRectAt(int32_t x, int32_t y, const std::string& text);
  void CubeFaces(int32_t left, int32_t right, int32_t top, int32_t bottom, int32_t z0, int32_t z1, bool darkSides);
  void ConeBody(bool vertical, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t z0, int32_t z1,
                bool dark3D, int32_t conePercent);
  void SaveClip();
  // Text with a temporary font of the given height / escapement; restores the font after.
  void WithTempFont(int32_t height, int32_t escapement, const std::function<void()>& draw);

  int32_t xCenterOffset_ = 0, yCenterOffset_ = 0;
  long double sinE_ = 0, cosE_ = 1, sinR_ = 0, cosR_ = 1, sinT_ = 0, cosT_ = 1;
  double d0_ = 0, d1_ = 0, d2_ = 0, d3_ = 0, d4_ = 0, d5_ = 0;
  bool savedIs3D_ = false;
  std::unique_ptr<TBitmap> bitmap_;
  bool bitmapInvalid_ = true;
  bool monochrome_ = false;
  bool hasPerspective_ = false;
  bool hasTilt_ = false;
  double orthoFactorX_ = 0, orthoFactorY_ = 0;
  double perspectiveFactor_ = 0;
  double zoomFactor_ = 0;
  bool zoomText_ = true;
  bool bufferedDisplay_ = true;
  bool is3D_ = false;
  bool keepBitmap_ = false;
  TFourPoints iPoints_{};
  // The clip region in force before the last clip (one per canvas).
  std::unique_ptr<TRegion> savedClip_;
  bool hasSavedClip_ = false;
};
