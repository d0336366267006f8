// The OpenGL canvas: texture cache, binding of brush bitmaps, and the textured shapes of the viewer.
#include <algorithm>
#include <cstring>
#include <cmath>
#include <memory>
#include <unordered_map>
#include <vector>

#include "chart/canvas/NuvGLCanvas.h"
#include "chart/canvas/NuvGLCanvasPrivate.h"

#define GL_CHECK(word) Check(word, __FILE__, __LINE__)
#define GL_CHECK_FREE(word) glcanvas::CheckGL(word, __FILE__, __LINE__)

namespace {
struct TextureRecord {
  uint64_t bitmapId = 0;
  HGLRC context = nullptr;
  GLuint name = 0;
  bool dead = false;  // the bitmap was destroyed
  uint64_t lastUse = 0;  // when the texture was last asked for
  uint64_t frame = 0;  // the context's frame that asked for it last
};

struct BitmapWatch;

// Process-wide state: never destroyed, so that a bitmap dying during shutdown finds it.
struct TextureCache {
  std::vector<TextureRecord> records;
  // Names to delete when their context is current next.
  std::unordered_map<HGLRC, std::vector<GLuint>> pending;
  std::unordered_map<uint64_t, std::weak_ptr<BitmapWatch>> watches;
  // Frames painted in each context.
  std::unordered_map<HGLRC, uint64_t> frames;
  uint64_t uses = 0;
  bool repeat = true;
  double textAngleX = 0, textAngleY = 0;
};

TextureCache& Cache()
{
  static TextureCache* cache = new TextureCache;
  return *cache;
}

// Rides on the bitmap's change handler: destroyed with the bitmap, it marks the bitmap's
// records dead so that their texture names are deleted.
struct BitmapWatch {
  uint64_t id;
  explicit BitmapWatch(uint64_t i) : id(i) {}
  ~BitmapWatch()
  {
    TextureCache& c = Cache();
    for (TextureRecord& r : c.records)
      if (r.bitmapId == id) r.dead = true;
    auto it = c.watches.find(id);
    if (it != c.watches.end() && it->second.expired()) c.watches.erase(it);
  }
};

void Watch(TBitmap* bitmap)
{
  TextureCache& c = Cache();
  auto it = c.watches.find(bitmap->Id());
  if (it != c.watches.end() && !it->second.expired()) return;
  auto watch = std::make_shared<BitmapWatch>(bitmap->Id());
  c.watches[bitmap->Id()] = watch;
  TNotifyEvent previous = std::move(bitmap->OnChange);
  bitmap->OnChange = [previous = std::move(previous), watch](TObject* sender) {
    if (previous) previous(sender);
  };
}

bool IsPowerOfTwo(int32_t v) { return v > 0 && (v & (v - 1)) == 0; }

int32_t NextPowerOfTwo(int32_t v)
{
  // 2 to the power Ceil(Log2(v)), rounded.
  return static_cast<int32_t>(std::lround(std::pow(2.0, std::ceil(std::log2(std::max(1, v))))));
}

void DeleteNames(const std::vector<GLuint>& names)
{
  auto& gl = OpenGLEntries();
  if (!names.empty() && gl.glDeleteTextures) gl.glDeleteTextures(static_cast<GLsizei>(names.size()), names.data());
}
}  // namespace

// --- Cache

GLuint glcanvas::CreateTexture(TBitmap* bitmap, int32_t padTo)
{
  auto& gl = OpenGLEntries();
  const int32_t w = bitmap->GetWidth(), h = bitmap->GetHeight();
  if (w <= 0 || h <= 0) return 0;
  const bool oneD = h == 1 && padTo <= 0;
  const int32_t tw = oneD || padTo <= 0 ? w : padTo;
  const int32_t th = oneD ? 1 : (padTo <= 0 ? h : padTo);
  std::vector<uint8_t> pixels;
  if (!BitmapPixelsRGBA(bitmap, tw, th, pixels)) return 0;
  const GLenum target = oneD ? GL_TEXTURE_1D : GL_TEXTURE_2D;
  GLuint name = 0;
  gl.glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  gl.glGenTextures(1, &name);
  GL_CHECK_FREE("GenTextures");
  gl.glBindTexture(target, name);
  GL_CHECK_FREE("BinTexture");
  const GLint wrap = Cache().repeat ? GL_REPEAT : GL_CLAMP;
  gl.glTexParameteri(target, GL_TEXTURE_WRAP_S, wrap);
  GL_CHECK_FREE("TexParam1");
  gl.glTexParameteri(target, GL_TEXTURE_WRAP_T, wrap);
  GL_CHECK_FREE("TexParam2");
  gl.glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  GL_CHECK_FREE("TexParam3");
  gl.glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  GL_CHECK_FREE("TexParam4");
  // Nearest filtering samples level 0 only: a power-of-two picture goes up as it is; any other
  // size is scaled to a power of two by the mipmap builder.
  if (oneD) {
    if (IsPowerOfTwo(tw))
      gl.glTexImage1D(target, 0, 4, tw, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    else
      gl.gluBuild1DMipmaps(target, 4, tw, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  } else {
    if (IsPowerOfTwo(tw) && IsPowerOfTwo(th))
      gl.glTexImage2D(target, 0, 4, tw, th, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    else
      gl.gluBuild2DMipmaps(target, 4, tw, th, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  }
  GL_CHECK_FREE("TextImage2D");
  return name;
}

GLuint glcanvas::FindOrCreateTexture(HGLRC rc, TBitmap* bitmap, int32_t padTo)
{
  TextureCache& c = Cache();
  const uint64_t frame = c.frames[rc];
  int32_t count = 0;
  TextureRecord* unused = nullptr;  // used least recently of those no recent frame asked for
  TextureRecord* latest = nullptr;  // used most recently
  for (TextureRecord& r : c.records) {
    if (r.context != rc || r.dead) continue;
    if (r.bitmapId == bitmap->Id()) {
      r.lastUse = ++c.uses;
      r.frame = frame;
      return r.name;
    }
    ++count;
    if (r.frame + 1 < frame && (!unused || r.lastUse < unused->lastUse)) unused = &r;
    if (!latest || r.lastUse > latest->lastUse) latest = &r;
  }
  const GLuint name = CreateTexture(bitmap, padTo);
  if (name == 0) return 0;
  // A full cache makes room, so that whatever a frame draws is bound. A texture that neither
  // this frame nor the one before asked for goes first. When every one is in use, the one asked
  // for last goes: a frame draws each picture once, so that one is wanted again the latest, and
  // frames of one picture more than the cache holds make one or two textures each, in whatever
  // order they draw (dropping the least recently used would make every one of them again).
  TextureRecord* victim = unused ? unused : latest;
  if (count >= MaxTextureRecords && victim) {
    const GLuint gone = victim->name;
    std::erase_if(c.records, [&](const TextureRecord& r) { return &r == victim; });
    if (OpenGLLoaded() && EglCurrentContext() == rc)
      DeleteNames({gone});
    else
      c.pending[rc].push_back(gone);
  }
  c.records.push_back({bitmap->Id(), rc, name, false, ++c.uses, frame});
  Watch(bitmap);
  return name;
}

void glcanvas::BeginTextureFrame(HGLRC rc) { ++Cache().frames[rc]; }

void glcanvas::PurgeTextures(HGLRC rc, bool all)
{
  TextureCache& c = Cache();
  std::vector<GLuint> names;
  auto p = c.pending.find(rc);
  if (p != c.pending.end()) {
    names = std::move(p->second);
    c.pending.erase(p);
  }
  std::erase_if(c.records, [&](const TextureRecord& r) {
    if (r.context != rc || !(all || r.dead)) return false;
    names.push_back(r.name);
    return true;
  });
  DeleteNames(names);
}

void glcanvas::ForgetContext(HGLRC rc)
{
  TextureCache& c = Cache();
  c.pending.erase(rc);
  c.frames.erase(rc);
  std::erase_if(c.records, [&](const TextureRecord& r) { return r.context == rc; });
}

void ClearTextureCache()
{
  TextureCache& c = Cache();
  const HGLRC current = OpenGLLoaded() ? EglCurrentContext() : nullptr;
  std::vector<GLuint> now;
  for (const TextureRecord& r : c.records) {
    if (r.context == current)
      now.push_back(r.name);
    else
      c.pending[r.context].push_back(r.name);
  }
  c.records.clear();
  DeleteNames(now);
}

int TextureCacheCount()
{
  int n = 0;
  for (const TextureRecord& r : Cache().records) n += r.dead ? 0 : 1;
  return n;
}

int TextureCacheCount(HGLRC context)
{
  int n = 0;
  for (const TextureRecord& r : Cache().records) n += (r.context == context && !r.dead) ? 1 : 0;
  return n;
}

void SetTextureRepeat(bool on) { Cache().repeat = on; }
bool GetTextureRepeat() { return Cache().repeat; }

void SetTextAngles(double angleX, double angleY)
{
  Cache().textAngleX = angleX;
  Cache().textAngleY = angleY;
}

void glcanvas::GetTextAngles(double& angleX, double& angleY)
{
  angleX = Cache().textAngleX;
  angleY = Cache().textAngleY;
}

// --- Binding

GLuint TGLCanvas::TextureFor(TBitmap* bitmap, int32_t padTo) { return glcanvas::FindOrCreateTexture(rc_, bitmap, padTo); }

bool TGLCanvas::BindTexture(TBitmap* bitmap, int32_t padTo)
{
  const GLuint name = TextureFor(bitmap, padTo);
  if (name == 0) return false;
  auto& gl = OpenGLEntries();
  const GLenum target = bitmap->GetHeight() == 1 && padTo <= 0 ? GL_TEXTURE_1D : GL_TEXTURE_2D;
  gl.glEnable(target);
  gl.glBindTexture(target, name);
  GL_CHECK("BindTexture");
  if (GLUquadric* q = GetQuadric()) {
    gl.gluQuadricTexture(q, GL_TRUE);
    GL_CHECK("gluQuadricTexture");
  }
  quadricTextured_ = true;
  boundTarget_ = target;
  gl.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  return true;
}

bool TGLCanvas::SetTexture(TBitmap* bitmap)
{
  if (!bitmap) return true;
  if (!Ready()) return false;
  return BindTexture(bitmap, 0);
}

void TGLCanvas::UnsetTexture(TBitmap* bitmap)
{
  if (!bitmap || !Ready()) return;
  auto& gl = OpenGLEntries();
  if (quadricTextured_) {
    if (quadric_) gl.gluQuadricTexture(quadric_, GL_FALSE);
    GL_CHECK("gluQuadricTexture");
    quadricTextured_ = false;
  }
  gl.glDisable(boundTarget_ ? boundTarget_ : bitmap->GetHeight() == 1 ? GL_TEXTURE_1D : GL_TEXTURE_2D);
  boundTarget_ = 0;
}

void TGLCanvas::EnableBrushTexture()
{
  if (brush_) SetTexture(brush_->GetBitmap());
}

void TGLCanvas::DisableBrushTexture()
{
  if (brush_) UnsetTexture(brush_->GetBitmap());
}

// --- Textured shapes

namespace {
// Keeps the brush's bitmap for the call and puts the previous one back after it, so that the
// brush never keeps a pointer to a picture that its owner frees later.
class BrushBitmapScope {
public:
  BrushBitmapScope(TBrush* brush, TBitmap* bitmap) : brush_(brush)
  {
    if (brush_) {
      previous_ = brush_->GetBitmap();
      brush_->SetBitmap(bitmap);
    }
  }
  ~BrushBitmapScope()
  {
    if (brush_) brush_->SetBitmap(previous_);
  }

private:
  TBrush* brush_;
  TBitmap* previous_ = nullptr;
};
}  // namespace

void TGLCanvas::Polygon3DTextured(std::span<const TPoint3DFloat> points, std::span<const TFloatPoint> texCoords,
                                  TBitmap* bitmap, bool reverse, const TPoint3DFloat& normal)
{
  if (!bitmap || points.empty() || !Ready()) return;
  const int32_t w = bitmap->GetWidth(), h = bitmap->GetHeight();
  if (w <= 0 || h <= 0) return;
  const int32_t s = std::max(NextPowerOfTwo(w), NextPowerOfTwo(h));
  const double sx = static_cast<double>(w) / s, sy = static_cast<double>(h) / s;
  BrushBitmapScope scope(brush_, bitmap);
  auto& gl = OpenGLEntries();
  const size_t n = points.size();
  const double k = reverse ? -1.0 : 1.0;
  auto sendVertex = [&](size_t i, bool withTexture) {
    gl.glNormal3f(static_cast<float>(k * normal.x), static_cast<float>(k * normal.y), static_cast<float>(k * normal.z));
    if (withTexture && i < texCoords.size())
      gl.glTexCoord2f(static_cast<float>(texCoords[i].x * sx), static_cast<float>(texCoords[i].y * sy));
    gl.glVertex3f(static_cast<float>(points[i].x), static_cast<float>(points[i].y), static_cast<float>(points[i].z));
  };
  auto sendAll = [&](bool withTexture) {
    if (reverse) {
      for (size_t i = 0; i < n; ++i) sendVertex(i, withTexture);
    } else {
      sendVertex(0, withTexture);
      for (size_t i = n - 1; i >= 1; --i) sendVertex(i, withTexture);
    }
  };
  if (brush_ && brush_->GetStyle() != bsClear) {
    SetColor(brush_->GetColor(), -1);
    const bool textured = BindTexture(bitmap, s);
    gl.glBegin(GL_POLYGON);
    sendAll(textured);
    gl.glEnd();
    if (textured) UnsetTexture(bitmap);
  }
  if (pen_ && pen_->GetStyle() != psClear) {
    SetPen(pen_);
    gl.glBegin(GL_LINE_LOOP);
    sendAll(false);
    gl.glEnd();
  }
  GL_CHECK("Polygon3D");
}

void TGLCanvas::QuadStrip3DTextured(std::span<const TPoint3DFloat> points, std::span<const TFloatPoint> texCoords,
                                    TBitmap* bitmap, bool reverse, const TPoint3DFloat& normal)
{
  if (!bitmap || points.size() < 2 || !Ready()) return;
  BrushBitmapScope scope(brush_, bitmap);
  auto& gl = OpenGLEntries();
  const size_t high = points.size() - 1;
  const size_t n = (high + 1) / 2;
  const double k = reverse ? -1.0 : 1.0;
  auto vertex = [&](size_t i, bool withTexture) {
    if (withTexture && i < texCoords.size())
      gl.glTexCoord2f(static_cast<float>(texCoords[i].x), static_cast<float>(texCoords[i].y));
    gl.glVertex3f(static_cast<float>(points[i].x), static_cast<float>(points[i].y), static_cast<float>(points[i].z));
  };
  if (brush_ && brush_->GetStyle() != bsClear) {
    SetColor(brush_->GetColor(), -1);
    const bool textured = BindTexture(bitmap, 0);
    gl.glNormal3f(static_cast<float>(k * normal.x), static_cast<float>(k * normal.y), static_cast<float>(k * normal.z));
    gl.glBegin(GL_QUAD_STRIP);
    for (size_t i = 0; i < n; ++i) {
      if (reverse) {
        vertex(i, textured);
        vertex(n + i, textured);
      } else {
        vertex(n + i, textured);
        vertex(i, textured);
      }
    }
    gl.glEnd();
    if (textured) UnsetTexture(bitmap);
  }
  if (pen_ && pen_->GetStyle() != psClear) {
    SetPen(pen_);
    gl.glBegin(GL_LINE_LOOP);
    for (size_t i = 0; i <= high / 2; ++i) vertex(i, false);
    for (size_t i = high; i > high / 2; --i) vertex(i, false);
    gl.glEnd();
  }
  GL_CHECK("Polygon3D");
}

void TGLCanvas::TexturedQuad1D(const TPoint3DFloat& p0, const TPoint3DFloat& p1, const TPoint3DFloat& p2,
                               const TPoint3DFloat& p3, const TPoint3DFloat& normal,
                               const std::array<TTexCoord1D, 4>& tex)
{
  if (!Active()) return;
  // Gathered and drawn as one indexed vertex array by the next other operation: the same quads
  // with the same per-vertex normal, colour and coordinate as one glBegin/glEnd pair each.
  const TPoint3DFloat* p[4] = {&p0, &p1, &p2, &p3};
  TBatchVertex v[4];
  for (int k = 0; k < 4; ++k) {
    const float a = tex[k].Alpha >= 0 ? static_cast<float>(tex[k].Alpha) : alpha_;
    v[k] = {static_cast<float>(p[k]->x), static_cast<float>(-p[k]->y), static_cast<float>(-p[k]->z),
            static_cast<float>(normal.x), static_cast<float>(normal.y), static_cast<float>(normal.z),
            1.0f, 1.0f, 1.0f, a, static_cast<float>(tex[k].Coord)};
  }
  // A cell next to the previous one along its column shares that cell's far edge.
  auto& idx = batch_.indices;
  const size_t n = idx.size();
  GLuint i0, i1;
  if (n >= 4 && std::memcmp(&batch_.vertices[idx[n - 1]], &v[0], sizeof v[0]) == 0 &&
      std::memcmp(&batch_.vertices[idx[n - 2]], &v[1], sizeof v[1]) == 0) {
    i0 = idx[n - 1];
    i1 = idx[n - 2];
  } else {
    i0 = static_cast<GLuint>(batch_.vertices.size());
    batch_.vertices.push_back(v[0]);
    i1 = i0 + 1;
    batch_.vertices.push_back(v[1]);
  }
  const auto i2 = static_cast<GLuint>(batch_.vertices.size());
  batch_.vertices.push_back(v[2]);
  batch_.vertices.push_back(v[3]);
  idx.insert(idx.end(), {i0, i1, i2, i2 + 1});
  // Handed over in parts, so that the renderer works on the first quads while the rest come.
  if (idx.size() >= kQuadsPerBatch * 4 && Ready()) OpenGLEntries().glFlush();
}

void TGLCanvas::FlushBatch()
{
  if (batch_.indices.empty()) return;
  auto& gl = OpenGLEntries();
  if (Active()) {
    const auto stride = static_cast<GLsizei>(sizeof(TBatchVertex));
    const TBatchVertex* base = batch_.vertices.data();
    // A normal or colour shared by every vertex goes as the current one instead of an array.
    bool oneNormal = true, oneColour = true;
    for (const TBatchVertex& v : batch_.vertices) {
      oneNormal = oneNormal && v.nx == base->nx && v.ny == base->ny && v.nz == base->nz;
      oneColour = oneColour && v.r == base->r && v.g == base->g && v.b == base->b && v.a == base->a;
      if (!oneNormal && !oneColour) break;
    }
    gl.glEnableClientState(GL_VERTEX_ARRAY);
    gl.glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    gl.glVertexPointer(3, GL_FLOAT, stride, &base->x);
    gl.glTexCoordPointer(1, GL_FLOAT, stride, &base->s);
    if (oneNormal) {
      gl.glNormal3f(base->nx, base->ny, base->nz);
    } else {
      gl.glEnableClientState(GL_NORMAL_ARRAY);
      gl.glNormalPointer(GL_FLOAT, stride, &base->nx);
    }
    if (oneColour) {
      gl.glColor4f(base->r, base->g, base->b, base->a);
    } else {
      gl.glEnableClientState(GL_COLOR_ARRAY);
      gl.glColorPointer(4, GL_FLOAT, stride, &base->r);
    }
    // Drawn as glBegin(GL_QUADS) would draw them one by one: split into triangles along the
    // diagonal from the first corner when smoothly shaded, along the other one when flat.
    GLint shadeModel = GL_SMOOTH;
    gl.glGetIntegerv(GL_SHADE_MODEL, &shadeModel);
    if (shadeModel == GL_FLAT) {
      gl.glDrawElements(GL_QUADS, static_cast<GLsizei>(batch_.indices.size()), GL_UNSIGNED_INT, batch_.indices.data());
    } else {
      const std::vector<GLuint>& q = batch_.indices;
      std::vector<GLuint>& t = batch_.triangles;
      t.resize(q.size() / 4 * 6);
      for (size_t i = 0, j = 0; i + 3 < q.size(); i += 4, j += 6) {
        t[j] = q[i];
        t[j + 1] = q[i + 1];
        t[j + 2] = q[i + 2];
        t[j + 3] = q[i];
        t[j + 4] = q[i + 2];
        t[j + 5] = q[i + 3];
      }
      gl.glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(t.size()), GL_UNSIGNED_INT, t.data());
    }
    gl.glDisableClientState(GL_VERTEX_ARRAY);
    gl.glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    if (!oneNormal) gl.glDisableClientState(GL_NORMAL_ARRAY);
    if (!oneColour) gl.glDisableClientState(GL_COLOR_ARRAY);
    // The current attributes are those of the last vertex, as after immediate mode.
    const TBatchVertex& last = batch_.vertices[batch_.indices.back()];
    gl.glColor4f(last.r, last.g, last.b, last.a);
    gl.glNormal3f(last.nx, last.ny, last.nz);
    gl.glTexCoord1f(last.s);
  }
  batch_.vertices.clear();
  batch_.indices.clear();
  GL_CHECK("Polygon3D");
}
