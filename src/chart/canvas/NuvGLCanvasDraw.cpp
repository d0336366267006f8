// The OpenGL canvas: colour, pen and brush rules and the drawing operations.
#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

#include "chart/canvas/NuvGLCanvas.h"
#include "chart/canvas/NuvGLCanvasPrivate.h"

#define GL_CHECK(word) Check(word, __FILE__, __LINE__)

namespace {
struct Vec3 {
  double x = 0, y = 0, z = 0;
};
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
// A chart point in OpenGL orientation.
Vec3 GlPoint(double x, double y, double z) { return {x, -y, -z}; }

// Sends a convex face (OpenGL orientation) wound counter-clockwise when seen from Outward,
// with that normal and texture coordinates running 0..1 over a quadrilateral.
void Face(const std::vector<Vec3>& pts, Vec3 outward, bool textured)
{
  auto& gl = OpenGLEntries();
  if (pts.size() < 3) return;
  const Vec3 n = Cross(pts[1] - pts[0], pts[2] - pts[0]);
  const bool flip = Dot(n, outward) < 0;
  static const float tex[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  gl.glNormal3d(outward.x, outward.y, outward.z);
  gl.glBegin(pts.size() == 4 ? GL_QUADS : GL_POLYGON);
  for (size_t k = 0; k < pts.size(); ++k) {
    const size_t i = flip ? pts.size() - 1 - k : k;
    if (textured && pts.size() == 4) gl.glTexCoord2fv(tex[i]);
    gl.glVertex3d(pts[i].x, pts[i].y, pts[i].z);
  }
  gl.glEnd();
}

Vec3 Normalized(Vec3 v)
{
  const double l = std::sqrt(Dot(v, v));
  return l > 0 ? Vec3{v.x / l, v.y / l, v.z / l} : v;
}
}  // namespace

bool glcanvas::EntriesComplete()
{
  const TOpenGLEntries& e = OpenGLEntries();
  bool ok = true;
#define ORBISK_GL_REQUIRE(name) ok = ok && e.name != nullptr;
  ORBISK_GL_ENTRIES(ORBISK_GL_REQUIRE)
#undef ORBISK_GL_REQUIRE
  return ok && e.gluNewQuadric && e.gluDeleteQuadric && e.gluQuadricNormals && e.gluQuadricTexture &&
         e.gluQuadricDrawStyle && e.gluQuadricOrientation && e.gluSphere && e.gluCylinder && e.gluDisk &&
         e.gluPerspective && e.gluProject && e.gluBuild1DMipmaps && e.gluBuild2DMipmaps && e.gluNewTess &&
         e.gluDeleteTess && e.gluTessCallback && e.gluTessBeginPolygon && e.gluTessBeginContour &&
         e.gluTessVertex && e.gluTessEndContour && e.gluTessEndPolygon && e.gluTessNormal && e.gluTessProperty;
}

// --- Shared rules

void TGLCanvas::SetColor(TColor color, float alpha)
{
  if (!Ready()) return;
  const TColor c = ColorToRGB(color);
  const GLfloat rgba[4] = {GetRValue(c) / 255.0f, GetGValue(c) / 255.0f, GetBValue(c) / 255.0f,
                           alpha >= 0 ? alpha : alpha_};
  OpenGLEntries().glColor4fv(rgba);
}

void TGLCanvas::SetPen(TPen* pen)
{
  if (!pen || !Ready()) return;
  auto& gl = OpenGLEntries();
  if (pen->GetStyle() == psSolid) {
    gl.glDisable(GL_LINE_STIPPLE);
  } else {
    gl.glEnable(GL_LINE_STIPPLE);
    GLushort pattern = 0x1C47;
    switch (pen->GetStyle()) {
      case psDash: pattern = 0x00FF; break;
      case psDot: pattern = 0x5555; break;
      case psDashDot: pattern = 0x55FF; break;
      default: break;
    }
    gl.glLineStipple(1, pattern);
  }
  if (!isMemoryDC_) gl.glLineWidth(static_cast<GLfloat>(std::max(1, pen->GetWidth())));
  SetColor(pen->GetColor(), -1);
  GL_CHECK("SetPen");
}

void TGLCanvas::AssignVisiblePenColor(TPen* pen, TColor color)
{
  if (!pen || !pen_) return;
  if (auto* chartPen = dynamic_cast<TChartPen*>(pen); chartPen && !chartPen->GetVisible()) {
    pen_->SetStyle(psClear);
    return;
  }
  pen_->Assign(pen);
  pen_->SetColor(color);
}

bool TGLCanvas::BeginFill()
{
  if (!brush_ || brush_->GetStyle() == bsClear || !Ready()) return false;
  SetColor(brush_->GetColor(), -1);
  EnableBrushTexture();
  return true;
}

void TGLCanvas::EndFill() { DisableBrushTexture(); }

bool TGLCanvas::BeginOutline()
{
  if (!pen_ || pen_->GetStyle() == psClear || !Ready()) return false;
  SetPen(pen_);
  return true;
}

void TGLCanvas::Vertex(int32_t x, int32_t y, int32_t z) { OpenGLEntries().glVertex3i(x, -y, -z); }

TNuvBlend* TGLCanvas::BeginBlending(const TRect& /*r*/, TNuvTransparency transparency)
{
  blendTransparency_ = transparency;
  // A blending inside another one gives the outer one its alpha back when it ends.
  blendAlphas_.push_back(alpha_);
  if (transparency != 0 && Ready()) {
    auto& gl = OpenGLEntries();
    gl.glEnable(GL_BLEND);
    gl.glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    alpha_ = (100 - transparency) * 0.01f;
  }
  return nullptr;
}

void TGLCanvas::EndBlending(TNuvBlend* /*blend*/)
{
  alpha_ = 1.0f;
  if (!blendAlphas_.empty()) {
    alpha_ = blendAlphas_.back();
    blendAlphas_.pop_back();
  }
  if (alpha_ >= 1.0f && !antialias_ && Ready()) OpenGLEntries().glDisable(GL_BLEND);
}

// --- Points and lines

void TGLCanvas::Pixel(int32_t x, int32_t y, TColor color)
{
  if (!pen_ || pen_->GetStyle() == psClear || !Ready()) return;
  auto& gl = OpenGLEntries();
  SetColor(color, -1);
  gl.glBegin(GL_POINTS);
  Vertex(x, y, 0);
  gl.glEnd();
  GL_CHECK("Pixel");
}

void TGLCanvas::Pixel3D(int32_t x, int32_t y, int32_t z, TColor color)
{
  if (!pen_ || pen_->GetStyle() == psClear || !Ready()) return;
  auto& gl = OpenGLEntries();
  SetColor(color, -1);
  gl.glBegin(GL_POINTS);
  Vertex(x, y, z);
  gl.glEnd();
  GL_CHECK("Pixel3D");
}

void TGLCanvas::LineToPoint(int32_t x0, int32_t y0, int32_t z0, int32_t x1, int32_t y1, int32_t z1, const char* word)
{
  if (!BeginOutline()) return;
  auto& gl = OpenGLEntries();
  // An xor pen turns what lies beneath, over everything drawn so far, as the raster operation
  // does on the other canvas: unlit, untextured, without the depth test.
  const bool xorPen = pen_->GetMode() == pmXor;
  if (xorPen) {
    gl.glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT);
    gl.glDisable(GL_LIGHTING);
    gl.glDisable(GL_DEPTH_TEST);
    gl.glDisable(GL_TEXTURE_2D);
    gl.glEnable(GL_COLOR_LOGIC_OP);
    gl.glLogicOp(GL_XOR);
  }
  gl.glBegin(GL_LINES);
  Vertex(x0, y0, z0);
  Vertex(x1, y1, z1);
  gl.glEnd();
  if (xorPen) gl.glPopAttrib();
  GL_CHECK(word);
}

void TGLCanvas::MoveTo(int32_t x, int32_t y)
{
  currentX_ = x;
  currentY_ = y;
}

void TGLCanvas::LineTo(int32_t x, int32_t y)
{
  LineToPoint(currentX_, currentY_, 0, x, y, 0, "LineTo");
  currentX_ = x;
  currentY_ = y;
}

void TGLCanvas::MoveTo3D(int32_t x, int32_t y, int32_t z)
{
  currentX_ = x;
  currentY_ = y;
  currentZ_ = z;
}

void TGLCanvas::LineTo3D(int32_t x, int32_t y, int32_t z)
{
  LineToPoint(currentX_, currentY_, currentZ_, x, y, z, "LineTo3D");
  currentX_ = x;
  currentY_ = y;
  currentZ_ = z;
}

void TGLCanvas::Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
  MoveTo(x0, y0);
  LineTo(x1, y1);
}

void TGLCanvas::HorizLine(int32_t x0, int32_t x1, int32_t y) { Line(x0, y, x1, y); }
void TGLCanvas::VertLine(int32_t x, int32_t y0, int32_t y1) { Line(x, y0, x, y1); }

void TGLCanvas::Polyline(std::span<const TPoint> points)
{
  if (points.empty()) return;
  if (BeginOutline()) {
    auto& gl = OpenGLEntries();
    gl.glBegin(GL_LINE_STRIP);
    for (const TPoint& p : points) Vertex(p.x, p.y, 0);
    gl.glEnd();
    GL_CHECK("Polyline");
  }
  currentX_ = points[0].x;
  currentY_ = points[0].y;
}

void TGLCanvas::PolylineWithZ(std::span<const TPoint> points, int32_t z)
{
  if (points.empty() || !BeginOutline()) return;
  auto& gl = OpenGLEntries();
  gl.glBegin(GL_LINE_STRIP);
  for (const TPoint& p : points) Vertex(p.x, p.y, z);
  gl.glEnd();
  GL_CHECK("PolylineWithZ");
}

void TGLCanvas::Arc(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t)
{
  if (!Ready()) return;
  GL_CHECK("Arc");
}

void TGLCanvas::Frame3D(TRect& rect, TColor topColor, TColor bottomColor, int32_t width)
{
  if (!Ready()) return;
  auto& gl = OpenGLEntries();
  gl.glDisable(GL_LINE_STIPPLE);
  const int32_t frames = Frame3DCount(rect, width);
  for (int32_t i = 0; i < frames; ++i) {
    const int32_t l = rect.Left, t = rect.Top, r = rect.Right - 1, b = rect.Bottom - 1;
    SetColor(topColor, -1);
    gl.glBegin(GL_LINE_STRIP);
    Vertex(l, b, 0);
    Vertex(l, t, 0);
    Vertex(r, t, 0);
    gl.glEnd();
    SetColor(bottomColor, -1);
    gl.glBegin(GL_LINE_STRIP);
    Vertex(r, t, 0);
    Vertex(r, b, 0);
    Vertex(l, b, 0);
    gl.glEnd();
    InflateRect(rect, -1, -1);
  }
  DeflateRestOfFrame3D(rect, width, frames);
  GL_CHECK("Frame3D");
}

// --- Flat shapes

void TGLCanvas::RectQuad(const TRect& r)
{
  auto& gl = OpenGLEntries();
  gl.glNormal3i(0, 0, 1);
  gl.glBegin(GL_QUADS);
  gl.glTexCoord2i(0, 0);
  Vertex(r.Left, r.Top, 0);
  gl.glTexCoord2i(0, 1);
  Vertex(r.Left, r.Bottom, 0);
  gl.glTexCoord2i(1, 1);
  Vertex(r.Right, r.Bottom, 0);
  gl.glTexCoord2i(1, 0);
  Vertex(r.Right, r.Top, 0);
  gl.glEnd();
}

void TGLCanvas::FillRect(const TRect& r)
{
  if (!BeginFill()) return;
  RectQuad(r);
  EndFill();
  glcanvas::CheckGL("FillRect ", __FILE__, __LINE__, &lastError_, true);
}

void TGLCanvas::Rectangle(int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
  FillRect(Rect(x0, y0, x1, y1));
  if (BeginOutline()) {
    auto& gl = OpenGLEntries();
    gl.glBegin(GL_LINE_LOOP);
    Vertex(x0, y0, 0);
    Vertex(x1, y0, 0);
    Vertex(x1, y1, 0);
    Vertex(x0, y1, 0);
    gl.glEnd();
  }
  if (Ready()) GL_CHECK("Rectangle");
}

void TGLCanvas::RoundRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t, int32_t)
{
  Rectangle(x1, y1, x2, y2);
  if (Ready()) GL_CHECK("RoundRect");
}

void TGLCanvas::QuadFill(const std::array<TPoint3D, 4>& p, const TPoint3D& normal, const float* tex, bool)
{
  auto& gl = OpenGLEntries();
  gl.glNormal3i(normal.x, normal.y, -normal.z);
  gl.glBegin(GL_QUADS);
  for (int k = 0; k < 4; ++k) {
    if (tex) gl.glTexCoord2f(tex[2 * k], tex[2 * k + 1]);
    Vertex(p[k].x, p[k].y, p[k].z);
  }
  gl.glEnd();
}

void TGLCanvas::QuadOutline(const std::array<TPoint3D, 4>& p)
{
  auto& gl = OpenGLEntries();
  gl.glBegin(GL_LINE_LOOP);
  for (const TPoint3D& q : p) Vertex(q.x, q.y, q.z);
  gl.glEnd();
}

namespace {
constexpr float kQuadTex[8] = {0, 0, 1, 0, 1, 1, 0, 1};
TPoint3D QuadNormal(const std::array<TPoint3D, 4>& p)
{
  // Integer normal of the quadrilateral in chart coordinates.
  const int64_t ax = p[1].x - p[0].x, ay = p[1].y - p[0].y, az = p[1].z - p[0].z;
  const int64_t bx = p[3].x - p[0].x, by = p[3].y - p[0].y, bz = p[3].z - p[0].z;
  int64_t nx = ay * bz - az * by, ny = az * bx - ax * bz, nz = ax * by - ay * bx;
  const int64_t m = std::max({std::abs(nx), std::abs(ny), std::abs(nz)});
  if (m > 1000) {
    nx = nx * 1000 / m;
    ny = ny * 1000 / m;
    nz = nz * 1000 / m;
  }
  return {static_cast<int32_t>(nx), static_cast<int32_t>(ny), static_cast<int32_t>(nz)};
}
}  // namespace

void TGLCanvas::RectangleY(int32_t left, int32_t y, int32_t right, int32_t z0, int32_t z1)
{
  const std::array<TPoint3D, 4> p{{{left, y, z0}, {right, y, z0}, {right, y, z1}, {left, y, z1}}};
  if (BeginFill()) {
    QuadFill(p, {0, -1, 0}, kQuadTex, false);
    EndFill();
  }
  if (BeginOutline()) QuadOutline(p);
  if (Ready()) GL_CHECK("RectangleY");
}

void TGLCanvas::Plane3D(TPoint p0, TPoint p1, int32_t z0, int32_t z1)
{
  const std::array<TPoint3D, 4> p{{{p0.x, p0.y, z1}, {p1.x, p1.y, z1}, {p1.x, p1.y, z0}, {p0.x, p0.y, z0}}};
  if (BeginFill()) {
    QuadFill(p, QuadNormal(p), kQuadTex, false);
    EndFill();
  }
  if (BeginOutline()) QuadOutline(p);
  if (Ready()) GL_CHECK("Plane3D");
}

void TGLCanvas::RectangleWithZ(const TRect& r, int32_t z)
{
  const std::array<TPoint3D, 4> p{{{r.Left, r.Top, z}, {r.Right, r.Top, z}, {r.Right, r.Bottom, z}, {r.Left, r.Bottom, z}}};
  if (BeginOutline()) QuadOutline(p);
  if (BeginFill()) {
    QuadFill(p, {0, 0, -1}, kQuadTex, false);
    EndFill();
  }
  if (Ready()) GL_CHECK("RectangleWithZ");
}

void TGLCanvas::RectangleZ(int32_t x, int32_t top, int32_t bottom, int32_t z0, int32_t z1)
{
  const std::array<TPoint3D, 4> p{{{x, bottom, z0}, {x, bottom, z1}, {x, top, z1}, {x, top, z0}}};
  static constexpr float tex[8] = {0, 1, 1, 1, 1, 0, 0, 0};
  if (BeginOutline()) QuadOutline(p);
  if (BeginFill()) {
    QuadFill(p, {-1, 0, 0}, tex, false);
    EndFill();
  }
  if (Ready()) GL_CHECK("RectangleZ");
}

void TGLCanvas::PlaneWithZ(TPoint p1, TPoint p2, TPoint p3, TPoint p4, int32_t z)
{
  const std::array<TPoint3D, 4> p{{{p1.x, p1.y, z}, {p2.x, p2.y, z}, {p3.x, p3.y, z}, {p4.x, p4.y, z}}};
  if (BeginOutline()) QuadOutline(p);
  if (BeginFill()) {
    QuadFill(p, {0, 0, -1}, kQuadTex, false);
    EndFill();
  }
  if (Ready()) GL_CHECK("PlaneWithZ");
}

void TGLCanvas::PlaneFour3D(const TFourPoints& points, int32_t z0, int32_t z1)
{
  const std::array<TPoint3D, 4> p{{{points[0].x, points[0].y, z0},
                                   {points[1].x, points[1].y, z0},
                                   {points[2].x, points[2].y, z1},
                                   {points[3].x, points[3].y, z1}}};
  if (BeginOutline()) QuadOutline(p);
  if (BeginFill()) {
    // (P0 - P2) x (P3 - P2) in chart coordinates, sent with its Z negated.
    const Vec3 a{double(p[0].x - p[2].x), double(p[0].y - p[2].y), double(p[0].z - p[2].z)};
    const Vec3 b{double(p[3].x - p[2].x), double(p[3].y - p[2].y), double(p[3].z - p[2].z)};
    const Vec3 n = Cross(a, b);
    const GLfloat nv[3] = {static_cast<GLfloat>(n.x), static_cast<GLfloat>(n.y), static_cast<GLfloat>(-n.z)};
    auto& gl = OpenGLEntries();
    gl.glNormal3fv(nv);
    gl.glBegin(GL_QUADS);
    for (int k = 0; k < 4; ++k) {
      gl.glTexCoord2f(kQuadTex[2 * k], kQuadTex[2 * k + 1]);
      Vertex(p[k].x, p[k].y, p[k].z);
    }
    gl.glEnd();
    EndFill();
  }
  if (Ready()) GL_CHECK("PlaneFour3D");
}

void TGLCanvas::Polygon(std::span<const TPoint> points)
{
  PolygonWithZ(points, 0);
  if (Ready()) GL_CHECK("Polygon");
}

void TGLCanvas::PolygonWithZ(std::span<const TPoint> points, int32_t z)
{
  if (points.empty() || !Ready()) return;
  auto& gl = OpenGLEntries();
  if (BeginFill()) {
    gl.glNormal3i(0, 0, 1);
    gl.glBegin(GL_POLYGON);
    for (const TPoint& p : points) Vertex(p.x, p.y, z);
    gl.glEnd();
    EndFill();
  }
  if (BeginOutline()) {
    gl.glBegin(GL_LINE_LOOP);
    for (const TPoint& p : points) Vertex(p.x, p.y, z);
    gl.glEnd();
  }
  GL_CHECK("PolygonWithZ");
}

void TGLCanvas::TriangleWithZ(TPoint p1, TPoint p2, TPoint p3, int32_t z)
{
  const TPoint pts[3] = {p1, p2, p3};
  PolygonWithZ(pts, z);
}

void TGLCanvas::Triangle3D(const TPoint3D& p0, const TPoint3D& p1, const TPoint3D& p2, TColor color0, TColor color1,
                           TColor color2)
{
  if (!Ready()) return;
  auto& gl = OpenGLEntries();
  if (brush_ && brush_->GetStyle() != bsClear) {
    gl.glBegin(GL_POLYGON);
    SetColor(color0, -1);
    Vertex(p0.x, p0.y, p0.z);
    SetColor(color1, -1);
    Vertex(p1.x, p1.y, p1.z);
    SetColor(color2, -1);
    Vertex(p2.x, p2.y, p2.z);
    gl.glEnd();
  }
  if (BeginOutline()) {
    gl.glBegin(GL_LINE_LOOP);
    Vertex(p0.x, p0.y, p0.z);
    Vertex(p1.x, p1.y, p1.z);
    Vertex(p2.x, p2.y, p2.z);
    gl.glEnd();
  }
  GL_CHECK("Triangle3D");
}

void TGLCanvas::Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
  EllipseWithZ(x1, y1, x2, y2, 0);
  if (Ready()) GL_CHECK("Ellipse");
}

void TGLCanvas::EllipseWithZ(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t z)
{
  if (!Ready()) return;
  auto& gl = OpenGLEntries();
  const double cx = (x1 + x2) / 2, cy = (y1 + y2) / 2;
  const double rx = (x2 - x1) / 2, ry = (y2 - y1) / 2;
  constexpr int kSegments = 32;
  auto point = [&](int i) {
    const double a = i * 11.25 * std::numbers::pi / 180.0;
    gl.glVertex3d(cx + rx * std::cos(a), -(cy + ry * std::sin(a)), -z);
  };
  if (BeginOutline()) {
    gl.glBegin(GL_LINE_LOOP);
    for (int i = 0; i < kSegments; ++i) point(i);
    gl.glEnd();
  }
  if (BeginFill()) {
    gl.glNormal3i(0, 0, 1);
    gl.glBegin(GL_TRIANGLE_FAN);
    gl.glVertex3d(cx, -cy, -z);
    for (int i = 0; i <= kSegments; ++i) point(i);
    gl.glEnd();
    EndFill();
  }
  GL_CHECK("EllipseWithZ");
}

void TGLCanvas::Pie(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4)
{
  if (!Ready()) return;
  const double cx = (x1 + x2) * 0.5, cy = (y1 + y2) * 0.5;
  const double rx = (x2 - x1) * 0.5, ry = (y2 - y1) * 0.5;
  const double start = std::atan2(cy - y3, x3 - cx);
  double end = std::atan2(cy - y4, x4 - cx);
  if (end <= start) end += 2 * std::numbers::pi;
  std::vector<TPoint> pts;
  pts.push_back({Round32(cx), Round32(cy)});
  constexpr int kSegments = 63;
  for (int i = 0; i <= kSegments; ++i) {
    const double a = start + (end - start) * i / kSegments;
    pts.push_back({Round32(cx + rx * std::cos(a)), Round32(cy - ry * std::sin(a))});
  }
  Polygon(pts);
  GL_CHECK("Pie");
}

void TGLCanvas::GradientFill(const TRect& r, TColor startColor, TColor endColor, TGradientDirection direction, int32_t)
{
  if (!Ready()) return;
  GL_CHECK("Before GradientFill");
  if (direction == gdFromCenter || direction == gdRadial) return;
  const TColor s = ColorToRGB(startColor), e = ColorToRGB(endColor);
  const TColor mid = RGB(static_cast<uint8_t>((GetRValue(s) + GetRValue(e)) / 2),
                         static_cast<uint8_t>((GetGValue(s) + GetGValue(e)) / 2),
                         static_cast<uint8_t>((GetBValue(s) + GetBValue(e)) / 2));
  // Colours of the corners top-left, top-right, bottom-right, bottom-left.
  TColor c[4] = {s, s, s, s};
  switch (direction) {
    case gdTopBottom: c[0] = c[1] = e, c[2] = c[3] = s; break;
    case gdBottomTop: c[0] = c[1] = s, c[2] = c[3] = e; break;
    case gdLeftRight: c[0] = c[3] = e, c[1] = c[2] = s; break;
    case gdRightLeft: c[0] = c[3] = s, c[1] = c[2] = e; break;
    case gdFromTopLeft:
    case gdDiagonalUp: c[0] = e, c[2] = s, c[1] = c[3] = mid; break;
    case gdFromBottomLeft:
    case gdDiagonalDown: c[0] = s, c[2] = e, c[1] = c[3] = mid; break;
    default: break;
  }
  auto& gl = OpenGLEntries();
  const int32_t z = flatFillDepth_;
  gl.glNormal3i(0, 0, 1);
  gl.glBegin(GL_QUADS);
  SetColor(c[0], -1);
  Vertex(r.Left, r.Top, z);
  SetColor(c[3], -1);
  Vertex(r.Left, r.Bottom, z);
  SetColor(c[2], -1);
  Vertex(r.Right, r.Bottom, z);
  SetColor(c[1], -1);
  Vertex(r.Right, r.Top, z);
  gl.glEnd();
  GL_CHECK("GradientFill");
}

// --- Pictures

void TGLCanvas::StretchDraw(const TRect& rect, TGraphic* graphic)
{
  if (!graphic || graphic->Empty() || !Ready()) return;
  auto& gl = OpenGLEntries();
  auto* bitmap = dynamic_cast<TBitmap*>(graphic);
  std::unique_ptr<TBitmap> temporary;
  if (!bitmap) {
    temporary = std::make_unique<TBitmap>();
    temporary->SetSize(graphic->GetWidth(), graphic->GetHeight());
    graphic->Draw(temporary->Canvas(), Rect(0, 0, graphic->GetWidth(), graphic->GetHeight()));
    bitmap = temporary.get();
  }
  const bool repeat = GetTextureRepeat();
  SetTextureRepeat(false);
  // A temporary bitmap's texture lives for this call only: it never enters the cache.
  GLuint name = 0;
  try {
    name = temporary ? glcanvas::CreateTexture(bitmap, 0) : glcanvas::FindOrCreateTexture(rc_, bitmap, 0);
  } catch (...) {
    SetTextureRepeat(repeat);
    throw;
  }
  SetTextureRepeat(repeat);
  if (name != 0) {
    const GLenum target = bitmap->GetHeight() == 1 ? GL_TEXTURE_1D : GL_TEXTURE_2D;
    gl.glEnable(target);
    gl.glBindTexture(target, name);
    gl.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    gl.glDisable(GL_TEXTURE_GEN_S);
    gl.glDisable(GL_TEXTURE_GEN_T);
    gl.glColor3f(1, 1, 1);
    RectQuad(rect);
    gl.glDisable(target);
    if (temporary) gl.glDeleteTextures(1, &name);
  }
  GL_CHECK("StretchDraw");
}

void TGLCanvas::Draw(int32_t x, int32_t y, TGraphic* graphic)
{
  if (!graphic) return;
  StretchDraw(Rect(x, y, x + graphic->GetWidth(), y + graphic->GetHeight()), graphic);
}

// --- Solids

void TGLCanvas::Sphere(int32_t x, int32_t y, int32_t z, double radius)
{
  if (!Ready()) return;
  GLUquadric* q = GetQuadric();
  if (!q) return;
  auto& gl = OpenGLEntries();
  gl.glPushMatrix();
  gl.glTranslatef(static_cast<float>(x), static_cast<float>(-y), static_cast<float>(-z));
  if (BeginFill()) {
    gl.glEnable(GL_CULL_FACE);
    gl.gluSphere(q, radius, 32, 32);
    gl.glDisable(GL_CULL_FACE);
    EndFill();
  }
  if (BeginOutline()) {
    gl.gluQuadricDrawStyle(q, GLU_LINE);
    gl.gluSphere(q, radius, 32, 32);
    gl.gluQuadricDrawStyle(q, GLU_FILL);
  }
  gl.glPopMatrix();
  GL_CHECK("Sphere");
}

void TGLCanvas::CircleWithZ(int32_t xCenter, int32_t yCenter, double radius, int32_t z)
{
  Sphere(xCenter, yCenter, z, radius);
}

void TGLCanvas::ConeImpl(bool vertical, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t z0,
                         int32_t z1, int32_t conePercent, bool closed, const char* word)
{
  if (!Ready()) return;
  GLUquadric* q = GetQuadric();
  if (!q) return;
  auto& gl = OpenGLEntries();
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  if (z0 > z1) std::swap(z0, z1);
  const double cx = (left + right) * 0.5, cy = (top + bottom) * 0.5, cz = (z0 + z1) * 0.5;
  const double halfDepth = (z1 - z0) * 0.5;
  const double radius = vertical ? std::min((right - left) * 0.5, halfDepth) : std::min((bottom - top) * 0.5, halfDepth);
  const double length = vertical ? bottom - top : right - left;
  const double tip = radius * conePercent * 0.01;
  const int slices = std::max(3, std::min(CylinderSides, static_cast<int>(6 * radius)));
  auto place = [&](double extra) {
    gl.glPushMatrix();
    // GLU builds along +Z from the origin: put the full-radius end at the bottom (or right) and
    // turn +Z to point up (or left).
    if (vertical) {
      gl.glTranslated(cx, -(bottom + extra * 0.5), -cz);
      gl.glRotated(-90, 1, 0, 0);
    } else {
      gl.glTranslated(right + extra * 0.5, -cy, -cz);
      gl.glRotated(-90, 0, 1, 0);
    }
  };
  if (BeginFill()) {
    gl.glEnable(GL_CULL_FACE);
    place(0);
    gl.gluCylinder(q, radius, tip, length, slices, 6);
    if (closed) {
      gl.gluQuadricOrientation(q, GLU_INSIDE);
      gl.gluDisk(q, 0, radius, slices, 1);
      gl.gluQuadricOrientation(q, GLU_OUTSIDE);
      gl.glTranslated(0, 0, length);
      gl.gluDisk(q, 0, tip, slices, 1);
    }
    gl.glPopMatrix();
    gl.glDisable(GL_CULL_FACE);
    EndFill();
  }
  if (BeginOutline()) {
    place(0.5);
    gl.gluQuadricDrawStyle(q, GLU_LINE);
    gl.gluCylinder(q, radius + 0.5, conePercent > 0 ? tip + 0.5 : 0.0, length + 0.5, slices, 6);
    gl.gluQuadricDrawStyle(q, GLU_FILL);
    gl.glPopMatrix();
  }
  GL_CHECK(word);
}

void TGLCanvas::Cylinder(bool vertical, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t z0,
                         int32_t z1, bool)
{
  ConeImpl(vertical, left, top, right, bottom, z0, z1, 100, true, "Cylinder");
}

void TGLCanvas::Cone(bool vertical, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t z0, int32_t z1,
                     bool, int32_t conePercent)
{
  ConeImpl(vertical, left, top, right, bottom, z0, z1, conePercent, false, "Cone");
}

void TGLCanvas::Cube(int32_t left, int32_t right, int32_t top, int32_t bottom, int32_t z0, int32_t z1, bool)
{
  if (!Ready()) return;
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  if (z0 > z1) std::swap(z0, z1);
  auto& gl = OpenGLEntries();
  const Vec3 ltf = GlPoint(left, top, z0), rtf = GlPoint(right, top, z0), rbf = GlPoint(right, bottom, z0),
             lbf = GlPoint(left, bottom, z0);
  const Vec3 ltb = GlPoint(left, top, z1), rtb = GlPoint(right, top, z1), rbb = GlPoint(right, bottom, z1),
             lbb = GlPoint(left, bottom, z1);
  if (BeginFill()) {
    const bool textured = brush_ && brush_->GetBitmap();
    gl.glEnable(GL_CULL_FACE);
    Face({lbf, rbf, rtf, ltf}, {0, 0, 1}, textured);
    Face({rbb, lbb, ltb, rtb}, {0, 0, -1}, textured);
    Face({ltf, rtf, rtb, ltb}, {0, 1, 0}, textured);
    Face({lbb, rbb, rbf, lbf}, {0, -1, 0}, textured);
    Face({lbb, lbf, ltf, ltb}, {-1, 0, 0}, textured);
    Face({rbf, rbb, rtb, rtf}, {1, 0, 0}, textured);
    gl.glDisable(GL_CULL_FACE);
    EndFill();
  }
  if (BeginOutline()) {
    auto loop = [&](std::initializer_list<Vec3> pts) {
      gl.glBegin(GL_LINE_LOOP);
      for (const Vec3& p : pts) gl.glVertex3d(p.x, p.y, p.z);
      gl.glEnd();
    };
    loop({ltf, rtf, rbf, lbf});
    loop({ltb, rtb, rbb, lbb});
    loop({ltf, ltb, lbb, lbf});
    loop({rtf, rtb, rbb, rbf});
  }
  GL_CHECK("Cube");
}

void TGLCanvas::Pyramid(bool vertical, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t z0, int32_t z1,
                        bool)
{
  if (!Ready()) return;
  if (z0 > z1) std::swap(z0, z1);
  auto& gl = OpenGLEntries();
  // Base and apex: vertical pyramids stand on Bottom and point to Top; horizontal ones stand on
  // Left and point to Right.
  std::array<Vec3, 4> base;
  Vec3 apex;
  if (vertical) {
    base = {GlPoint(left, bottom, z0), GlPoint(right, bottom, z0), GlPoint(right, bottom, z1), GlPoint(left, bottom, z1)};
    apex = GlPoint((left + right) * 0.5, top, (z0 + z1) * 0.5);
  } else {
    base = {GlPoint(left, top, z0), GlPoint(left, bottom, z0), GlPoint(left, bottom, z1), GlPoint(left, top, z1)};
    apex = GlPoint(right, (top + bottom) * 0.5, (z0 + z1) * 0.5);
  }
  Vec3 centre{(base[0].x + base[2].x + apex.x * 2) / 4, (base[0].y + base[2].y + apex.y * 2) / 4,
              (base[0].z + base[2].z + apex.z * 2) / 4};
  if (BeginFill()) {
    const bool textured = brush_ && brush_->GetBitmap();
    gl.glEnable(GL_CULL_FACE);
    for (int i = 0; i < 4; ++i) {
      const Vec3 a = base[i], b = base[(i + 1) % 4];
      const Vec3 mid{(a.x + b.x + apex.x) / 3, (a.y + b.y + apex.y) / 3, (a.z + b.z + apex.z) / 3};
      Vec3 n = Normalized(Cross(b - a, apex - a));
      if (Dot(n, mid - centre) < 0) n = {-n.x, -n.y, -n.z};
      Face({a, b, apex}, n, textured);
    }
    Vec3 bn = Normalized(Cross(base[1] - base[0], base[3] - base[0]));
    const Vec3 bc{(base[0].x + base[2].x) / 2, (base[0].y + base[2].y) / 2, (base[0].z + base[2].z) / 2};
    if (Dot(bn, bc - centre) < 0) bn = {-bn.x, -bn.y, -bn.z};
    Face({base[0], base[1], base[2], base[3]}, bn, textured);
    gl.glDisable(GL_CULL_FACE);
    EndFill();
  }
  if (BeginOutline()) {
    gl.glBegin(GL_LINE_LOOP);
    for (const Vec3& p : base) gl.glVertex3d(p.x, p.y, p.z);
    gl.glEnd();
    for (const Vec3& p : base) {
      gl.glBegin(GL_LINE_STRIP);
      gl.glVertex3d(p.x, p.y, p.z);
      gl.glVertex3d(apex.x, apex.y, apex.z);
      gl.glEnd();
    }
  }
  GL_CHECK("Pyramid");
}

void TGLCanvas::Polygon3D(std::span<const TPoint3D> points)
{
  if (points.empty() || !Ready()) return;
  auto& gl = OpenGLEntries();
  if (BeginFill()) {
    gl.glBegin(GL_POLYGON);
    for (const TPoint3D& p : points) {
      gl.glNormal3i(p.x, p.y, -p.z);
      gl.glTexCoord3i(p.x, p.y, p.z);
      Vertex(p.x, p.y, p.z);
    }
    gl.glEnd();
    EndFill();
  }
  if (BeginOutline()) {
    gl.glBegin(GL_LINE_LOOP);
    for (const TPoint3D& p : points) Vertex(p.x, p.y, p.z);
    gl.glEnd();
  }
  GL_CHECK("Polygon3D");
}

void TGLCanvas::PyramidTrunc(const TRect& r, int32_t startZ, int32_t endZ, int32_t truncX, int32_t truncZ)
{
  // Base on Bottom; the top face on Top spans the middle +- TruncX and the middle depth +- TruncZ.
  const int32_t l = r.Left, rt = r.Right, t = r.Top, b = r.Bottom;
  const int32_t xm = static_cast<int32_t>((int64_t{l} + rt) / 2);
  const int32_t zm = static_cast<int32_t>((int64_t{startZ} + endZ) / 2);
  const TPoint3D b0{l, b, startZ}, b1{rt, b, startZ}, b2{rt, b, endZ}, b3{l, b, endZ};
  const TPoint3D t0{xm - truncX, t, zm - truncZ}, t1{xm + truncX, t, zm - truncZ}, t2{xm + truncX, t, zm + truncZ},
      t3{xm - truncX, t, zm + truncZ};
  const TPoint3D top[4] = {t0, t1, t2, t3};
  const TPoint3D front[4] = {b0, b1, t1, t0};
  const TPoint3D back[4] = {b3, b2, t2, t3};
  const TPoint3D left[4] = {b0, b3, t3, t0};
  const TPoint3D right[4] = {b1, b2, t2, t1};
  Polygon3D(back);
  Polygon3D(left);
  Polygon3D(right);
  Polygon3D(front);
  Polygon3D(top);
}

void TGLCanvas::Arrow(bool filled, TPoint fromPoint, TPoint toPoint, int32_t headWidth, int32_t headHeight, int32_t z,
                      int32_t arrowPercent)
{
  if (!Ready()) return;
  GL_CHECK("BeforeArrow");
  const double dx = toPoint.x - fromPoint.x, dy = toPoint.y - fromPoint.y;
  const double len = std::sqrt(dx * dx + dy * dy);
  if (len == 0) return;
  const double ux = dx / len, uy = dy / len;  // along the arrow
  const double px = -uy, py = ux;             // across it
  const double head = std::min<double>(headHeight, Round32(len));
  const double bx = toPoint.x - ux * head, by = toPoint.y - uy * head;
  const double hw = Round32(headWidth / 2.0);
  const TPoint c1{Round32(bx + px * hw), Round32(by + py * hw)};
  const TPoint c2{Round32(bx - px * hw), Round32(by - py * hw)};
  if (filled) {
    const double sw = headWidth * 0.005 * arrowPercent;
    const TPoint shaft[4] = {{Round32(fromPoint.x + px * sw), Round32(fromPoint.y + py * sw)},
                             {Round32(bx + px * sw), Round32(by + py * sw)},
                             {Round32(bx - px * sw), Round32(by - py * sw)},
                             {Round32(fromPoint.x - px * sw), Round32(fromPoint.y - py * sw)}};
    PolygonWithZ(shaft, z);
    const TPoint tri[3] = {c1, toPoint, c2};
    PolygonWithZ(tri, z);
  } else {
    MoveTo3D(fromPoint.x, fromPoint.y, z);
    LineTo3D(toPoint.x, toPoint.y, z);
    LineTo3D(c1.x, c1.y, z);
    MoveTo3D(toPoint.x, toPoint.y, z);
    LineTo3D(c2.x, c2.y, z);
  }
  GL_CHECK("Arrow");
}

void TGLCanvas::Pie3D(int32_t xCenter, int32_t yCenter, int32_t xRadius, int32_t yRadius, int32_t z0, int32_t z1,
                      double startAngle, double endAngle, bool, bool drawSides, int32_t donutPercent,
                      TCustomNuvGradient*)
{
  if (!Ready()) return;
  auto& gl = OpenGLEntries();
  constexpr int kSegments = 16;
  // Arc points relative to the centre in chart orientation (the matrix turns them over).
  std::array<TPoint, kSegments + 1> outer, inner;
  const double hole = std::clamp(donutPercent, 0, 100) * 0.01;
  for (int i = 0; i <= kSegments; ++i) {
    const double a = startAngle + i * (endAngle - startAngle) / kSegments + std::numbers::pi / 2;
    outer[i] = {Trunc32(xRadius * std::sin(a)), Trunc32(yRadius * std::cos(a))};
    inner[i] = {Trunc32(xRadius * hole * std::sin(a)), Trunc32(yRadius * hole * std::cos(a))};
  }
  gl.glPushMatrix();
  gl.glTranslatef(static_cast<float>(xCenter), static_cast<float>(-yCenter), 0);
  gl.glRotatef(180, 1, 0, 0);
  if (drawSides) {
    // Plane3D sends chart points as (X, -Y, -Z); under the half turn above that lands on
    // (X, Y, Z), so the side planes go in with Y and depth negated to meet the rim.
    auto side = [&](TPoint from, TPoint to) { Plane3D({from.x, -from.y}, {to.x, -to.y}, -z0, -z1); };
    side(hole > 0 ? inner[0] : TPoint{0, 0}, outer[0]);
    side(hole > 0 ? inner[kSegments] : TPoint{0, 0}, outer[kSegments]);
  }
  auto v = [&](TPoint p, int32_t z) { gl.glVertex3i(p.x, p.y, z); };
  if (BeginFill()) {
    gl.glEnable(GL_CULL_FACE);
    gl.glBegin(GL_QUAD_STRIP);
    for (int i = 0; i <= kSegments; ++i) {
      gl.glNormal3d(outer[i].x, outer[i].y, 0);
      v(outer[i], z0);
      v(outer[i], z1);
    }
    gl.glEnd();
    gl.glDisable(GL_CULL_FACE);
    for (int face = 0; face < 2; ++face) {
      const int32_t z = face == 0 ? z0 : z1;
      gl.glNormal3i(0, 0, face == 0 ? -1 : 1);
      if (hole > 0) {
        gl.glBegin(GL_QUAD_STRIP);
        for (int i = 0; i <= kSegments; ++i) {
          const int k = face == 0 ? i : kSegments - i;
          v(outer[k], z);
          v(inner[k], z);
        }
      } else {
        gl.glBegin(GL_TRIANGLE_FAN);
        v({0, 0}, z);
        for (int i = 0; i <= kSegments; ++i) v(outer[face == 0 ? i : kSegments - i], z);
      }
      gl.glEnd();
    }
    EndFill();
  }
  if (BeginOutline()) {
    gl.glBegin(GL_LINE_STRIP);
    for (int i = 0; i <= kSegments; ++i) v(outer[i], z0);
    gl.glEnd();
    for (int face = 0; face < 2; ++face) {
      const int32_t z = face == 0 ? z0 : z1;
      gl.glBegin(GL_LINE_LOOP);
      v(hole > 0 ? inner[0] : TPoint{0, 0}, z);
      for (int i = 0; i <= kSegments; ++i) v(outer[i], z);
      if (hole > 0)
        for (int i = kSegments; i >= 0; --i) v(inner[i], z);
      gl.glEnd();
    }
  }
  gl.glPopMatrix();
  GL_CHECK("Pie3D");
}

void TGLCanvas::Donut(int32_t xCenter, int32_t yCenter, int32_t xRadius, int32_t yRadius, double startAngle,
                      double endAngle, double holePercent)
{
  Pie3D(xCenter, yCenter, xRadius, yRadius, 0, 0, startAngle, endAngle, false, false, Round32(holePercent));
  if (Ready()) GL_CHECK("Donut");
}

void TGLCanvas::Surface3D(bool sameBrush, int32_t numX, int32_t numZ, const TSurfaceCalcPoints& calcPoints)
{
  if (!calcPoints || numX <= 0 || numZ <= 1 || !Ready()) return;
  auto& gl = OpenGLEntries();
  SetPen(pen_);
  if (!sameBrush && brush_) SetColor(brush_->GetColor(), -1);
  auto rows = [&](bool withColours) {
    for (int32_t z = 1; z < numZ; ++z) {
      bool open = false;
      for (int32_t x = 0; x < numX; ++x) {
        TPoint3D p0, p1;
        TColor c0 = clNone, c1 = clNone;
        if (!calcPoints(x, z, p0, p1, c0, c1)) {
          if (open) gl.glEnd();
          open = false;
          continue;
        }
        if (!open) gl.glBegin(GL_QUAD_STRIP);
        open = true;
        if (withColours && c0 != clNone) SetColor(c0, -1);
        Vertex(p0.x, p0.y, p0.z);
        if (withColours && c1 != clNone) SetColor(c1, -1);
        Vertex(p1.x, p1.y, p1.z);
      }
      if (open) gl.glEnd();
    }
  };
  rows(true);
  if (pen_ && pen_->GetStyle() != psClear && !sameBrush) {
    gl.glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    SetColor(pen_->GetColor(), -1);
    rows(false);
    SetDrawStyle(drawStyle_);
  }
  GL_CHECK("Surface3D");
}
