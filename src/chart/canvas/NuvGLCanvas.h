#pragma once
// The OpenGL chart canvas: every operation of TCanvas3D drawn with OpenGL 1.1 into an off-screen
// frame that ShowImage copies into the target canvas. Chart points (X, Y, Z) in pixels (Y down,
// Z into the screen) are sent as the vertex (X, -Y, -Z). Without the OpenGL libraries or a
// context every operation does nothing.
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "chart/canvas/NvCanvas.h"
#include "chart/canvas/OpenGL2.h"
#include "platform/FontOutline.h"

// A 2-D point in doubles (texture coordinates).
struct TFloatPoint {
  double x = 0, y = 0;
};

// A texture coordinate on a colour strip and the alpha to draw that corner with.
struct TTexCoord1D {
  double Coord = 0, Alpha = 1;
};

enum TNuvCanvasSurfaceStyle : uint8_t { tcsSolid, tcsWire, tcsDot };

// Font display lists of one face, weight and style.
struct TGLFontRecord {
  GLuint ListBase = 0;
  // Lists tracing the glyph outlines one pixel wide, laid over the fill of small text
  // (outline polygon fonts only; 0 otherwise).
  GLuint OutlineBase = 0;
  std::string Name;
  int32_t Weight = 400;
  TFontStyles Style = 0;
  // Glyphs of a bitmap font (font mode 2), by character from 32 on.
  std::vector<TGlyphBitmap> Bitmaps;
};

class TGLCanvas : public TCanvas3D {
public:
  static constexpr int MaxFonts = 10;
  static constexpr int FontListCount = 225;

  TGLCanvas();
  ~TGLCanvas() override;

  // --- TNuvCanvas
  TColor GetBackColor() override { return clWhite; }
  int32_t GetBackMode() override { return backMode_; }
  TCanvas* GetHandle() override { return dc_; }
  bool GetMonochrome() override { return false; }
  TColor GetPixel(int32_t, int32_t) override { return clWhite; }
  bool SupportsFullRotation() override { return true; }
  uint32_t GetTextAlign() override { return textAlign_; }
  bool GetBufferedDisplay() override { return bufferedDisplay_; }
  void SetBackColor(TColor color) override { backColor_ = color; }
  void SetBackMode(int32_t mode) override { backMode_ = static_cast<uint8_t>(mode); }
  void SetMonochrome(bool) override {}
  void Pixel(int32_t x, int32_t y, TColor color) override;
  void SetTextAlign(uint32_t flags) override { textAlign_ = flags; }
  void SetBufferedDisplay(bool value) override;
  void AssignVisiblePenColor(TPen* pen, TColor color) override;
  TNuvBlend* BeginBlending(const TRect& r, TNuvTransparency transparency) override;
  void EndBlending(TNuvBlend* blend) override;
  void Arc(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4) override;
  void Donut(int32_t xCenter, int32_t yCenter, int32_t xRadius, int32_t yRadius, double startAngle, double endAngle,
             double holePercent) override;
  void Draw(int32_t x, int32_t y, TGraphic* graphic) override;
  void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
  void FillRect(const TRect& r) override;
  void Frame3D(TRect& rect, TColor topColor, TColor bottomColor, int32_t width) override;
  void LineTo(int32_t x, int32_t y) override;
  void MoveTo(int32_t x, int32_t y) override;
  void Pie(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4) override;
  void Rectangle(int32_t x0, int32_t y0, int32_t x1, int32_t y1) override;
  void RoundRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3) override;
  void StretchDraw(const TRect& rect, TGraphic* graphic) override;
  void TextOut(int32_t x, int32_t y, const std::string& text) override { TextOut3D(x, y, 0, text); }
  int32_t TextWidth(const std::string& text) override;
  int32_t TextHeight(const std::string& text) override;
  int32_t WideTextWidth(const std::wstring& text) override;
  int32_t WideTextHeight(const std::wstring& text) override;
  // Scale from the platform font's height to the height this canvas draws text at.
  double DrawnTextScale() const;
  // Width of a text in outline glyphs as drawn.
  int32_t DrawnTextWidth(const std::string& text) const;
  void ClipRectangle(const TRect&) override {}
  void ClipRoundRectangle(const TRect&, int32_t) override {}
  void ClipEllipse(const TRect&, bool = false) override {}
  void ClipPolygon(std::span<const TPoint>) override {}
  void HorizLine(int32_t x0, int32_t x1, int32_t y) override;
  void VertLine(int32_t x, int32_t y0, int32_t y1) override;
  void EraseBackground(const TRect&) override {}
  void GradientFill(const TRect& rect, TColor startColor, TColor endColor, TGradientDirection direction,
                    int32_t balance = 50) override;
  void Invalidate() override {}
  void Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) override;
  void Polyline(std::span<const TPoint> points) override;
  void Polygon(std::span<const TPoint> points) override;
  void RotateLabel(int32_t x, int32_t y, const std::string& text, double angle) override;
  void UnClipRectangle() override {}

  // --- TCanvas3D
  TColor GetPixel3D(int32_t, int32_t, int32_t) override { return clWhite; }
  bool Supports3DText() override { return true; }
  void Pixel3D(int32_t x, int32_t y, int32_t z, TColor color) override;
  void Calculate2DPosition(int32_t& x, int32_t& y, int32_t z) override;
  TPoint Calculate3DPosition(int32_t x, int32_t y, int32_t z) override;
  // Through the current matrices, as the plane is drawn; false without a context.
  bool IsDepthPlaneFacing(const TRect& r, int32_t z) override;
  TRect InitWindow(TCanvas* destCanvas, TView3DOptions* view3DOptions, TColor backColor, bool is3D,
                   const TRect& rect) override;
  void Assign(TCanvas3D*) override {}
  void ViewPort(int32_t depth, const TRect& bounds, const TRect& chartRect) override;
  void ShowImage(TCanvas* destCanvas, TCanvas* defaultCanvas, const TRect& rect) override;
  bool ReDrawBitmap() override { return false; }
  void Arrow(bool filled, TPoint fromPoint, TPoint toPoint, int32_t headWidth, int32_t headHeight, int32_t z,
             int32_t arrowPercent) override;
  void ClipCube(const TRect&, int32_t, int32_t) override {}
  void Cone(bool vertical, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t z0, int32_t z1,
            bool dark3D, int32_t conePercent) override;
  void Cube(int32_t left, int32_t right, int32_t top, int32_t bottom, int32_t z0, int32_t z1,
            bool darkSides = true) override;
  void Cylinder(bool vertical, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t z0, int32_t z1,
                bool dark3D) override;
  void DisableRotation() override;
  void EllipseWithZ(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t z) override;
  void EnableRotation() override;
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

  // A surface grid: NumZ - 1 rows of NumX cells, each row one quad strip. CalcPoints(X, Z) gives
  // a cell's two points and colours, or false to break the strip there.
  using TSurfaceCalcPoints = std::function<bool(int32_t x, int32_t z, TPoint3D& p0, TPoint3D& p1, TColor& c0,
                                                TColor& c1)>;
  void Surface3D(bool sameBrush, int32_t numX, int32_t numZ, const TSurfaceCalcPoints& calcPoints);

  // --- Operations of its own
  // Screen position of a point through the current matrices (the point goes in unchanged).
  void ProjectPoint(TPoint& p, double x, double y, double z);
  // Screen positions (x, y) and depth values (z, 0..1) of many points, in doubles.
  void ProjectPoints(std::span<const TPoint3DFloat> points, std::vector<TPoint3DFloat>& result);
  void SetAmbientLight(int32_t value);
  // Light is GL_LIGHT0 + i; Color RGBA 0..1.
  void SetLight(GLenum light, const std::array<float, 4>& color, double spotDegrees, bool useDirection,
                const TPoint3DFloat& direction, const TPoint3DFloat& position);
  void SetShininess(double value);
  void SetAntialias(bool value);
  void SetDrawStyle(TNuvCanvasSurfaceStyle style);
  void Repaint();
  void Sphere(int32_t x, int32_t y, int32_t z, double radius);
  void Polygon3D(std::span<const TPoint3D> points);

  // Shared rules, also used by the viewer.
  // Alpha < 0: the canvas's alpha.
  void SetColor(TColor color, float alpha);
  void SetPen(TPen* pen);
  void EnableBrushTexture();
  void DisableBrushTexture();
  // Binds the texture of Bitmap (nullptr: nothing, true). False when the texture cache is full.
  bool SetTexture(TBitmap* bitmap);
  void UnsetTexture(TBitmap* bitmap);

  // Textured shapes of the viewer: points already in OpenGL orientation (X, -Y, -Z).
  void Polygon3DTextured(std::span<const TPoint3DFloat> points, std::span<const TFloatPoint> texCoords,
                         TBitmap* bitmap, bool reverse, const TPoint3DFloat& normal);
  void QuadStrip3DTextured(std::span<const TPoint3DFloat> points, std::span<const TFloatPoint> texCoords,
                           TBitmap* bitmap, bool reverse, const TPoint3DFloat& normal);
  // A quadrilateral of chart points coloured through the bound colour strip.
  void TexturedQuad1D(const TPoint3DFloat& p0, const TPoint3DFloat& p1, const TPoint3DFloat& p2,
                      const TPoint3DFloat& p3, const TPoint3DFloat& normal, const std::array<TTexCoord1D, 4>& tex);

  // Deletes every font's display lists.
  void FreeFonts();

  // True while a rendering context exists and the libraries are loaded: drawing happens.
  bool Active() const { return rc_ != nullptr && OpenGLLoaded(); }
  HGLRC GetRC() const { return rc_; }
  bool GetIsMemoryDC() const { return isMemoryDC_; }
  GLenum GetLastError() const { return lastError_; }
  int32_t GetWidth() const { return width_; }
  int32_t GetHeight() const { return height_; }
  int32_t GetDepth() const { return depth_; }
  bool GetIs3D() const { return is3D_; }
  float GetAlpha() const { return alpha_; }
  bool GetAntialias() const { return antialias_; }
  TNuvCanvasSurfaceStyle GetDrawStyle() const { return drawStyle_; }
  int32_t GetFontExtrusion() const { return fontExtrusion_; }
  void SetFontExtrusion(int32_t v) { fontExtrusion_ = v; }
  uint8_t GetFontMode() const { return fontMode_; }
  void SetFontMode(uint8_t v) { fontMode_ = v; }
  bool GetShadeQuality() const { return shadeQuality_; }
  void SetShadeQuality(bool v) { shadeQuality_ = v; }
  int32_t FontCount() const { return fontCount_; }
  const TGLFontRecord& FontRecord(int i) const { return fonts_.at(i); }
  TColor GetClearColor() const { return backColor_; }

  TNotifyEvent OnSetup;
  TNotifyEvent OnFrameEnd;

private:
  // Ends a group of GL calls: an OpenGL error raises an assertion failure naming the step.
  void Check(const std::string& word, const char* file, int line);
  void SetProjection();
  void SetModelView();
  double ZoomFactor() const;
  double EyeDistanceScale() const;
  void InitFixedState();
  void ReleaseContext();
  GLUquadric* GetQuadric();
  // Fill and outline of the shape-drawing rules.
  bool BeginFill();
  void EndFill();
  bool BeginOutline();
  void Vertex(int32_t x, int32_t y, int32_t z);
  // A quad over r at depth 0, facing the viewer, with texture corners (0, 0) at the top left.
  void RectQuad(const TRect& r);
  void LineToPoint(int32_t x0, int32_t y0, int32_t z0, int32_t x1, int32_t y1, int32_t z1, const char* word);
  void QuadFill(const std::array<TPoint3D, 4>& p, const TPoint3D& normal, const float* tex, bool normalAsSent);
  void QuadOutline(const std::array<TPoint3D, 4>& p);
  void ConeImpl(bool vertical, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t z0, int32_t z1,
                int32_t conePercent, bool closed, const char* word);
  // Text.
  int FindOrCreateFont();
  void BuildFontLists(TGLFontRecord& rec);
  void CallTextLists(const TGLFontRecord& rec, const std::string& bytes, bool traceOutlines);
  // Textures: target of a bound bitmap.
  GLuint TextureFor(TBitmap* bitmap, int32_t padTo);
  bool BindTexture(TBitmap* bitmap, int32_t padTo);

  TColor backColor_ = clWhite;
  uint8_t backMode_ = 0;
  int32_t depth_ = 0;
  uint32_t textAlign_ = 0;
  int32_t currentX_ = 0, currentY_ = 0, currentZ_ = 0;
  bool is3D_ = false;
  std::array<TGLFontRecord, MaxFonts> fonts_{};
  int32_t fontCount_ = 0;
  bool bufferedDisplay_ = true;
  TCanvas* targetCanvas_ = nullptr;
  TView3DOptions* targetOptions_ = nullptr;
  bool isMemoryDC_ = false;
  GLenum lastError_ = 0;
  GLUquadric* quadric_ = nullptr;
  bool antialias_ = false;
  bool quadricTextured_ = false;
  // Lighting switched on by the ambient light or a light (and off by ambient light 0).
  bool lightingOn_ = false;
  float alpha_ = 1.0f;
  std::vector<float> blendAlphas_;  // alphas of the blendings begun and not yet ended
  int32_t width_ = 0, height_ = 0;
  TCanvas* dc_ = nullptr;
  HGLRC rc_ = nullptr;
  TNuvCanvasSurfaceStyle drawStyle_ = tcsSolid;
  int32_t fontExtrusion_ = 0;
  uint8_t fontMode_ = 0;
  bool shadeQuality_ = false;
  // Texture target enabled by SetTexture for the bitmap bound last.
  GLenum boundTarget_ = 0;
  // Quads of TexturedQuad1D waiting to be drawn as one vertex array.
  // Equal corners of neighbouring quads are sent once and shared by index.
  struct TBatchVertex {
    float x, y, z, nx, ny, nz, r, g, b, a, s;
  };
  static constexpr size_t kQuadsPerBatch = 10000;
  struct TQuadBatch {
    std::vector<TBatchVertex> vertices;
    std::vector<GLuint> indices;
    std::vector<GLuint> triangles;  // the quads split for drawing
  } batch_;
  // Draws the waiting quads; false when the canvas is inert (nothing may be called).
  bool Ready()
  {
    if (!Active()) return false;
    // Another canvas may have made its context current since.
    if (EglCurrentContext() != rc_ && !EglMakeCurrent(nullptr, rc_)) return false;
    if (!batch_.indices.empty()) FlushBatch();
    return true;
  }
  void FlushBatch();
};

// The texture cache: one record per bitmap identity and context, at most 50 per context; a new
// texture in a full cache takes the place of the one used least recently.
constexpr int MaxTextureRecords = 50;
void ClearTextureCache();
// Records held now (all contexts, or one).
int TextureCacheCount();
int TextureCacheCount(HGLRC context);
// Textures wrap (repeat) while on, the normal state; off they are clamped.
void SetTextureRepeat(bool on);
bool GetTextureRepeat();
// Process-wide text angles about X and then Y, degrees.
void SetTextAngles(double angleX, double angleY);
