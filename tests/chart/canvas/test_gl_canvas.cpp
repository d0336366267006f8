// Pixels of frames drawn headless by the OpenGL canvas into memory bitmaps.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "chart/canvas/NuvGLCanvas.h"

namespace {

int R(TColor c) { return GetRValue(c); }
int G(TColor c) { return GetGValue(c); }
int B(TColor c) { return GetBValue(c); }

bool Near(TColor a, TColor b, int tolerance = 8)
{
  return std::abs(R(a) - R(b)) <= tolerance && std::abs(G(a) - G(b)) <= tolerance && std::abs(B(a) - B(b)) <= tolerance;
}

bool NearColor(TColor a, TColor b) { return Near(a, b); }

std::string Hex(TColor c)
{
  char s[16];
  std::snprintf(s, sizeof s, "%06X", static_cast<unsigned>(c & 0xFFFFFF));
  return s;
}

#define EXPECT_COLOR(actual, expected) EXPECT_PRED2(NearColor, actual, expected) << Hex(actual) << " vs " << Hex(expected)

// A bitmap with four coloured quadrants: red top-left, green top-right, blue bottom-left,
// yellow bottom-right.
std::unique_ptr<TBitmap> Quadrants(int size)
{
  auto b = std::make_unique<TBitmap>();
  b->SetSize(size, size);
  TCanvas* c = b->Canvas();
  c->Pen()->SetStyle(psClear);
  const TColor colours[4] = {clRed, clLime, clBlue, clYellow};
  for (int q = 0; q < 4; ++q) {
    c->Brush()->SetColor(colours[q]);
    const int x = (q % 2) * size / 2, y = (q / 2) * size / 2;
    c->FillRect(Rect(x, y, x + size / 2, y + size / 2));
  }
  return b;
}

// One frame into a memory bitmap.
struct Frame {
  TBitmap bmp;
  TGLCanvas canvas;
  TRect rect;
  TView3DOptions* options = nullptr;
  bool is3D = false;

  Frame(int w, int h, TView3DOptions* o = nullptr, bool threeD = false) : rect(Rect(0, 0, w, h)), options(o), is3D(threeD)
  {
    bmp.SetSize(w, h);
  }
  void Begin(TColor back = clWhite, int depth = 0)
  {
    canvas.InitWindow(bmp.Canvas(), options, back, is3D, rect);
    ASSERT_TRUE(canvas.Active()) << "no OpenGL context";
    canvas.ViewPort(depth, rect, rect);
  }
  void End() { canvas.ShowImage(bmp.Canvas(), bmp.Canvas(), rect); }
  TColor At(int x, int y) { return bmp.Canvas()->GetPixel(x, y); }
};

}  // namespace

TEST(GLCanvasPixels, TexturedPolygonAndStripShowTheirPictureTheRightWayUp)
{
  auto picture = Quadrants(64);
  Frame f(200, 200);
  f.Begin();
  f.canvas.DisableRotation();  // chart pixels are window pixels
  f.canvas.Pen()->SetStyle(psClear);
  f.canvas.Brush()->SetColor(clWhite);
  // Points in OpenGL orientation (X, -Y, -Z), texture (0, 0) at the picture's top-left.
  const std::vector<TPoint3DFloat> square = {{20, -20, 0}, {100, -20, 0}, {100, -100, 0}, {20, -100, 0}};
  const std::vector<TFloatPoint> tex = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  f.canvas.Polygon3DTextured(square, tex, picture.get(), true, {0, 0, 1});
  // Strip: top edge then bottom edge, both left to right.
  const std::vector<TPoint3DFloat> strip = {{110, -20, 0}, {190, -20, 0}, {110, -100, 0}, {190, -100, 0}};
  const std::vector<TFloatPoint> stripTex = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
  f.canvas.QuadStrip3DTextured(strip, stripTex, picture.get(), false, {0, 0, 1});
  f.canvas.EnableRotation();
  f.End();
  for (int x0 : {20, 110}) {
    EXPECT_COLOR(f.At(x0 + 20, 40), clRed);
    EXPECT_COLOR(f.At(x0 + 60, 40), clLime);
    EXPECT_COLOR(f.At(x0 + 20, 80), clBlue);
    EXPECT_COLOR(f.At(x0 + 60, 80), clYellow);
  }
  EXPECT_COLOR(f.At(60, 150), clWhite);
  // The brush does not keep the picture after the call.
  EXPECT_EQ(f.canvas.Brush()->GetBitmap(), nullptr);
}

TEST(GLCanvasPixels, FillRectAndStretchDrawKeepThePictureUpright)
{
  auto picture = Quadrants(32);
  Frame f(200, 120);
  f.Begin();
  f.canvas.DisableRotation();
  f.canvas.StretchDraw(Rect(10, 10, 90, 90), picture.get());
  f.canvas.Brush()->SetBitmap(picture.get());
  f.canvas.Brush()->SetColor(clWhite);
  f.canvas.Pen()->SetStyle(psClear);
  f.canvas.FillRect(Rect(110, 10, 190, 90));
  f.canvas.Brush()->SetBitmap(nullptr);
  f.canvas.EnableRotation();
  f.End();
  for (int x0 : {10, 110}) {
    EXPECT_COLOR(f.At(x0 + 20, 30), clRed);
    EXPECT_COLOR(f.At(x0 + 60, 30), clLime);
    EXPECT_COLOR(f.At(x0 + 20, 70), clBlue);
    EXPECT_COLOR(f.At(x0 + 60, 70), clYellow);
  }
}

TEST(GLCanvasPixels, OneDimensionalQuadsShowTheStripColoursAtTheirCoordinates)
{
  // Four bands of 128 texels each.
  TBitmap strip;
  strip.SetSize(512, 1);
  const TColor bands[4] = {clRed, clLime, clBlue, clFuchsia};
  for (int x = 0; x < 512; ++x) strip.Canvas()->SetPixel(x, 0, bands[x / 128]);
  Frame f(200, 100);
  f.Begin();
  f.canvas.DisableRotation();
  f.canvas.Brush()->SetBitmap(&strip);
  f.canvas.EnableBrushTexture();
  // Chart points (Y down); one quad per band, all corners at the band's middle.
  for (int b = 0; b < 4; ++b) {
    const double c = (b * 128 + 64) / 512.0, x = 10 + b * 40;
    f.canvas.TexturedQuad1D({x, 10, 0}, {x + 30, 10, 0}, {x + 30, 40, 0}, {x, 40, 0}, {0, 0, 1},
                            {{{c, 1}, {c, 1}, {c, 1}, {c, 1}}});
  }
  // A ramp: coordinate 0 on the left edge, 1 on the right.
  f.canvas.TexturedQuad1D({10, 60, 0}, {170, 60, 0}, {170, 90, 0}, {10, 90, 0}, {0, 0, 1},
                          {{{0, 1}, {0.999, 1}, {0.999, 1}, {0, 1}}});
  f.canvas.DisableBrushTexture();
  f.canvas.Brush()->SetBitmap(nullptr);
  f.canvas.EnableRotation();
  f.End();
  for (int b = 0; b < 4; ++b) EXPECT_COLOR(f.At(25 + b * 40, 25), bands[b]) << "band " << b;
  for (int b = 0; b < 4; ++b) EXPECT_COLOR(f.At(10 + 20 + b * 40, 75), bands[b]) << "ramp " << b;
  EXPECT_COLOR(f.At(185, 75), clWhite);
}

TEST(GLCanvasPixels, LightingShadesAndTheSelectionPenOutlinesAPanel)
{
  auto picture = Quadrants(64);
  TBitmap white;
  white.SetSize(8, 8);
  Frame f(200, 100);
  f.Begin();
  f.canvas.DisableRotation();
  f.canvas.Brush()->SetColor(clWhite);
  // Left panel unlit, outlined with the red selection pen.
  f.canvas.Pen()->SetColor(clRed);
  f.canvas.Pen()->SetStyle(psSolid);
  const std::vector<TPoint3DFloat> left = {{10, -10, 0}, {90, -10, 0}, {10, -90, 0}, {90, -90, 0}};
  const std::vector<TFloatPoint> tex = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
  f.canvas.QuadStrip3DTextured(left, tex, &white, false, {0, 0, 1});
  // Right panel lit by 30 % ambient light only: a third of white.
  f.canvas.SetAmbientLight(30);
  f.canvas.Pen()->SetStyle(psClear);
  const std::vector<TPoint3DFloat> right = {{110, -10, 0}, {190, -10, 0}, {110, -90, 0}, {190, -90, 0}};
  f.canvas.QuadStrip3DTextured(right, tex, &white, false, {0, 0, 1});
  f.canvas.EnableRotation();
  f.End();
  EXPECT_COLOR(f.At(50, 50), clWhite);
  // The outline runs along the panel's edges (within a pixel of them).
  auto redNear = [&](int x, int y) {
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if (Near(f.At(x + dx, y + dy), clRed)) return true;
    return false;
  };
  EXPECT_TRUE(redNear(50, 10));
  EXPECT_TRUE(redNear(50, 89));
  EXPECT_TRUE(redNear(10, 50));
  EXPECT_TRUE(redNear(89, 50));
  EXPECT_FALSE(redNear(50, 50));
  const TColor lit = f.At(150, 50);
  EXPECT_NEAR(R(lit), 77, 6);
  EXPECT_NEAR(G(lit), 77, 6);
  EXPECT_NEAR(B(lit), 77, 6);
}

TEST(GLCanvasPixels, ALightFacingThePanelBrightensIt)
{
  TBitmap white;
  white.SetSize(8, 8);
  std::vector<TColor> seen;
  for (bool withLight : {false, true}) {
    Frame f(100, 100);
    f.Begin();
    f.canvas.DisableRotation();
    f.canvas.SetAmbientLight(20);
    if (withLight)
      f.canvas.SetLight(GL_LIGHT0, {0.0f, 0.0f, 0.0f, 1.0f}, 180, false, {0, 0, 0}, {50, 50, -500});
    f.canvas.Pen()->SetStyle(psClear);
    f.canvas.Brush()->SetColor(clWhite);
    const std::vector<TPoint3DFloat> pts = {{10, -10, 0}, {90, -10, 0}, {10, -90, 0}, {90, -90, 0}};
    const std::vector<TFloatPoint> tex = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    f.canvas.QuadStrip3DTextured(pts, tex, &white, false, {0, 0, 1});
    f.canvas.EnableRotation();
    f.End();
    seen.push_back(f.At(50, 50));
  }
  EXPECT_NEAR(R(seen[0]), 51, 6);
  // Diffuse 0.8 of the light straight on adds most of white.
  EXPECT_GT(R(seen[1]), 200);
}

TEST(GLCanvasPixels, DepthTestHidesTheFartherPanel)
{
  TView3DOptions options(nullptr);
  options.SetOrthogonal(false);
  options.SetPerspective(15);
  options.SetElevation(0);
  options.SetRotation(0);
  options.SetZoom(100);
  Frame f(200, 200, &options, true);
  f.Begin(clWhite, 100);
  f.canvas.Pen()->SetStyle(psClear);
  // The near panel first, then a farther one over the same place: the near one stays in front.
  f.canvas.Brush()->SetColor(clRed);
  f.canvas.RectangleWithZ(Rect(60, 60, 140, 140), 10);
  f.canvas.Brush()->SetColor(clBlue);
  f.canvas.RectangleWithZ(Rect(40, 40, 160, 160), 90);
  f.End();
  EXPECT_COLOR(f.At(100, 100), clRed);
  // Outside the near panel the far one shows.
  TPoint p;
  f.canvas.ProjectPoint(p, 45, -45, -90);
  EXPECT_COLOR(f.At(p.x + 2, p.y + 2), clBlue);
}

namespace {
// 4 x 4 matrices, column-major as OpenGL keeps them.
using Mat = std::array<double, 16>;
Mat Identity() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }
Mat Mul(const Mat& a, const Mat& b)
{
  Mat r{};
  for (int c = 0; c < 4; ++c)
    for (int rr = 0; rr < 4; ++rr) {
      double s = 0;
      for (int k = 0; k < 4; ++k) s += a[k * 4 + rr] * b[c * 4 + k];
      r[c * 4 + rr] = s;
    }
  return r;
}
Mat Translate(double x, double y, double z)
{
  Mat m = Identity();
  m[12] = x, m[13] = y, m[14] = z;
  return m;
}
Mat Rotate(double deg, double x, double y, double z)
{
  const double a = deg * std::numbers::pi / 180, c = std::cos(a), s = std::sin(a), t = 1 - c;
  return {t * x * x + c,     t * x * y + s * z, t * x * z - s * y, 0, t * x * y - s * z, t * y * y + c,
          t * y * z + s * x, 0,                 t * x * z + s * y, t * y * z - s * x, t * z * z + c, 0,
          0,                 0,                 0,                 1};
}
Mat Perspective(double fovy, double aspect, double n, double f)
{
  const double ct = 1 / std::tan(fovy * std::numbers::pi / 360);
  return {ct / aspect, 0, 0, 0, 0, ct, 0, 0, 0, 0, (f + n) / (n - f), -1, 0, 0, 2 * f * n / (n - f), 0};
}
Mat Ortho(double l, double r, double b, double t, double n, double f)
{
  return {2 / (r - l), 0, 0, 0, 0, 2 / (t - b), 0, 0, 0, 0, -2 / (f - n), 0,
          -(r + l) / (r - l), -(t + b) / (t - b), -(f + n) / (f - n), 1};
}
// Window position (Y down) of a point through projection and model view into a W x H viewport.
std::array<double, 2> Project(const Mat& proj, const Mat& model, double x, double y, double z, int w, int h)
{
  const Mat pm = Mul(proj, model);
  double v[4];
  for (int r = 0; r < 4; ++r) v[r] = pm[r] * x + pm[4 + r] * y + pm[8 + r] * z + pm[12 + r];
  const double nx = v[0] / v[3], ny = v[1] / v[3];
  return {(nx + 1) * w / 2, h - (ny + 1) * h / 2};
}
}  // namespace

TEST(GLCanvasProjection, ProjectPointAgreesWithTheViewOptions)
{
  const int w = 320, h = 240, depth = 120;
  const TRect chartRect = Rect(20, 10, 300, 230);
  struct Case {
    bool orthogonal;
    int perspective, zoom, elevation, rotation, tilt, hOffset, vOffset;
  };
  for (const Case& k : {Case{false, 15, 100, 345, 345, 0, 0, 0}, Case{false, 3, 80, 20, 40, 10, 15, -7},
                        Case{false, 50, 250, 300, 10, 0, 0, 0}, Case{true, 15, 100, 345, 345, 0, 5, 5}}) {
    TView3DOptions options(nullptr);
    options.SetOrthogonal(k.orthogonal);
    options.SetPerspective(k.perspective);
    options.SetZoom(k.zoom);
    options.SetElevation(k.elevation);
    options.SetRotation(k.rotation);
    options.SetTilt(k.tilt);
    options.SetHorizOffset(k.hOffset);
    options.SetVertOffset(k.vOffset);
    TBitmap bmp;
    bmp.SetSize(w, h);
    TGLCanvas c;
    c.InitWindow(bmp.Canvas(), &options, clWhite, true, Rect(0, 0, w, h));
    ASSERT_TRUE(c.Active());
    c.ViewPort(depth, Rect(0, 0, w, h), chartRect);

    // The projection and model view as the view options define them.
    const double P = k.orthogonal ? 1.0 : 0.01 * std::max(6, k.perspective);
    const double F = std::max(1, k.zoom) * 2 * P;
    const double farPlane = (depth + 1) * 400;
    Mat proj;
    if (k.orthogonal) {
      const double f = 100 / F;
      proj = Ortho(-w * 0.5 * f, w * 0.5 * f, -h * 0.5 * f, h * 0.5 * f, -0.1, 2 * f * farPlane);
    } else {
      const double f = std::max(1.0, 100 / F);
      proj = Perspective(std::max(6, k.perspective) * 0.5, double(w) / h, 10.1, 0.5 * f * farPlane);
    }
    const int xc = (chartRect.Left + chartRect.Right) / 2, yc = (chartRect.Top + chartRect.Bottom) / 2;
    Mat model = Translate(k.hOffset, -k.vOffset, -80000 / F);
    model = Mul(model, Rotate(k.tilt, 0, 0, 1));
    model = Mul(model, Rotate(-k.elevation, 1, 0, 0));
    model = Mul(model, Rotate(k.rotation, 0, 1, 0));
    model = Mul(model, Translate(-xc, yc, depth * 0.5));

    for (const auto& pt : std::vector<std::array<double, 3>>{{160, -120, -60}, {20, -10, 0}, {300, -230, -120}, {77, -150, -33}}) {
      TPoint got;
      c.ProjectPoint(got, pt[0], pt[1], pt[2]);
      const auto want = Project(proj, model, pt[0], pt[1], pt[2], w, h);
      EXPECT_NEAR(got.x, want[0], 1.0) << "zoom " << k.zoom << " point " << pt[0];
      EXPECT_NEAR(got.y, want[1], 1.0) << "zoom " << k.zoom << " point " << pt[0];
      std::vector<TPoint3DFloat> many;
      c.ProjectPoints(std::vector<TPoint3DFloat>{{pt[0], pt[1], pt[2]}}, many);
      ASSERT_EQ(many.size(), 1u);
      EXPECT_NEAR(many[0].x, want[0], 0.01);
      EXPECT_NEAR(many[0].y, want[1], 0.01);
      EXPECT_GE(many[0].z, 0.0);
      EXPECT_LE(many[0].z, 1.0);
    }
    c.ShowImage(bmp.Canvas(), bmp.Canvas(), Rect(0, 0, w, h));
  }
}

// A chart is measured in pixels of its pane: in a taller pane a perspective view shows the picture
// of a 540-pixel pane scaled, so what fits there fits at every size (a fixed eye showed it ever larger).
TEST(GLCanvasProjection, PerspectiveInATallViewportIsThePictureOfA540PixelOneScaled)
{
  TView3DOptions options(nullptr);
  options.SetOrthogonal(false);
  options.SetPerspective(50);
  options.SetZoom(42);
  options.SetElevation(345);
  options.SetRotation(340);
  std::vector<TPoint3DFloat> base;
  for (double k : {1.0, 1.5, 2.0}) {
    const int w = static_cast<int>(720 * k), h = static_cast<int>(540 * k), depth = static_cast<int>(200 * k);
    const TRect chartRect = Rect(static_cast<int>(20 * k), static_cast<int>(10 * k), static_cast<int>(700 * k),
                                 static_cast<int>(530 * k));
    TBitmap bmp;
    bmp.SetSize(w, h);
    TGLCanvas c;
    c.InitWindow(bmp.Canvas(), &options, clWhite, true, Rect(0, 0, w, h));
    ASSERT_TRUE(c.Active());
    c.ViewPort(depth, Rect(0, 0, w, h), chartRect);
    // The corners of the chart's box, as the drawing operations hand them over: (X, -Y, -Z).
    std::vector<TPoint3DFloat> corners;
    for (int x : {chartRect.Left, chartRect.Right})
      for (int y : {chartRect.Top, chartRect.Bottom})
        for (int z : {0, depth}) corners.push_back({double(x), -double(y), -double(z)});
    std::vector<TPoint3DFloat> screen;
    c.ProjectPoints(corners, screen);
    if (base.empty()) base = screen;
    for (size_t i = 0; i < screen.size(); ++i) {
      EXPECT_NEAR(screen[i].x, base[i].x * k, 1.0) << "scale " << k << " corner " << i;
      EXPECT_NEAR(screen[i].y, base[i].y * k, 1.0) << "scale " << k << " corner " << i;
      EXPECT_GT(screen[i].x, 0);
      EXPECT_LT(screen[i].x, w);
      EXPECT_GT(screen[i].y, 0);
      EXPECT_LT(screen[i].y, h);
    }
    c.ShowImage(bmp.Canvas(), bmp.Canvas(), Rect(0, 0, w, h));
  }
}

TEST(GLCanvasProjection, Calculate3DPositionOnlyFlipsY)
{
  TBitmap bmp;
  bmp.SetSize(400, 300);
  TGLCanvas c;
  c.InitWindow(bmp.Canvas(), nullptr, clWhite, false, Rect(0, 0, 400, 300));
  EXPECT_EQ(c.Calculate3DPosition(10, 20, 99), (TPoint{10, 280}));
}

TEST(GLCanvasPixels, TextIsDrawnWhereItWasPlaced)
{
  Frame f(300, 120);
  f.Begin();
  f.canvas.DisableRotation();
  f.canvas.Font()->SetName("DejaVu Sans");
  f.canvas.Font()->SetSize(10);
  f.canvas.Font()->SetColor(clBlack);
  f.canvas.SetTextAlign(TA_LEFT);
  f.canvas.TextOut(100, 40, "HEH");
  f.canvas.SetTextAlign(TA_CENTER);
  f.canvas.TextOut(150, 80, "H");
  f.canvas.EnableRotation();
  f.End();
  // Bounds of the dark pixels of each text.
  auto bounds = [&](int x0, int x1, int y0, int y1) {
    TRect b{10000, 10000, -1, -1};
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        if (R(f.At(x, y)) < 128) {
          b.Left = std::min(b.Left, x), b.Top = std::min(b.Top, y);
          b.Right = std::max(b.Right, x + 1), b.Bottom = std::max(b.Bottom, y + 1);
        }
    return b;
  };
  const TRect first = bounds(0, 300, 0, 60);
  ASSERT_GT(first.Right, 0) << "no text drawn";
  EXPECT_NEAR(first.Left, 102, 4);
  EXPECT_GT(first.Top, 35);
  EXPECT_LT(first.Bottom, 60);
  EXPECT_GT(first.Width(), 20);
  // Centred: the glyph straddles the given X.
  const TRect second = bounds(0, 300, 62, 120);
  ASSERT_GT(second.Right, 0);
  EXPECT_LT(second.Left, 150);
  EXPECT_GT(second.Right, 146);
}

TEST(GLCanvasPixels, AnOpenGLErrorRaisesAnAssertionNamingTheStep)
{
  Frame f(50, 50);
  f.Begin();
  // Restoring a flat drawing that was never started pops empty matrix stacks.
  try {
    f.canvas.EnableRotation();
    FAIL() << "no assertion";
  } catch (const EAssertionFailed& e) {
    EXPECT_EQ(std::string(e.what()).rfind("EnableRotation (", 0), 0u) << e.what();
    EXPECT_NE(f.canvas.GetLastError(), 0u);
  }
}

TEST(GLCanvasPixels, SolidsAndShapesFillWithTheBrushColour)
{
  TView3DOptions options(nullptr);
  options.SetOrthogonal(false);
  options.SetElevation(350);
  options.SetRotation(20);
  options.SetZoom(100);
  // Each shape alone in a frame; its middle shows the brush colour (no lighting) and the frame
  // raises no OpenGL error.
  using Draw = std::function<void(TGLCanvas&)>;
  const std::vector<std::pair<const char*, Draw>> shapes = {
      {"Cube", [](TGLCanvas& c) { c.Cube(120, 200, 90, 150, 10, 60); }},
      {"Cylinder", [](TGLCanvas& c) { c.Cylinder(true, 130, 80, 190, 160, 10, 60, false); }},
      {"Cone", [](TGLCanvas& c) { c.Cone(false, 110, 100, 210, 140, 10, 60, false, 30); }},
      {"Pyramid", [](TGLCanvas& c) { c.Pyramid(true, 120, 80, 200, 160, 10, 60, false); }},
      {"PyramidTrunc", [](TGLCanvas& c) { c.PyramidTrunc(Rect(120, 80, 200, 160), 10, 60, 10, 5); }},
      {"Sphere", [](TGLCanvas& c) { c.CircleWithZ(160, 120, 30, 30); }},
      {"Pie3D", [](TGLCanvas& c) { c.Pie3D(160, 120, 40, 40, 10, 30, 0, 4, false, true); }},
      {"Donut", [](TGLCanvas& c) { c.Donut(160, 120, 40, 40, 0, 6.2, 20); }},
      {"Ellipse", [](TGLCanvas& c) { c.EllipseWithZ(120, 90, 200, 150, 20); }},
      {"Polygon", [](TGLCanvas& c) {
         const TPoint pts[4] = {{120, 90}, {200, 90}, {200, 150}, {120, 150}};
         c.PolygonWithZ(pts, 20);
       }},
      {"PlaneFour3D", [](TGLCanvas& c) { c.PlaneFour3D({{{120, 90}, {200, 90}, {200, 150}, {120, 150}}}, 10, 30); }},
      {"RectangleZ", [](TGLCanvas& c) { c.RectangleZ(160, 80, 160, 0, 80); }},
      {"RectangleY", [](TGLCanvas& c) { c.RectangleY(120, 120, 200, 0, 80); }},
      {"Arrow", [](TGLCanvas& c) { c.Arrow(true, {110, 120}, {210, 120}, 40, 20, 20, 50); }},
  };
  for (const auto& [name, draw] : shapes) {
    Frame f(320, 240, &options, true);
    f.Begin(clWhite, 80);
    f.canvas.Brush()->SetColor(clRed);
    f.canvas.Pen()->SetColor(clBlack);
    ASSERT_NO_THROW(draw(f.canvas)) << name;
    f.End();
    int red = 0;
    for (int y = 60; y < 180; ++y)
      for (int x = 80; x < 240; ++x) red += Near(f.At(x, y), clRed, 40) ? 1 : 0;
    EXPECT_GT(red, 200) << name;
  }
}

TEST(GLCanvasPixels, TextOfEveryFontModeAndExtrusionIsDrawn)
{
  for (uint8_t mode : {0, 1, 2}) {
    for (int extrusion : {0, 4}) {
      if (mode == 2 && extrusion) continue;
      Frame f(200, 80);
      f.canvas.SetFontMode(mode);
      f.canvas.SetFontExtrusion(extrusion);
      f.Begin();
      f.canvas.DisableRotation();
      f.canvas.Font()->SetName("DejaVu Sans");
      f.canvas.Font()->SetSize(12);
      f.canvas.Font()->SetColor(clBlue);
      ASSERT_NO_THROW(f.canvas.TextOut(20, 20, "Depth m")) << "mode " << int(mode) << " extrusion " << extrusion;
      f.canvas.EnableRotation();
      f.End();
      int blue = 0;
      for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 200; ++x) blue += B(f.At(x, y)) > 128 && R(f.At(x, y)) < 128 ? 1 : 0;
      EXPECT_GT(blue, 20) << "mode " << int(mode) << " extrusion " << extrusion;
      EXPECT_EQ(f.canvas.FontCount(), 1);
    }
  }
}

TEST(GLCanvasPixels, GradientFillPutsTheEndColourAtTheTopWhenSmoothlyShaded)
{
  Frame f(100, 100);
  f.canvas.SetShadeQuality(true);
  f.Begin();
  f.canvas.DisableRotation();
  f.canvas.GradientFill(Rect(0, 0, 100, 100), clBlue, clRed, gdTopBottom);
  f.canvas.EnableRotation();
  f.End();
  EXPECT_GT(R(f.At(50, 2)), 230);
  EXPECT_LT(B(f.At(50, 2)), 25);
  EXPECT_GT(B(f.At(50, 97)), 230);
  EXPECT_LT(R(f.At(50, 97)), 25);
}

TEST(GLCanvasPixels, RightAlignedTextEndsAtItsX)
{
  Frame f(300, 60);
  f.Begin();
  f.canvas.DisableRotation();
  f.canvas.Font()->SetName("DejaVu Sans");
  f.canvas.Font()->SetSize(10);
  f.canvas.Font()->SetColor(clBlack);
  f.canvas.SetTextAlign(TA_RIGHT);
  f.canvas.TextOut(200, 20, "HHHH");
  f.canvas.EnableRotation();
  f.End();
  int right = -1, left = 1000;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 300; ++x)
      if (R(f.At(x, y)) < 128) right = std::max(right, x), left = std::min(left, x);
  ASSERT_GE(right, 0);
  EXPECT_LE(right, 205);
  EXPECT_GT(right, 160);
  EXPECT_LT(left, right - 20);
}

TEST(GLCanvasPixels, APolygonTexturedWithAPictureOfAnySizeShowsAllOfIt)
{
  // 100 x 60: left half red, right half blue; the texture is padded to 128 x 128.
  TBitmap picture;
  picture.SetSize(100, 60);
  picture.Canvas()->Pen()->SetStyle(psClear);
  picture.Canvas()->Brush()->SetColor(clRed);
  picture.Canvas()->FillRect(Rect(0, 0, 50, 60));
  picture.Canvas()->Brush()->SetColor(clBlue);
  picture.Canvas()->FillRect(Rect(50, 0, 100, 60));
  Frame f(200, 120);
  f.Begin();
  f.canvas.DisableRotation();
  f.canvas.Pen()->SetStyle(psClear);
  f.canvas.Brush()->SetColor(clWhite);
  const std::vector<TPoint3DFloat> pts = {{20, -20, 0}, {180, -20, 0}, {180, -100, 0}, {20, -100, 0}};
  const std::vector<TFloatPoint> tex = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  f.canvas.Polygon3DTextured(pts, tex, &picture, true, {0, 0, 1});
  f.canvas.EnableRotation();
  f.End();
  EXPECT_EQ(picture.GetWidth(), 100);
  EXPECT_EQ(picture.GetHeight(), 60);
  // No white padding shows: red up to the middle, blue from there to the right edge and bottom.
  EXPECT_COLOR(f.At(25, 25), clRed);
  EXPECT_COLOR(f.At(95, 60), clRed);
  EXPECT_COLOR(f.At(105, 60), clBlue);
  EXPECT_COLOR(f.At(175, 95), clBlue);
  EXPECT_COLOR(f.At(25, 95), clRed);
}

namespace {
// A section of cells seen in perspective, lit, blended: through TexturedQuad1D, or quad by quad
// in immediate mode as a reference.
std::vector<uint32_t> CellFrame(bool batched, bool smooth, bool varyAlpha, bool varyNormal)
{
  TView3DOptions options(nullptr);
  options.SetOrthogonal(false);
  options.SetPerspective(30);
  options.SetZoom(150);
  options.SetElevation(340);
  options.SetRotation(20);
  TBitmap strip;
  strip.SetSize(512, 1);
  for (int x = 0; x < 512; ++x) strip.Canvas()->SetPixel(x, 0, RGB(x / 2, 255 - x / 2, (x * 7) % 256));
  Frame f(240, 200, &options, true);
  f.canvas.SetShadeQuality(smooth);
  f.Begin(clWhite, 60);
  f.canvas.SetAmbientLight(30);
  f.canvas.SetLight(GL_LIGHT0, {0.3f, 0.3f, 0.3f, 1.0f}, 180, false, {0, 0, 0}, {40, 20, -300});
  f.canvas.BeginBlending(f.rect, 20);
  f.canvas.Brush()->SetBitmap(&strip);
  f.canvas.EnableBrushTexture();
  auto& gl = OpenGLEntries();
  const int nx = 110, nz = 100;  // more quads than one batch holds
  auto value = [](int j, int k) { return ((j * 7 + k * 3) % 97) / 97.0; };
  static constexpr int cj[4] = {0, 1, 1, 0}, ck[4] = {0, 0, 1, 1};
  for (int j = 0; j < nx; ++j)
    for (int k = 0; k < nz; ++k) {
      TPoint3DFloat p[4];
      std::array<TTexCoord1D, 4> tex;
      for (int c = 0; c < 4; ++c) {
        const int jj = j + cj[c], kk = k + ck[c];
        p[c] = {20.0 + jj * 1.8, 20.0 + kk * 1.6 + jj * 0.2, 10.0 + jj * 0.3};
        tex[c] = {value(jj, kk), varyAlpha ? 0.5 + 0.5 * ((jj + kk) % 2) : 1.0};
      }
      const TPoint3DFloat normal = varyNormal && j >= nx / 2 ? TPoint3DFloat{0.3, 0, 0.95} : TPoint3DFloat{0, 0, 1};
      if (batched) {
        f.canvas.TexturedQuad1D(p[0], p[1], p[2], p[3], normal, tex);
        continue;
      }
      gl.glBegin(GL_QUADS);
      gl.glNormal3f(float(normal.x), float(normal.y), float(normal.z));
      for (int c = 0; c < 4; ++c) {
        gl.glColor4f(1, 1, 1, float(tex[c].Alpha));
        gl.glTexCoord1f(float(tex[c].Coord));
        gl.glVertex3f(float(p[c].x), float(-p[c].y), float(-p[c].z));
      }
      gl.glEnd();
    }
  f.canvas.DisableBrushTexture();
  f.canvas.Brush()->SetBitmap(nullptr);
  f.canvas.EndBlending(nullptr);
  f.End();
  std::vector<uint32_t> pixels;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 240; ++x) pixels.push_back(f.At(x, y));
  return pixels;
}
}  // namespace

TEST(GLCanvasPixels, OneDimensionalQuadsLookExactlyAsDrawnOneByOne)
{
  for (bool smooth : {true, false})
    for (bool varyAlpha : {false, true})
      for (bool varyNormal : {false, true}) {
        const auto batched = CellFrame(true, smooth, varyAlpha, varyNormal);
        const auto reference = CellFrame(false, smooth, varyAlpha, varyNormal);
        int differing = 0, drawn = 0;
        for (size_t i = 0; i < reference.size(); ++i) {
          differing += batched[i] != reference[i] ? 1 : 0;
          drawn += (reference[i] & 0xFFFFFF) != 0xFFFFFF ? 1 : 0;
        }
        EXPECT_GT(drawn, 5000);
        EXPECT_EQ(differing, 0) << "smooth " << smooth << " alpha " << varyAlpha << " normal " << varyNormal;
      }
}

TEST(GLCanvasProjection, ProjectPointUsesItsOwnMatricesAfterAnotherCanvasDrew)
{
  TView3DOptions near(nullptr), far(nullptr);
  near.SetOrthogonal(false);
  near.SetZoom(100);
  far.SetOrthogonal(false);
  far.SetZoom(30);
  far.SetRotation(40);
  Frame a(200, 150, &near, true), b(200, 150, &far, true);
  a.Begin(clWhite, 50);
  a.End();
  TPoint alone;
  a.canvas.ProjectPoint(alone, 30, -20, -10);
  b.Begin(clWhite, 50);
  b.End();
  TPoint after;
  a.canvas.ProjectPoint(after, 30, -20, -10);
  EXPECT_EQ(after, alone);
  std::vector<TPoint3DFloat> many;
  a.canvas.ProjectPoints(std::vector<TPoint3DFloat>{{30, -20, -10}}, many);
  EXPECT_NEAR(many.at(0).x, alone.x, 0.5);
  EXPECT_NEAR(many.at(0).y, alone.y, 0.5);
}

TEST(GLCanvasPixels, FlatDrawingLeavesAnUnlitSceneUnlit)
{
  TView3DOptions options(nullptr);
  options.SetOrthogonal(false);
  options.SetZoom(100);
  Frame f(200, 150, &options, true);
  f.Begin(clWhite, 40);
  f.canvas.SetAmbientLight(0);  // no lights either
  f.canvas.Pen()->SetStyle(psClear);
  f.canvas.Brush()->SetColor(clRed);
  f.canvas.DisableRotation();
  f.canvas.EnableRotation();
  f.canvas.RectangleWithZ(Rect(60, 40, 140, 110), 20);
  f.End();
  TPoint p;
  f.canvas.ProjectPoint(p, 100, -75, -20);
  EXPECT_COLOR(f.At(p.x, p.y), clRed);
}

TEST(GLCanvasPixels, PieSidesMeetTheirSlice)
{
  TView3DOptions options(nullptr);
  options.SetOrthogonal(false);
  options.SetZoom(100);
  options.SetElevation(345);
  options.SetRotation(15);
  {
    // A quarter slice above and right of its centre: nothing of it below the centre.
    Frame f(240, 200, &options, true);
    f.Begin(clWhite, 60);
    f.canvas.Pen()->SetStyle(psClear);
    f.canvas.Brush()->SetColor(clRed);
    f.canvas.Pie3D(120, 100, 60, 60, 10, 50, 0, std::numbers::pi / 2, false, true);
    f.End();
    TPoint centre;
    f.canvas.ProjectPoint(centre, 120, -100, -30);
    int above = 0, below = 0;
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 240; ++x)
        if (Near(f.At(x, y), clRed, 60)) (y < centre.y - 12 ? above : y > centre.y + 12 ? below : above) += 1;
    EXPECT_GT(above, 500);
    EXPECT_EQ(below, 0);
  }
}

TEST(GLCanvasPixels, ALabelAtDepthSitsWhereItsTextDoes)
{
  TView3DOptions options(nullptr);
  options.SetOrthogonal(false);
  options.SetZoom(100);
  options.SetElevation(345);
  options.SetRotation(15);
  // Unrotated, a label at depth is the same picture as the text at that depth.
  std::vector<std::vector<uint32_t>> shots;
  for (bool rotated : {false, true}) {
    Frame f(240, 200, &options, true);
    f.Begin(clWhite, 60);
    f.canvas.Font()->SetName("DejaVu Sans");
    f.canvas.Font()->SetSize(12);
    f.canvas.Font()->SetColor(clBlack);
    if (rotated)
      f.canvas.RotateLabel3D(80, 100, 50, "Deep", 0);
    else
      f.canvas.TextOut3D(80, 100, 50, "Deep");
    f.End();
    std::vector<uint32_t> px;
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 240; ++x) px.push_back(f.At(x, y));
    shots.push_back(std::move(px));
  }
  EXPECT_TRUE(shots[0] == shots[1]);
  EXPECT_GT(std::count_if(shots[0].begin(), shots[0].end(), [](uint32_t c) { return (c & 0xFF) < 128; }), 20);
}

// A shadow with transparency ends its blending although the canvas gives no blend object: what is
// filled afterwards is opaque. Blendings inside one another give the outer one its alpha back.
TEST(GLCanvasPixels, BlendingEndsAfterATransparentShadow)
{
  Frame f(200, 120);
  f.Begin();
  TNuvShadow shadow;
  shadow.SetColor(clBlack);
  shadow.SetSize(6);
  shadow.SetSmooth(false);
  shadow.SetTransparency(50);
  shadow.Draw(&f.canvas, Rect(10, 10, 60, 60));
  EXPECT_FLOAT_EQ(f.canvas.GetAlpha(), 1.0f);
  f.canvas.Pen()->SetStyle(psClear);
  f.canvas.Brush()->SetStyle(bsSolid);
  f.canvas.Brush()->SetColor(clRed);
  f.canvas.FillRect(Rect(100, 20, 180, 100));
  f.End();
  EXPECT_COLOR(f.At(140, 60), clRed);
  // The shadow itself is mixed with the white behind it.
  EXPECT_NE(f.At(30, 63) & 0xFFFFFF, 0u);
  EXPECT_NE(f.At(30, 63) & 0xFFFFFF, 0xFFFFFFu);

  Frame g(40, 40);
  g.Begin();
  g.canvas.BeginBlending(Rect(0, 0, 10, 10), 50);
  g.canvas.BeginBlending(Rect(0, 0, 10, 10), 90);
  EXPECT_NEAR(g.canvas.GetAlpha(), 0.1f, 1e-6);
  g.canvas.EndBlending(nullptr);
  EXPECT_NEAR(g.canvas.GetAlpha(), 0.5f, 1e-6);
  g.canvas.EndBlending(nullptr);
  EXPECT_FLOAT_EQ(g.canvas.GetAlpha(), 1.0f);
  g.End();
}

namespace {
int RedInColumn(Frame& f, int x)
{
  int n = 0;
  for (int y = 0; y < 240; ++y) n += Near(f.At(x, y), clRed, 40);
  return n;
}
int RedInRow(Frame& f, int y)
{
  int n = 0;
  for (int x = 0; x < 320; ++x) n += Near(f.At(x, y), clRed, 40);
  return n;
}
}  // namespace

// The same solids as on the GDI canvas: a horizontal cone narrows to the left, a truncated
// pyramid's top spans the middle +- TruncX. (The frame's projection magnifies: the checks compare
// the ends of each solid's own extent.)
TEST(GLCanvasPixels, ConeNarrowsLeftAndTruncatedPyramidTopSpansTheMiddle)
{
  struct Extent {
    int first = -1, last = -1;
  };
  auto draw = [](const std::function<void(TGLCanvas&)>& shape) {
    auto f = std::make_unique<Frame>(320, 240);
    f->Begin(clWhite, 100);
    f->canvas.Pen()->SetStyle(psClear);
    f->canvas.Brush()->SetColor(clRed);
    shape(f->canvas);
    f->End();
    return f;
  };
  auto columns = [](Frame& f) {
    Extent e;
    for (int x = 0; x < 320; ++x)
      if (RedInColumn(f, x) > 0) {
        if (e.first < 0) e.first = x;
        e.last = x;
      }
    return e;
  };
  auto rows = [](Frame& f) {
    Extent e;
    for (int y = 0; y < 240; ++y)
      if (RedInRow(f, y) > 0) {
        if (e.first < 0) e.first = y;
        e.last = y;
      }
    return e;
  };
  auto h = draw([](TGLCanvas& c) { c.Cone(false, 100, 100, 220, 140, 0, 40, false, 0); });
  Extent e = columns(*h);
  ASSERT_GT(e.last - e.first, 40);
  EXPECT_LT(RedInColumn(*h, e.first + 3), RedInColumn(*h, e.last - 3) / 4);
  auto v = draw([](TGLCanvas& c) { c.Cone(true, 140, 60, 180, 180, 0, 40, false, 0); });
  e = rows(*v);
  ASSERT_GT(e.last - e.first, 40);
  EXPECT_LT(RedInRow(*v, e.first + 3), RedInRow(*v, e.last - 3) / 4);
  // Top 20 of a 100 wide base: at the top the face is about a fifth as wide as at the base.
  auto p = draw([](TGLCanvas& c) { c.PyramidTrunc(Rect(110, 80, 210, 160), 0, 20, 10, 10); });
  e = rows(*p);
  ASSERT_GT(e.last - e.first, 40);
  const double ratio = double(RedInRow(*p, e.first + 1)) / RedInRow(*p, e.last - 1);
  EXPECT_NEAR(ratio, 0.2, 0.08);
}

TEST(GLCanvasPixels, SmallDigitsKeepTheirThinStrokes)
{
  // Far or small labels: a stroke under a pixel wide must still show. The stem of a "4" and a
  // "1" runs down the whole glyph, the bar of a "-" across it.
  for (int size = 4; size <= 9; ++size) {
    for (const char* text : {"4", "1", "-"}) {
      const bool vertical = text[0] != '-';
      for (int shift = 0; shift < 3; ++shift) {
        Frame f(60, 40);
        f.Begin();
        f.canvas.DisableRotation();
        f.canvas.Font()->SetName("DejaVu Sans");
        f.canvas.Font()->SetSize(size);
        f.canvas.Font()->SetColor(clBlack);
        f.canvas.SetTextAlign(TA_LEFT);
        // A third of a pixel further each time, so that the stroke falls on every phase.
        OpenGLEntries().glTranslatef(shift / 3.0f, -shift / 3.0f, 0);
        f.canvas.TextOut(20, 10, text);
        f.canvas.EnableRotation();
        f.End();
        TRect box{1000, 1000, -1, -1};
        for (int y = 0; y < 40; ++y)
          for (int x = 0; x < 60; ++x)
            if (R(f.At(x, y)) < 128) {
              box.Left = std::min(box.Left, x), box.Top = std::min(box.Top, y);
              box.Right = std::max(box.Right, x + 1), box.Bottom = std::max(box.Bottom, y + 1);
            }
        ASSERT_GT(box.Right, 0) << text << " size " << size << " shift " << shift;
        // Longest unbroken run of dark pixels along the stroke's direction.
        int longest = 0;
        const int lines = vertical ? box.Width() : box.Height();
        const int along = vertical ? box.Height() : box.Width();
        for (int l = 0; l < lines; ++l) {
          int run = 0;
          for (int a = 0; a < along; ++a) {
            const int x = vertical ? box.Left + l : box.Left + a, y = vertical ? box.Top + a : box.Top + l;
            run = R(f.At(x, y)) < 128 ? run + 1 : 0;
            longest = std::max(longest, run);
          }
        }
        EXPECT_GE(longest, along - 1) << text << " size " << size << " shift " << shift << ": run " << longest
                                      << " of " << along;
      }
    }
  }
}

// Layouts measure text through the canvas: the measure must cover the text as painted, which is
// larger than the platform font of the same size.
TEST(GLCanvasPixels, TextMeasuresAsLargeAsItIsDrawn)
{
  Frame f(400, 120);
  f.Begin();
  f.canvas.DisableRotation();
  f.canvas.Font()->SetName("DejaVu Sans");
  f.canvas.Font()->SetSize(10);
  f.canvas.Font()->SetColor(clBlack);
  f.canvas.SetTextAlign(TA_LEFT);
  const std::string text = "5,547,500";
  f.canvas.TextOut(20, 30, text);
  const int32_t width = f.canvas.TextWidth(text);
  const int32_t height = f.canvas.TextHeight("W");
  f.canvas.EnableRotation();
  f.End();
  int left = 1000, right = -1, top = 1000, bottom = -1;
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 400; ++x)
      if (R(f.At(x, y)) < 160) left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
  ASSERT_GE(right, 0) << "no text drawn";
  const int ink = right - left + 1;
  EXPECT_GE(width, ink) << "text is wider than measured";
  EXPECT_LE(width, ink + ink / 5) << "measure far wider than the text";
  // Digits with the comma's tail span about an em; the line height keeps room above and below.
  EXPECT_GE(height, bottom - top + 1);
}

// Right-aligned text ends at its X and centred text centres on it, at the size it is drawn (a
// label right-aligned against an axis or a title must not run over it).
TEST(GLCanvasPixels, AlignedTextKeepsToItsXAtTheDrawnWidth)
{
  Frame f(400, 100);
  f.Begin();
  f.canvas.DisableRotation();
  f.canvas.Font()->SetName("DejaVu Sans");
  f.canvas.Font()->SetSize(10);
  f.canvas.Font()->SetColor(clBlack);
  f.canvas.SetTextAlign(TA_RIGHT);
  f.canvas.TextOut(300, 10, "5,547,500");
  f.canvas.SetTextAlign(TA_CENTER);
  f.canvas.TextOut(200, 55, "5,547,500");
  f.canvas.EnableRotation();
  f.End();
  auto ink = [&](int y0, int y1) {
    int left = 1000, right = -1;
    for (int y = y0; y < y1; ++y)
      for (int x = 0; x < 400; ++x)
        if (R(f.At(x, y)) < 160) left = std::min(left, x), right = std::max(right, x);
    return std::pair{left, right};
  };
  const auto [rl, rr] = ink(0, 45);
  ASSERT_GE(rr, 0) << "no text drawn";
  EXPECT_LE(rr, 300);
  EXPECT_GE(rr, 294);
  const auto [cl, cr] = ink(48, 100);
  ASSERT_GE(cr, 0);
  EXPECT_NEAR((cl + cr) / 2.0, 200, 3);
}
