// The OpenGL canvas: text drawn from display lists built out of the platform's glyph shapes.
#include <algorithm>
#include <cmath>
#include <array>
#include <deque>
#include <map>

#include "chart/canvas/NuvGLCanvas.h"
#include "chart/canvas/NuvGLCanvasPrivate.h"
#include "platform/FontOutline.h"

#define GL_CHECK(word) Check(word, __FILE__, __LINE__)

namespace {
constexpr int kFirstChar = 32;

// Vertices the tessellator makes where contours cross; they must outlive the polygon.
std::deque<std::array<GLdouble, 3>>& CombinedVertices()
{
  static std::deque<std::array<GLdouble, 3>> v;
  return v;
}

void APIENTRY TessBegin(GLenum mode) { OpenGLEntries().glBegin(mode); }
void APIENTRY TessEnd() { OpenGLEntries().glEnd(); }
void APIENTRY TessVertex(void* data) { OpenGLEntries().glVertex3dv(static_cast<const GLdouble*>(data)); }
void APIENTRY TessCombine(GLdouble coords[3], void* /*data*/[4], GLfloat /*weight*/[4], void** out)
{
  auto& v = CombinedVertices();
  v.push_back({coords[0], coords[1], coords[2]});
  *out = v.back().data();
}

// Below this many pixels to the em, strokes of the usual faces are about a pixel wide or less: a
// filled stroke that covers no pixel centre vanishes, so the outline is traced over the fill.
constexpr double kTracedEmPixels = 12;

// The smaller of the on-screen lengths of one unit along X and along Y of the current model view.
double EmPixels()
{
  auto& gl = OpenGLEntries();
  GLdouble model[16], proj[16];
  GLint view[4];
  gl.glGetDoublev(GL_MODELVIEW_MATRIX, model);
  gl.glGetDoublev(GL_PROJECTION_MATRIX, proj);
  gl.glGetIntegerv(GL_VIEWPORT, view);
  GLdouble o[3], ex[3], ey[3];
  if (!gl.gluProject(0, 0, 0, model, proj, view, &o[0], &o[1], &o[2]) ||
      !gl.gluProject(1, 0, 0, model, proj, view, &ex[0], &ex[1], &ex[2]) ||
      !gl.gluProject(0, 1, 0, model, proj, view, &ey[0], &ey[1], &ey[2]))
    return 0;
  return std::min(std::hypot(ex[0] - o[0], ex[1] - o[1]), std::hypot(ey[0] - o[0], ey[1] - o[1]));
}

struct Contour3 {
  std::vector<std::array<GLdouble, 3>> pts;
};

// Filled face of the glyph at depth z, facing along normalZ (+1 or -1).
void TessellateFace(GLUtesselator* tess, std::vector<Contour3>& contours, double normalZ)
{
  auto& gl = OpenGLEntries();
  gl.gluTessNormal(tess, 0, 0, normalZ);
  gl.glNormal3d(0, 0, normalZ);
  gl.gluTessBeginPolygon(tess, nullptr);
  for (Contour3& c : contours) {
    gl.gluTessBeginContour(tess);
    for (auto& p : c.pts) gl.gluTessVertex(tess, p.data(), p.data());
    gl.gluTessEndContour(tess);
  }
  gl.gluTessEndPolygon(tess);
}

double SignedArea(const std::vector<TOutlinePoint>& c)
{
  double a = 0;
  for (size_t i = 0, n = c.size(); i < n; ++i) {
    const TOutlinePoint& p = c[i];
    const TOutlinePoint& q = c[(i + 1) % n];
    a += p.x * q.y - q.x * p.y;
  }
  return a * 0.5;
}

bool Inside(const std::vector<TOutlinePoint>& c, TOutlinePoint p)
{
  bool in = false;
  for (size_t i = 0, j = c.size() - 1; i < c.size(); j = i++) {
    if ((c[i].y > p.y) != (c[j].y > p.y) &&
        p.x < (c[j].x - c[i].x) * (p.y - c[i].y) / (c[j].y - c[i].y) + c[i].x)
      in = !in;
  }
  return in;
}

// Side walls of an extruded glyph, each facing away from the filled area.
void ExtrudeSides(const TGlyphOutline& glyph, double depth)
{
  auto& gl = OpenGLEntries();
  for (size_t ci = 0; ci < glyph.contours.size(); ++ci) {
    const auto& c = glyph.contours[ci];
    int nesting = 0;
    for (size_t other = 0; other < glyph.contours.size(); ++other)
      if (other != ci && Inside(glyph.contours[other], c[0])) ++nesting;
    const bool outer = nesting % 2 == 0;
    const double s = (SignedArea(c) > 0 ? 1.0 : -1.0) * (outer ? 1.0 : -1.0);
    gl.glBegin(GL_QUADS);
    for (size_t i = 0, n = c.size(); i < n; ++i) {
      const TOutlinePoint a = c[i], b = c[(i + 1) % n];
      const double dx = b.x - a.x, dy = b.y - a.y;
      const double len = std::sqrt(dx * dx + dy * dy);
      if (len == 0) continue;
      gl.glNormal3d(s * dy / len, -s * dx / len, 0);
      if (s < 0) {
        gl.glVertex3d(a.x, a.y, 0);
        gl.glVertex3d(b.x, b.y, 0);
        gl.glVertex3d(b.x, b.y, -depth);
        gl.glVertex3d(a.x, a.y, -depth);
      } else {
        gl.glVertex3d(a.x, a.y, 0);
        gl.glVertex3d(a.x, a.y, -depth);
        gl.glVertex3d(b.x, b.y, -depth);
        gl.glVertex3d(b.x, b.y, 0);
      }
    }
    gl.glEnd();
  }
}

std::string WideToUtf8(const std::wstring& text)
{
  std::string out;
  for (wchar_t wc : text) {
    const uint32_t c = static_cast<uint32_t>(wc);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}
// Advances in em units of the outline glyphs of one face, by code-page byte (NaN until asked).
double OutlineAdvance(const std::string& face, int32_t weight, bool italic, uint8_t byte)
{
  static std::map<std::string, std::array<double, 256>> cache;
  const std::string key = face + '|' + std::to_string(weight) + '|' + (italic ? "i" : "");
  auto it = cache.find(key);
  if (it == cache.end()) {
    std::array<double, 256> unknown;
    unknown.fill(std::nan(""));
    it = cache.emplace(key, unknown).first;
  }
  double& a = it->second[byte];
  if (std::isnan(a)) {
    TGlyphOutline glyph;
    a = GetGlyphOutline(face, weight, italic, CodePage1252ToUnicode(byte), glyph) ? glyph.advance : 0;
  }
  return a;
}
}  // namespace

void TGLCanvas::FreeFonts()
{
  if (Ready()) {
    auto& gl = OpenGLEntries();
    for (int i = 0; i < fontCount_; ++i) {
      if (fonts_[i].ListBase != 0 && gl.glIsList(fonts_[i].ListBase)) gl.glDeleteLists(fonts_[i].ListBase, FontListCount);
      if (fonts_[i].OutlineBase != 0 && gl.glIsList(fonts_[i].OutlineBase))
        gl.glDeleteLists(fonts_[i].OutlineBase, FontListCount);
    }
  }
  for (TGLFontRecord& f : fonts_) f = {};
  fontCount_ = 0;
}

void TGLCanvas::BuildFontLists(TGLFontRecord& rec)
{
  auto& gl = OpenGLEntries();
  rec.ListBase = gl.glGenLists(FontListCount);
  if (rec.ListBase == 0) throw EAssertionFailed("UseFontOutlines: " + std::to_string(gl.glGetError()));
  const bool italic = (rec.Style & fsItalic) != 0;
  if (fontMode_ == 2) {
    // Bitmap glyphs are kept here and drawn one by one: compiling glBitmap into display lists
    // fails in the software renderer. The lists stay allocated (and empty) like the others.
    rec.Bitmaps.assign(FontListCount, {});
    for (int i = 0; i < FontListCount - 1; ++i)
      GetGlyphBitmap(rec.Name, rec.Weight, italic, 12, CodePage1252ToUnicode(static_cast<uint8_t>(kFirstChar + i)),
                     rec.Bitmaps[i]);
    return;
  }
  GLUtesselator* tess = gl.gluNewTess();
  if (!tess) throw EAssertionFailed("UseFontOutlines: 0");
  if (fontMode_ == 0) {
    rec.OutlineBase = gl.glGenLists(FontListCount);
    if (rec.OutlineBase == 0) throw EAssertionFailed("UseFontOutlines: " + std::to_string(gl.glGetError()));
  }
  using Callback = void(APIENTRY*)();
  gl.gluTessCallback(tess, GLU_TESS_BEGIN, reinterpret_cast<Callback>(&TessBegin));
  gl.gluTessCallback(tess, GLU_TESS_END, reinterpret_cast<Callback>(&TessEnd));
  gl.gluTessCallback(tess, GLU_TESS_VERTEX, reinterpret_cast<Callback>(&TessVertex));
  gl.gluTessCallback(tess, GLU_TESS_COMBINE, reinterpret_cast<Callback>(&TessCombine));
  gl.gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_ODD);
  const double depth = fontExtrusion_;
  for (int i = 0; i < FontListCount; ++i) {
    TGlyphOutline glyph;
    const int code = kFirstChar + i;
    if (code <= 255) GetGlyphOutline(rec.Name, rec.Weight, italic, CodePage1252ToUnicode(static_cast<uint8_t>(code)), glyph);
    gl.glNewList(rec.ListBase + i, GL_COMPILE);
    if (fontMode_ == 1) {
      for (int face = 0; face < (depth > 0 ? 2 : 1); ++face) {
        for (const auto& c : glyph.contours) {
          gl.glBegin(GL_LINE_LOOP);
          for (const TOutlinePoint& p : c) gl.glVertex3d(p.x, p.y, face == 0 ? 0 : -depth);
          gl.glEnd();
        }
      }
    } else if (!glyph.contours.empty()) {
      std::vector<Contour3> front;
      for (const auto& c : glyph.contours) {
        Contour3 c3;
        for (const TOutlinePoint& p : c) c3.pts.push_back({p.x, p.y, 0});
        front.push_back(std::move(c3));
      }
      TessellateFace(tess, front, 1.0);
      if (depth > 0) {
        std::vector<Contour3> back = front;
        for (Contour3& c : back)
          for (auto& p : c.pts) p[2] = -depth;
        TessellateFace(tess, back, -1.0);
        ExtrudeSides(glyph, depth);
      }
    }
    gl.glTranslated(glyph.advance, 0, 0);
    gl.glEndList();
    CombinedVertices().clear();
    if (rec.OutlineBase != 0) {
      gl.glNewList(rec.OutlineBase + i, GL_COMPILE);
      gl.glNormal3d(0, 0, 1);
      for (const auto& c : glyph.contours) {
        gl.glBegin(GL_LINE_LOOP);
        for (const TOutlinePoint& p : c) gl.glVertex3d(p.x, p.y, 0);
        gl.glEnd();
      }
      gl.glTranslated(glyph.advance, 0, 0);
      gl.glEndList();
    }
  }
  gl.gluDeleteTess(tess);
}

int TGLCanvas::FindOrCreateFont()
{
  const std::string name = font_ ? font_->GetName() : std::string();
  const int32_t weight = font_ && (font_->GetStyle() & fsBold) ? 700 : 400;
  const TFontStyles style = font_ ? font_->GetStyle() : 0;
  for (int i = 0; i < fontCount_; ++i)
    if (fonts_[i].Name == name && fonts_[i].Weight == weight && fonts_[i].Style == style) return i;
  if (fontCount_ >= MaxFonts) return 0;
  TGLFontRecord& rec = fonts_[fontCount_];
  rec.Name = name;
  rec.Weight = weight;
  rec.Style = style;
  BuildFontLists(rec);
  return fontCount_++;
}

void TGLCanvas::CallTextLists(const TGLFontRecord& rec, const std::string& bytes, bool traceOutlines)
{
  auto& gl = OpenGLEntries();
  if (fontMode_ != 2 || rec.Bitmaps.empty()) {
    gl.glPushMatrix();
    gl.glCallLists(static_cast<GLsizei>(bytes.size()), GL_UNSIGNED_BYTE, bytes.data());
    gl.glPopMatrix();
    if (traceOutlines && rec.OutlineBase != 0) {
      gl.glListBase(rec.OutlineBase - kFirstChar);
      gl.glCallLists(static_cast<GLsizei>(bytes.size()), GL_UNSIGNED_BYTE, bytes.data());
      gl.glListBase(rec.ListBase - kFirstChar);
    }
    return;
  }
  gl.glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  for (unsigned char ch : bytes) {
    if (ch < kFirstChar) continue;
    const TGlyphBitmap& g = rec.Bitmaps[ch - kFirstChar];
    gl.glBitmap(g.width, g.height, static_cast<GLfloat>(g.xOrigin), static_cast<GLfloat>(g.yOrigin),
                static_cast<GLfloat>(g.advance), 0, g.bits.empty() ? nullptr : g.bits.data());
  }
  gl.glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

void TGLCanvas::TextOut3D(int32_t x, int32_t y, int32_t z, const std::string& text)
{
  if (text.empty() || !Ready()) return;
  auto& gl = OpenGLEntries();
  const int index = FindOrCreateFont();
  const TGLFontRecord& rec = fonts_[index];
  const std::string bytes = TextToCodePage1252(text);
  TSize extent{};
  if (referenceCanvas_) {
    if (font_ && referenceCanvas_->Font() != font_) referenceCanvas_->Font()->Assign(font_);
    extent = referenceCanvas_->TextExtent(text);
  }
  uint32_t align = textAlign_;
  if (align >= TA_BOTTOM)
    align -= TA_BOTTOM;
  else
    y += Round32(extent.cy * 0.7);
  // Centred and right-aligned text is placed by the width it is drawn at (outline glyphs are drawn
  // larger than the platform font measures), so that it centres on X or ends at X.
  if (align == TA_CENTER || align == TA_RIGHT) {
    const int32_t drawn = fontMode_ == 2 || !font_ ? extent.cx : DrawnTextWidth(text);
    x -= align == TA_CENTER ? Round32(drawn * 0.5) : drawn + 1;
  }

  if (fontExtrusion_ > 0) gl.glEnable(GL_CULL_FACE);
  const double size = font_ ? font_->GetSize() : 8;
  double angleX = 0, angleY = 0;
  glcanvas::GetTextAngles(angleX, angleY);
  gl.glPushMatrix();
  // Glyph outlines are traced one pixel wide and solid, whatever the pen last set.
  gl.glPushAttrib(GL_LINE_BIT);
  gl.glLineWidth(1);
  gl.glDisable(GL_LINE_STIPPLE);
  gl.glTranslatef(static_cast<float>(x + 1), static_cast<float>(-y - 2), static_cast<float>(2 - z));
  if (angleX != 0) gl.glRotatef(static_cast<float>(angleX), 1, 0, 0);
  if (angleY != 0) gl.glRotatef(static_cast<float>(angleY), 0, 1, 0);
  gl.glScalef(static_cast<float>(size * 1.57), static_cast<float>(size * 1.75), 1);
  gl.glNormal3f(0, 0, -1);
  gl.glListBase(rec.ListBase - kFirstChar);
  const bool traceOutlines = rec.OutlineBase != 0 && EmPixels() < kTracedEmPixels;
  if (auto* nuvFont = currentFont_; nuvFont && nuvFont->ShadowOrNull()) {
    const TNuvShadow* shadow = nuvFont->ShadowOrNull();
    if (shadow->GetHorizSize() != 0 || shadow->GetVertSize() != 0) {
      gl.glPushMatrix();
      gl.glTranslatef(shadow->GetHorizSize() * 0.03f, -shadow->GetVertSize() * 0.03f, -0.1f);
      SetColor(shadow->GetColor(), -1);
      if (fontMode_ == 2)
        gl.glRasterPos3f(x + 1 + shadow->GetHorizSize() * 0.03f, -y - 2 - shadow->GetVertSize() * 0.03f,
                         static_cast<float>(2 - z));
      CallTextLists(rec, bytes, traceOutlines);
      gl.glPopMatrix();
    }
  }
  SetColor(font_ ? font_->GetColor() : clBlack, -1);
  if (fontMode_ == 2) gl.glRasterPos2i(0, 0);
  CallTextLists(rec, bytes, traceOutlines);
  gl.glPopAttrib();
  gl.glPopMatrix();
  GL_CHECK("TextOut3D");
  if (fontExtrusion_ > 0) {
    gl.glDisable(GL_CULL_FACE);
    gl.glFrontFace(GL_CCW);
    GL_CHECK("FrontFace");
  }
}

void TGLCanvas::RotateLabel3D(int32_t x, int32_t y, int32_t z, const std::string& text, double angle)
{
  if (!Ready()) return;
  auto& gl = OpenGLEntries();
  gl.glPushMatrix();
  gl.glTranslatef(static_cast<float>(x), static_cast<float>(-y), 0);
  gl.glRotatef(static_cast<float>(angle), 0, 0, 1);
  // Depth Z lies behind the front, as for every other chart point.
  gl.glTranslatef(static_cast<float>(-x), static_cast<float>(y), static_cast<float>(-z));
  TextOut(x, y, text);
  gl.glPopMatrix();
  GL_CHECK("RotateLabel3D");
}

void TGLCanvas::RotateLabel(int32_t x, int32_t y, const std::string& text, double angle)
{
  RotateLabel3D(x, y, 0, text, angle);
}

// Outline glyphs are drawn at 1.57 x 1.75 pixels per point of the font size (see TextOut3D), the
// platform font at PixelsPerInch / 72: sizes are measured as drawn, so that layouts leave room for
// the text really painted. Bitmap glyphs are drawn at the platform size. Vertical scale of heights.
double TGLCanvas::DrawnTextScale() const
{
  if (fontMode_ == 2) return 1.0;
  return 1.75 * 72.0 / TFont::PixelsPerInch;
}

// The glyphs' own advances at the drawing scale (the platform font's hinted advances run short).
int32_t TGLCanvas::DrawnTextWidth(const std::string& text) const
{
  if (!font_) return 0;
  const std::string name = font_->GetName();
  const int32_t weight = (font_->GetStyle() & fsBold) ? 700 : 400;
  const bool italic = (font_->GetStyle() & fsItalic) != 0;
  double em = 0;
  for (unsigned char ch : TextToCodePage1252(text))
    if (ch >= kFirstChar) em += OutlineAdvance(name, weight, italic, ch);
  return static_cast<int32_t>(std::ceil(em * font_->GetSize() * 1.57));
}

int32_t TGLCanvas::TextWidth(const std::string& text)
{
  if (!referenceCanvas_) return 0;
  int32_t w = fontMode_ == 2 || !font_ ? referenceCanvas_->TextExtent(text).cx : DrawnTextWidth(text);
  if (currentFont_ && currentFont_->ShadowOrNull()) w += std::abs(currentFont_->ShadowOrNull()->GetHorizSize());
  return w;
}

int32_t TGLCanvas::TextHeight(const std::string& text)
{
  if (!referenceCanvas_) return 0;
  int32_t h = Round32(referenceCanvas_->TextExtent(text).cy * DrawnTextScale());
  if (currentFont_ && currentFont_->ShadowOrNull()) h += std::abs(currentFont_->ShadowOrNull()->GetVertSize());
  return h;
}

int32_t TGLCanvas::WideTextWidth(const std::wstring& text) { return TextWidth(WideToUtf8(text)); }
int32_t TGLCanvas::WideTextHeight(const std::wstring& text) { return TextHeight(WideToUtf8(text)); }
