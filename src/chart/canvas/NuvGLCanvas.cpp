// The OpenGL canvas: context handling, projection and model view, lights, projection of points.
#include "chart/canvas/NuvGLCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "chart/canvas/NuvGLCanvasPrivate.h"

#define GL_CHECK(word) Check(word, __FILE__, __LINE__)

TGLCanvas::TGLCanvas() = default;

TGLCanvas::~TGLCanvas()
{
  if (quadric_ && OpenGLEntries().gluDeleteQuadric) OpenGLEntries().gluDeleteQuadric(quadric_);
  quadric_ = nullptr;
  ReleaseContext();
  ClearTextureCache();
}

void TGLCanvas::Check(const std::string& word, const char* file, int line)
{
  glcanvas::CheckGL(word, file, line, &lastError_);
}

GLenum glcanvas::CheckGL(const std::string& word, const char* file, int line, GLenum* last, bool withNumber)
{
  auto& gl = OpenGLEntries();
  if (!gl.glGetError) return GL_NO_ERROR;
  const GLenum error = gl.glGetError();
  if (last) *last = error;
  if (error == GL_NO_ERROR) return error;
  // Drain the remaining flags so that the next step starts clean.
  for (int i = 0; i < 8 && gl.glGetError() != GL_NO_ERROR; ++i) {
  }
  const char* base = std::strrchr(file, '/');
  const std::string message = withNumber ? word + std::to_string(error) : word;
  throw EAssertionFailed(message + " (" + (base ? base + 1 : file) + ", line " + std::to_string(line) + ")");
}

void TGLCanvas::ReleaseContext()
{
  if (!rc_) return;
  batch_.indices.clear();
  batch_.vertices.clear();
  // The target may be gone by now: the context is made current as it is.
  if (EglMakeCurrent(nullptr, rc_)) {
    FreeFonts();
    glcanvas::PurgeTextures(rc_, true);
  }
  fontCount_ = 0;
  DeactivateRenderingContext();
  glcanvas::ForgetContext(rc_);
  DestroyRenderingContext(rc_);
  rc_ = nullptr;
}

GLUquadric* TGLCanvas::GetQuadric()
{
  if (!quadric_ && OpenGLEntries().gluNewQuadric) quadric_ = OpenGLEntries().gluNewQuadric();
  return quadric_;
}

void TGLCanvas::SetBufferedDisplay(bool value)
{
  bufferedDisplay_ = value;
  targetCanvas_ = nullptr;
  if (rc_ && EglMakeCurrent(nullptr, rc_)) FreeFonts();
  fontCount_ = 0;
  ClearTextureCache();
}

void TGLCanvas::InitFixedState()
{
  auto& gl = OpenGLEntries();
  lightingOn_ = false;
  gl.glEnable(GL_AUTO_NORMAL);
  GL_CHECK("AutoNormal");
  gl.glEnable(GL_NORMALIZE);
  GL_CHECK("EnableNormalize");
  gl.glEnable(GL_DEPTH_TEST);
  GL_CHECK("EnableDepth");
  gl.glDepthFunc(GL_LEQUAL);
  GL_CHECK("DepthFunc");
  gl.glEnable(GL_LINE_STIPPLE);
  GL_CHECK("EnableLineStipple");
  gl.glEnable(GL_COLOR_MATERIAL);
  GL_CHECK("EnableColorMaterial");
  gl.glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  GL_CHECK("ColorMaterial");

  const GLfloat diffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  const GLfloat specular[4] = {0.7f, 0.7f, 0.7f, 1.0f};
  const GLfloat ambient[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  gl.glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
  gl.glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
  gl.glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
  glcanvas::CheckGL("Material ", __FILE__, __LINE__, &lastError_, true);

  gl.glEnable(GL_POLYGON_OFFSET_FILL);
  gl.glPolygonOffset(0.5f, 1.0f);
  GL_CHECK("PolygonOffset");
  gl.glDisable(GL_CULL_FACE);
  gl.glEnable(GL_DITHER);
  GL_CHECK("Dither");
  gl.glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  gl.glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
  gl.glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
  gl.glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
  gl.glLightModelf(GL_LIGHT_MODEL_TWO_SIDE, 0.0f);
  gl.glLightModelf(GL_LIGHT_MODEL_LOCAL_VIEWER, 0.0f);
  GL_CHECK("LightModel");
}

TRect TGLCanvas::InitWindow(TCanvas* destCanvas, TView3DOptions* view3DOptions, TColor backColor, bool is3D,
                            const TRect& rect)
{
  bounds_ = rect;
  width_ = rect.Width();
  height_ = rect.Height();
  if (view3DOptions) fontZoom_ = view3DOptions->GetFontZoom();

  if (destCanvas != targetCanvas_ || view3DOptions != targetOptions_) {
    targetCanvas_ = destCanvas;
    targetOptions_ = view3DOptions;
    view3DOptions_ = view3DOptions;
    InitOpenGL();
    ReleaseContext();
    dc_ = destCanvas;
    isMemoryDC_ = IsMemoryCanvas(dc_);
    if (isMemoryDC_) ClearTextureCache();
    rc_ = CreateRenderingContext(dc_, bufferedDisplay_ ? coDoubleBuffer : 0, 24, 1);
    if (rc_ && !glcanvas::EntriesComplete()) {
      DestroyRenderingContext(rc_);
      rc_ = nullptr;
    }
    if (rc_ && !ActivateRenderingContext(dc_, rc_)) {
      DestroyRenderingContext(rc_);
      rc_ = nullptr;
    }
    if (rc_) {
      GL_CHECK("ActivateContext");
      InitFixedState();
    }
  }
  currentX_ = currentY_ = 0;
  is3D_ = is3D;
  dc_ = destCanvas;
  // Without a context nothing is drawn, but the chart still sets pen, brush and font: they are
  // the target's, as with a context.
  if (destCanvas) AttachCanvas(destCanvas);
  backColor_ = backColor;
  if (!rc_) return rect;
  // Made current on every paint: another canvas may have drawn in between, and the target's
  // size decides the framebuffer's.
  if (!ActivateRenderingContext(dc_, rc_)) return rect;
  glcanvas::PurgeTextures(rc_, false);
  glcanvas::BeginTextureFrame(rc_);
  return rect;
}

double TGLCanvas::ZoomFactor() const
{
  const TView3DOptions* o = view3DOptions_;
  const double zoom = o ? o->GetZoom() : 100;
  const bool perspective = is3D_ && o && !o->GetOrthogonal();
  const double p = perspective ? 0.01 * std::max(6, o->GetPerspective()) : 1.0;
  return std::max(1.0, zoom) * 2.0 * p;
}

namespace {
// Tallest viewport whose perspective view has the eye at 80000 / F from the chart's centre.
constexpr double kPerspectiveHeight = 540.0;
}  // namespace

// The chart is measured in pixels of its pane while the eye of a perspective view stands at a fixed
// distance, so a taller pane shows the chart larger than the viewport (cut off at the edges). Above
// kPerspectiveHeight the eye stands back in proportion to the viewport's height: the picture is then
// the one of that height, scaled to the pane.
double TGLCanvas::EyeDistanceScale() const
{
  const TView3DOptions* o = view3DOptions_;
  if (!is3D_ || !o || o->GetOrthogonal()) return 1.0;
  return std::max(1.0, height_ / kPerspectiveHeight);
}

void TGLCanvas::ViewPort(int32_t depth, const TRect& bounds, const TRect& chartRect)
{
  width_ = bounds.Width();
  height_ = bounds.Height();
  xCenter_ = (chartRect.Left + chartRect.Right) / 2;
  yCenter_ = (chartRect.Top + chartRect.Bottom) / 2;
  depth_ = depth;
  if (!Ready()) return;
  auto& gl = OpenGLEntries();
  gl.glViewport(0, 0, width_, height_);
  glcanvas::CheckGL("ViewPort ", __FILE__, __LINE__, &lastError_, true);
  SetProjection();
  SetDrawStyle(drawStyle_);
  SetModelView();
}

void TGLCanvas::SetProjection()
{
  auto& gl = OpenGLEntries();
  gl.glMatrixMode(GL_PROJECTION);
  GL_CHECK("Projection");
  gl.glLoadIdentity();
  GL_CHECK("ProjectionInit");
  const double F = ZoomFactor();
  const double farPlane = static_cast<double>(Round32((depth_ + 1) * 400.0));
  const TView3DOptions* o = view3DOptions_;
  if (!is3D_ || (o && o->GetOrthogonal()) || !o) {
    const double w2 = width_ * 0.5, h2 = height_ * 0.5, f = 100.0 / F;
    gl.glOrtho(-w2 * f, w2 * f, -h2 * f, h2 * f, -0.1, 2 * f * farPlane);
    GL_CHECK("Orthogonal");
    gl.glDisable(GL_DEPTH_TEST);
  } else {
    gl.glEnable(GL_DEPTH_TEST);
    const double f = std::max(1.0, 100.0 / F);
    const double aspect = height_ != 0 ? static_cast<double>(width_) / height_ : 1.0;
    gl.gluPerspective(std::max(6, o->GetPerspective()) * 0.5, aspect, 10.1,
                      0.5 * f * farPlane * EyeDistanceScale());
    GL_CHECK("Perspective");
  }
}

void TGLCanvas::SetModelView()
{
  auto& gl = OpenGLEntries();
  const TColor c = ColorToRGB(backColor_);
  gl.glClearColor(GetRValue(c) / 255.0f, GetGValue(c) / 255.0f, GetBValue(c) / 255.0f, 1.0f);
  GL_CHECK("ClearColor");
  gl.glDisable(GL_DITHER);
  gl.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  GL_CHECK("Clear");
  gl.glEnable(GL_DITHER);
  gl.glMatrixMode(GL_MODELVIEW);
  GL_CHECK("ModelView");
  gl.glLoadIdentity();
  GL_CHECK("ModelInit");
  const TView3DOptions* o = view3DOptions_;
  const double F = ZoomFactor();
  gl.glTranslatef(o ? static_cast<float>(o->GetHorizOffset()) : 0.0f, o ? static_cast<float>(-o->GetVertOffset()) : 0.0f,
                  static_cast<float>(-80000.0 / F * EyeDistanceScale()));
  gl.glShadeModel(shadeQuality_ ? GL_SMOOTH : GL_FLAT);
  GL_CHECK("ShadeModel");
  if (is3D_ && o) {
    gl.glRotatef(static_cast<float>(o->GetTilt()), 0, 0, 1);
    gl.glRotatef(static_cast<float>(-o->GetElevationFloat()), 1, 0, 0);
    gl.glRotatef(static_cast<float>(o->GetRotationFloat()), 0, 1, 0);
  }
  gl.glTranslatef(static_cast<float>(-xCenter_ + rotationCenter_.x), static_cast<float>(yCenter_ + rotationCenter_.y),
                  static_cast<float>(depth_ * 0.5 + rotationCenter_.z));
  GL_CHECK("Rotations");
  if (GLUquadric* q = GetQuadric()) {
    gl.gluQuadricNormals(q, shadeQuality_ ? GLU_SMOOTH : GLU_FLAT);
    GL_CHECK("QuadricNormals");
  }
  if (OnSetup) OnSetup(this);
  GL_CHECK("Init");
}

void TGLCanvas::ShowImage(TCanvas* /*destCanvas*/, TCanvas* defaultCanvas, const TRect& /*rect*/)
{
  if (!Ready()) {
    if (defaultCanvas) AttachCanvas(defaultCanvas);
    return;
  }
  auto& gl = OpenGLEntries();
  gl.glFlush();
  GL_CHECK("Flush");
  SwapBuffers(dc_);
  if (OnFrameEnd) OnFrameEnd(this);
  if (defaultCanvas) AttachCanvas(defaultCanvas);
  GL_CHECK("ShowImage");
  if (isMemoryDC_) ClearTextureCache();
}

void TGLCanvas::SetDrawStyle(TNuvCanvasSurfaceStyle style)
{
  drawStyle_ = style;
  if (!Ready()) return;
  const GLenum mode = style == tcsWire ? GL_LINE : style == tcsDot ? GL_POINT : GL_FILL;
  OpenGLEntries().glPolygonMode(GL_FRONT_AND_BACK, mode);
}

void TGLCanvas::SetAntialias(bool value)
{
  antialias_ = value;
  if (!Ready()) return;
  auto& gl = OpenGLEntries();
  if (value) {
    gl.glEnable(GL_POINT_SMOOTH);
    gl.glEnable(GL_LINE_SMOOTH);
    gl.glDisable(GL_DEPTH_TEST);
    gl.glEnable(GL_BLEND);
    gl.glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  } else {
    gl.glDisable(GL_POLYGON_SMOOTH);
    gl.glDisable(GL_POINT_SMOOTH);
    gl.glDisable(GL_LINE_SMOOTH);
    gl.glDisable(GL_BLEND);
  }
}

void TGLCanvas::SetAmbientLight(int32_t value)
{
  if (!Ready()) return;
  auto& gl = OpenGLEntries();
  gl.glDisable(GL_LIGHTING);
  gl.glDisable(GL_LIGHT0);
  gl.glDisable(GL_LIGHT1);
  gl.glDisable(GL_LIGHT2);
  GL_CHECK("DisableLight");
  if (value > 0) {
    gl.glEnable(GL_LIGHTING);
    GL_CHECK("EnableLight");
    const GLfloat a = value * 0.01f;
    const GLfloat ambient[4] = {a, a, a, 1.0f};
    gl.glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    GL_CHECK("LightModel");
    lightingOn_ = true;
  } else {
    gl.glEnable(GL_LIGHTING);
    const GLfloat none[4] = {0, 0, 0, 1.0f};
    gl.glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
    GL_CHECK("LightModel");
    gl.glDisable(GL_LIGHTING);
    GL_CHECK("DisableLightModel");
    lightingOn_ = false;
  }
}

void TGLCanvas::SetLight(GLenum light, const std::array<float, 4>& color, double spotDegrees, bool useDirection,
                         const TPoint3DFloat& direction, const TPoint3DFloat& position)
{
  if (!Ready()) return;
  auto& gl = OpenGLEntries();
  std::string n(" ");
  n += std::to_string(light);
  gl.glEnable(GL_LIGHTING);
  gl.glEnable(light);
  GL_CHECK("EnableLight" + n);
  lightingOn_ = true;
  gl.glLightfv(light, GL_AMBIENT, color.data());
  GL_CHECK("LightAmbient" + n);
  const GLfloat diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
  gl.glLightfv(light, GL_DIFFUSE, diffuse);
  GL_CHECK("LightDiffuse" + n);
  const GLfloat specular[4] = {0.2f, 0.2f, 0.2f, 1.0f};
  gl.glLightfv(light, GL_SPECULAR, specular);
  GL_CHECK("LightSpecular" + n);
  const GLfloat pos[4] = {static_cast<GLfloat>(position.x), static_cast<GLfloat>(-position.y),
                          static_cast<GLfloat>(-position.z), 1.0f};
  gl.glLightfv(light, GL_POSITION, pos);
  GL_CHECK("LightPosition" + n);
  GLfloat dir[4] = {0, 0, 1, 0};
  if (useDirection) {
    dir[0] = static_cast<GLfloat>(direction.x);
    dir[1] = static_cast<GLfloat>(-direction.y);
    dir[2] = static_cast<GLfloat>(-direction.z);
  }
  gl.glLightfv(light, GL_SPOT_DIRECTION, dir);
  GL_CHECK("LightDirection" + n);
  gl.glLightf(light, GL_SPOT_CUTOFF, static_cast<GLfloat>(spotDegrees));
  GL_CHECK("LightSpot" + n);
}

void TGLCanvas::SetShininess(double value)
{
  if (!Ready()) return;
  OpenGLEntries().glMateriali(GL_FRONT_AND_BACK, GL_SHININESS, Round32(128 * value));
  GL_CHECK("Shininess");
}

void TGLCanvas::Repaint()
{
  if (view3DOptions_) view3DOptions_->Repaint();
}

void TGLCanvas::ProjectPoint(TPoint& p, double x, double y, double z)
{
  // The matrices read are those of this canvas's context, even when another canvas drew since.
  if (!InitOpenGL() || !Ready()) {
    p = {Round32(x), Round32(y)};
    return;
  }
  auto& gl = OpenGLEntries();
  GLint viewport[4];
  GLdouble model[16], projection[16];
  gl.glGetIntegerv(GL_VIEWPORT, viewport);
  gl.glGetDoublev(GL_MODELVIEW_MATRIX, model);
  gl.glGetDoublev(GL_PROJECTION_MATRIX, projection);
  GLdouble wx = 0, wy = 0, wz = 0;
  gl.gluProject(x, y, z, model, projection, viewport, &wx, &wy, &wz);
  p = {Round32(wx), height_ - Round32(wy)};
}

void TGLCanvas::ProjectPoints(std::span<const TPoint3DFloat> points, std::vector<TPoint3DFloat>& result)
{
  result.resize(points.size());
  if (!Ready()) {
    for (size_t i = 0; i < points.size(); ++i) result[i] = points[i];
    return;
  }
  auto& gl = OpenGLEntries();
  GLint viewport[4];
  GLdouble model[16], projection[16];
  gl.glGetIntegerv(GL_VIEWPORT, viewport);
  gl.glGetDoublev(GL_MODELVIEW_MATRIX, model);
  gl.glGetDoublev(GL_PROJECTION_MATRIX, projection);
  for (size_t i = 0; i < points.size(); ++i) {
    GLdouble wx = 0, wy = 0, wz = 0;
    gl.gluProject(points[i].x, points[i].y, points[i].z, model, projection, viewport, &wx, &wy, &wz);
    result[i] = {wx, height_ - wy, wz};
  }
}

void TGLCanvas::Calculate2DPosition(int32_t& x, int32_t& y, int32_t z)
{
  TPoint p;
  ProjectPoint(p, x, y, z);
  x = p.x;
  y = p.y;
}

bool TGLCanvas::IsDepthPlaneFacing(const TRect& r, int32_t z)
{
  if (!Ready()) return false;
  // Chart points go to OpenGL as (X, -Y, -Z); the window positions come back with y down.
  const double x0 = r.Left, x1 = r.Right, y0 = -static_cast<double>(r.Top), y1 = -static_cast<double>(r.Bottom);
  const double depth = -static_cast<double>(z);
  const TPoint3DFloat corners[3] = {{x0, y0, depth}, {x1, y0, depth}, {x0, y1, depth}};
  std::vector<TPoint3DFloat> p;
  ProjectPoints(corners, p);
  return (p[1].x - p[0].x) * (p[2].y - p[0].y) - (p[1].y - p[0].y) * (p[2].x - p[0].x) < 0;
}

TPoint TGLCanvas::Calculate3DPosition(int32_t x, int32_t y, int32_t /*z*/) { return {x, height_ - y}; }

void TGLCanvas::DisableRotation()
{
  if (!Ready()) return;
  auto& gl = OpenGLEntries();
  gl.glMatrixMode(GL_PROJECTION);
  gl.glPushMatrix();
  gl.glLoadIdentity();
  depth_ = 0;
  gl.glOrtho(0, width_ + 1, 0, height_ + 1, 0.1, -400);
  GL_CHECK("Orthogonal");
  gl.glMatrixMode(GL_MODELVIEW);
  gl.glPushMatrix();
  gl.glLoadIdentity();
  if (is3D_) {
    gl.glDisable(GL_DEPTH_TEST);
    gl.glDisable(GL_LIGHTING);
  }
  xCenter_ = (bounds_.Left + bounds_.Right) / 2;
  yCenter_ = (bounds_.Top + bounds_.Bottom) / 2;
  gl.glTranslatef(0, static_cast<float>(height_), 0);
  GL_CHECK("DisableRotation");
}

void TGLCanvas::EnableRotation()
{
  if (!Ready()) return;
  auto& gl = OpenGLEntries();
  gl.glMatrixMode(GL_PROJECTION);
  gl.glPopMatrix();
  gl.glMatrixMode(GL_MODELVIEW);
  gl.glPopMatrix();
  GL_CHECK("EnableRotation");
  if (is3D_) {
    gl.glEnable(GL_DEPTH_TEST);
    // Lighting comes back only when it is on: with no light and no ambient light it would
    // turn everything drawn afterwards black.
    if (lightingOn_) gl.glEnable(GL_LIGHTING);
  }
}

void TGLCanvas::FrontPlaneBegin()
{
  if (frontPlaneCount_ == 0) DisableRotation();
  ++frontPlaneCount_;
}

void TGLCanvas::FrontPlaneEnd()
{
  if (frontPlaneCount_ <= 0) return;
  --frontPlaneCount_;
  if (frontPlaneCount_ == 0) EnableRotation();
}
