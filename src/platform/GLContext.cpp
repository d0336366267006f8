#include "platform/GLContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <dlfcn.h>

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_set>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#endif

#include "platform/Graphics.h"

// GL constants beyond 1.1 used for the off-screen framebuffer.
namespace {
constexpr GLenum kFramebuffer = 0x8D40;
constexpr GLenum kRenderbuffer = 0x8D41;
constexpr GLenum kColorAttachment0 = 0x8CE0;
constexpr GLenum kDepthAttachment = 0x8D00;
constexpr GLenum kStencilAttachment = 0x8D20;
constexpr GLenum kFramebufferComplete = 0x8CD5;
constexpr GLenum kRgba8 = 0x8058;
constexpr GLenum kDepthComponent32 = 0x81A7;
constexpr GLenum kDepth24Stencil8 = 0x88F0;
constexpr GLenum kBgra = 0x80E1;

std::string& SearchFolder()
{
  static std::string folder;
  return folder;
}

// The EGL library and display, opened once per process.
struct EglApi {
  bool tried = false;
  bool ok = false;
  void* lib = nullptr;
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLConfig config = nullptr;
  bool surfaceless = false;
  PFNEGLGETPROCADDRESSPROC GetProcAddress = nullptr;
  PFNEGLINITIALIZEPROC Initialize = nullptr;
  PFNEGLGETDISPLAYPROC GetDisplay = nullptr;
  PFNEGLQUERYSTRINGPROC QueryString = nullptr;
  PFNEGLCHOOSECONFIGPROC ChooseConfig = nullptr;
  PFNEGLBINDAPIPROC BindAPI = nullptr;
  PFNEGLCREATECONTEXTPROC CreateContext = nullptr;
  PFNEGLDESTROYCONTEXTPROC DestroyContext = nullptr;
  PFNEGLMAKECURRENTPROC MakeCurrent = nullptr;
  PFNEGLCREATEPBUFFERSURFACEPROC CreatePbufferSurface = nullptr;
  PFNEGLDESTROYSURFACEPROC DestroySurface = nullptr;
};

// GL functions the platform itself calls (framebuffer handling and read-back).
struct GlApi {
  bool loaded = false;
  void(APIENTRY* GenFramebuffers)(GLsizei, GLuint*) = nullptr;
  void(APIENTRY* DeleteFramebuffers)(GLsizei, const GLuint*) = nullptr;
  void(APIENTRY* BindFramebuffer)(GLenum, GLuint) = nullptr;
  void(APIENTRY* GenRenderbuffers)(GLsizei, GLuint*) = nullptr;
  void(APIENTRY* DeleteRenderbuffers)(GLsizei, const GLuint*) = nullptr;
  void(APIENTRY* BindRenderbuffer)(GLenum, GLuint) = nullptr;
  void(APIENTRY* RenderbufferStorage)(GLenum, GLenum, GLsizei, GLsizei) = nullptr;
  void(APIENTRY* FramebufferRenderbuffer)(GLenum, GLenum, GLenum, GLuint) = nullptr;
  GLenum(APIENTRY* CheckFramebufferStatus)(GLenum) = nullptr;
  void(APIENTRY* ReadPixels)(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*) = nullptr;
  void(APIENTRY* PixelStorei)(GLenum, GLint) = nullptr;
  void(APIENTRY* Finish)() = nullptr;
  GLenum(APIENTRY* GetError)() = nullptr;
  bool HasFramebuffers() const
  {
    return GenFramebuffers && DeleteFramebuffers && BindFramebuffer && GenRenderbuffers && DeleteRenderbuffers &&
           BindRenderbuffer && RenderbufferStorage && FramebufferRenderbuffer && CheckFramebufferStatus;
  }
};

EglApi& Egl()
{
  static EglApi api;
  return api;
}

GlApi& Gl()
{
  static GlApi api;
  return api;
}

template <typename F>
void Sym(void* lib, F& f, const char* name)
{
  f = reinterpret_cast<F>(dlsym(lib, name));
}

bool HasExtension(const char* list, const char* name)
{
  if (!list) return false;
  const size_t n = std::strlen(name);
  for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += n) {
    const bool startOk = p == list || p[-1] == ' ';
    const bool endOk = p[n] == ' ' || p[n] == '\0';
    if (startOk && endOk) return true;
  }
  return false;
}

EGLDisplay OpenDisplay(EglApi& e)
{
  const char* clientExt = e.QueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  auto getPlatformDisplay =
      reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(e.GetProcAddress("eglGetPlatformDisplayEXT"));
  EGLint major = 0, minor = 0;
  if (getPlatformDisplay && HasExtension(clientExt, "EGL_MESA_platform_surfaceless")) {
    EGLDisplay d = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (d != EGL_NO_DISPLAY && e.Initialize(d, &major, &minor)) return d;
  }
  if (getPlatformDisplay && HasExtension(clientExt, "EGL_EXT_platform_device")) {
    auto queryDevices = reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(e.GetProcAddress("eglQueryDevicesEXT"));
    EGLDeviceEXT devices[8];
    EGLint count = 0;
    if (queryDevices && queryDevices(8, devices, &count)) {
      for (EGLint i = 0; i < count; ++i) {
        EGLDisplay d = getPlatformDisplay(EGL_PLATFORM_DEVICE_EXT, devices[i], nullptr);
        if (d != EGL_NO_DISPLAY && e.Initialize(d, &major, &minor)) return d;
      }
    }
  }
  EGLDisplay d = e.GetDisplay(EGL_DEFAULT_DISPLAY);
  if (d != EGL_NO_DISPLAY && e.Initialize(d, &major, &minor)) return d;
  return EGL_NO_DISPLAY;
}

EglApi* LoadEgl()
{
  EglApi& e = Egl();
  if (e.tried) return e.ok ? &e : nullptr;
  e.tried = true;
  e.lib = dlopen("libEGL.so.1", RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (!e.lib) return nullptr;
  Sym(e.lib, e.GetProcAddress, "eglGetProcAddress");
  Sym(e.lib, e.Initialize, "eglInitialize");
  Sym(e.lib, e.GetDisplay, "eglGetDisplay");
  Sym(e.lib, e.QueryString, "eglQueryString");
  Sym(e.lib, e.ChooseConfig, "eglChooseConfig");
  Sym(e.lib, e.BindAPI, "eglBindAPI");
  Sym(e.lib, e.CreateContext, "eglCreateContext");
  Sym(e.lib, e.DestroyContext, "eglDestroyContext");
  Sym(e.lib, e.MakeCurrent, "eglMakeCurrent");
  Sym(e.lib, e.CreatePbufferSurface, "eglCreatePbufferSurface");
  Sym(e.lib, e.DestroySurface, "eglDestroySurface");
  if (!e.GetProcAddress || !e.Initialize || !e.GetDisplay || !e.QueryString || !e.ChooseConfig || !e.BindAPI ||
      !e.CreateContext || !e.DestroyContext || !e.MakeCurrent || !e.CreatePbufferSurface || !e.DestroySurface)
    return nullptr;
  e.display = OpenDisplay(e);
  if (e.display == EGL_NO_DISPLAY) return nullptr;
  e.surfaceless = HasExtension(e.QueryString(e.display, EGL_EXTENSIONS), "EGL_KHR_surfaceless_context");
  const EGLint withPbuffer[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_DEPTH_SIZE, 24,
                                EGL_NONE};
  const EGLint anySurface[] = {EGL_SURFACE_TYPE, 0, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
  EGLint count = 0;
  if (!e.ChooseConfig(e.display, withPbuffer, &e.config, 1, &count) || count < 1) {
    count = 0;
    if (!e.surfaceless || !e.ChooseConfig(e.display, anySurface, &e.config, 1, &count) || count < 1)
      return nullptr;
  }
  if (!e.BindAPI(EGL_OPENGL_API)) return nullptr;
  e.ok = true;
  return &e;
}

void LoadGl(EglApi& e)
{
  GlApi& g = Gl();
  if (g.loaded) return;
  g.loaded = true;
  auto get = [&](auto& f, const char* name) { f = reinterpret_cast<std::remove_reference_t<decltype(f)>>(e.GetProcAddress(name)); };
  get(g.GenFramebuffers, "glGenFramebuffers");
  get(g.DeleteFramebuffers, "glDeleteFramebuffers");
  get(g.BindFramebuffer, "glBindFramebuffer");
  get(g.GenRenderbuffers, "glGenRenderbuffers");
  get(g.DeleteRenderbuffers, "glDeleteRenderbuffers");
  get(g.BindRenderbuffer, "glBindRenderbuffer");
  get(g.RenderbufferStorage, "glRenderbufferStorage");
  get(g.FramebufferRenderbuffer, "glFramebufferRenderbuffer");
  get(g.CheckFramebufferStatus, "glCheckFramebufferStatus");
  get(g.ReadPixels, "glReadPixels");
  get(g.PixelStorei, "glPixelStorei");
  get(g.Finish, "glFinish");
  get(g.GetError, "glGetError");
}

HGLRC& Current()
{
  static HGLRC current = nullptr;
  return current;
}

std::unordered_set<const TCanvas*>& WindowCanvases()
{
  static std::unordered_set<const TCanvas*> set;
  return set;
}
}  // namespace

struct TEglContext {
  EGLContext context = EGL_NO_CONTEXT;
  EGLSurface pbuffer = EGL_NO_SURFACE;
  bool doubleBuffer = false;
  bool useFramebuffer = false;  // framebuffer object on a surfaceless context
  bool framebufferMade = false;
  GLuint fbo = 0, colorRb = 0, depthRb = 0;
  bool packedDepth = false;
  int32_t width = 0, height = 0;
  std::vector<uint32_t> readBack;  // kept between frames
};

bool EglAvailable() { return LoadEgl() != nullptr; }

HGLRC EglCreateContext(bool doubleBuffer, int32_t /*colorBits*/, int32_t /*stencilBits*/)
{
  EglApi* e = LoadEgl();
  if (!e) return nullptr;
  e->BindAPI(EGL_OPENGL_API);
  EGLContext ctx = e->CreateContext(e->display, e->config, EGL_NO_CONTEXT, nullptr);
  if (ctx == EGL_NO_CONTEXT) return nullptr;
  auto* rc = new TEglContext;
  rc->context = ctx;
  rc->doubleBuffer = doubleBuffer;
  rc->useFramebuffer = e->surfaceless;
  return rc;
}

namespace {
// Framebuffer object of rc, made or resized to w x h. rc is current.
bool PrepareFramebuffer(TEglContext* rc, int32_t w, int32_t h)
{
  GlApi& g = Gl();
  if (!g.HasFramebuffers()) return false;
  if (!rc->framebufferMade) {
    g.GenFramebuffers(1, &rc->fbo);
    g.GenRenderbuffers(1, &rc->colorRb);
    g.GenRenderbuffers(1, &rc->depthRb);
    rc->framebufferMade = true;
    rc->width = rc->height = 0;
  }
  g.BindFramebuffer(kFramebuffer, rc->fbo);
  if (rc->width == w && rc->height == h) return true;
  g.BindRenderbuffer(kRenderbuffer, rc->colorRb);
  g.RenderbufferStorage(kRenderbuffer, kRgba8, w, h);
  g.FramebufferRenderbuffer(kFramebuffer, kColorAttachment0, kRenderbuffer, rc->colorRb);
  // A 32-bit depth buffer keeps far panels apart; a packed depth-stencil one is the fallback.
  g.BindRenderbuffer(kRenderbuffer, rc->depthRb);
  g.RenderbufferStorage(kRenderbuffer, kDepthComponent32, w, h);
  g.FramebufferRenderbuffer(kFramebuffer, kDepthAttachment, kRenderbuffer, rc->depthRb);
  rc->packedDepth = false;
  if (g.CheckFramebufferStatus(kFramebuffer) != kFramebufferComplete) {
    g.RenderbufferStorage(kRenderbuffer, kDepth24Stencil8, w, h);
    g.FramebufferRenderbuffer(kFramebuffer, kDepthAttachment, kRenderbuffer, rc->depthRb);
    g.FramebufferRenderbuffer(kFramebuffer, kStencilAttachment, kRenderbuffer, rc->depthRb);
    rc->packedDepth = true;
  }
  g.BindRenderbuffer(kRenderbuffer, 0);
  if (g.GetError) g.GetError();  // the canvas's own error checks must not see ours
  if (g.CheckFramebufferStatus(kFramebuffer) != kFramebufferComplete) return false;
  rc->width = w;
  rc->height = h;
  return true;
}

// Pbuffer of rc sized w x h (when the display has no surfaceless contexts).
bool PreparePbuffer(EglApi& e, TEglContext* rc, int32_t w, int32_t h)
{
  if (rc->pbuffer != EGL_NO_SURFACE && rc->width == w && rc->height == h) return true;
  if (rc->pbuffer != EGL_NO_SURFACE) {
    e.MakeCurrent(e.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    e.DestroySurface(e.display, rc->pbuffer);
    rc->pbuffer = EGL_NO_SURFACE;
  }
  const EGLint attrs[] = {EGL_WIDTH, w, EGL_HEIGHT, h, EGL_NONE};
  rc->pbuffer = e.CreatePbufferSurface(e.display, e.config, attrs);
  if (rc->pbuffer == EGL_NO_SURFACE) return false;
  rc->width = w;
  rc->height = h;
  return true;
}
}  // namespace

bool EglMakeCurrent(TCanvas* target, HGLRC rc)
{
  EglApi* e = LoadEgl();
  if (!e) return false;
  if (!rc) {
    EglReleaseCurrent();
    return true;
  }
  // Without a target the framebuffer keeps its size.
  TSize size = target ? target->DeviceSize() : TSize{rc->width, rc->height};
  const int32_t w = std::max<int32_t>(1, size.cx), h = std::max<int32_t>(1, size.cy);
  if (rc->useFramebuffer) {
    if (!e->MakeCurrent(e->display, EGL_NO_SURFACE, EGL_NO_SURFACE, rc->context)) return false;
    Current() = rc;
    LoadGl(*e);
    if (PrepareFramebuffer(rc, w, h)) return true;
    // No framebuffer objects: fall back to a pbuffer for this context.
    rc->useFramebuffer = false;
  }
  if (!PreparePbuffer(*e, rc, w, h)) return false;
  if (!e->MakeCurrent(e->display, rc->pbuffer, rc->pbuffer, rc->context)) return false;
  Current() = rc;
  LoadGl(*e);
  return true;
}

void EglReleaseCurrent()
{
  EglApi* e = LoadEgl();
  if (!e) return;
  e->MakeCurrent(e->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  Current() = nullptr;
}

void EglDeleteContext(HGLRC rc)
{
  if (!rc) return;
  EglApi* e = LoadEgl();
  if (e) {
    // The framebuffer belongs to the context: delete it while the context is current.
    if (rc->framebufferMade && Gl().HasFramebuffers() &&
        e->MakeCurrent(e->display, EGL_NO_SURFACE, EGL_NO_SURFACE, rc->context)) {
      GlApi& g = Gl();
      g.BindFramebuffer(kFramebuffer, 0);
      g.DeleteFramebuffers(1, &rc->fbo);
      const GLuint rbs[2] = {rc->colorRb, rc->depthRb};
      g.DeleteRenderbuffers(2, rbs);
    }
    e->MakeCurrent(e->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (rc->pbuffer != EGL_NO_SURFACE) e->DestroySurface(e->display, rc->pbuffer);
    e->DestroyContext(e->display, rc->context);
  }
  Current() = nullptr;
  delete rc;
}

HGLRC EglCurrentContext() { return Current(); }

bool EglSwapBuffers(TCanvas* target)
{
  HGLRC rc = Current();
  GlApi& g = Gl();
  if (!rc || !target || !g.ReadPixels) return false;
  QImage* image = target->Image();
  if (!image || image->isNull()) return false;
  const int32_t w = std::min<int32_t>(rc->width, image->width());
  const int32_t h = std::min<int32_t>(rc->height, image->height());
  if (w <= 0 || h <= 0) return false;
  std::vector<uint32_t>& pixels = rc->readBack;
  pixels.resize(static_cast<size_t>(rc->width) * rc->height);
  if (g.PixelStorei) g.PixelStorei(GL_PACK_ALIGNMENT, 4);
  // GL's bottom row is read first; it lands on the image row that the frame's height puts there.
  g.ReadPixels(0, 0, rc->width, rc->height, kBgra, GL_UNSIGNED_BYTE, pixels.data());
  if (g.GetError) g.GetError();
  target->Release();
  const QImage::Format f = image->format();
  const bool direct = f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
                      f == QImage::Format_ARGB32_Premultiplied;
  if (direct) {
    for (int32_t y = 0; y < h; ++y) {
      const uint32_t* src = pixels.data() + static_cast<size_t>(rc->height - 1 - y) * rc->width;
      auto* dst = reinterpret_cast<uint32_t*>(image->scanLine(y));
      for (int32_t x = 0; x < w; ++x) dst[x] = src[x] | 0xFF000000u;
    }
  } else {
    QImage frame(rc->width, rc->height, QImage::Format_RGB32);
    for (int32_t y = 0; y < rc->height; ++y) {
      const uint32_t* src = pixels.data() + static_cast<size_t>(rc->height - 1 - y) * rc->width;
      auto* dst = reinterpret_cast<uint32_t*>(frame.scanLine(y));
      for (int32_t x = 0; x < rc->width; ++x) dst[x] = src[x] | 0xFF000000u;
    }
    QPainter p(image);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, frame);
  }
  return true;
}

void* EglGetProcAddress(const char* name)
{
  EglApi* e = LoadEgl();
  return e ? reinterpret_cast<void*>(e->GetProcAddress(name)) : nullptr;
}

int32_t EglFramebufferWidth(HGLRC rc) { return rc ? rc->width : 0; }
int32_t EglFramebufferHeight(HGLRC rc) { return rc ? rc->height : 0; }
bool EglIsDoubleBuffered(HGLRC rc) { return rc && rc->doubleBuffer; }

int32_t CanvasPixelFormat(const TCanvas* canvas)
{
  const QImage* image = canvas ? canvas->Image() : nullptr;
  return image ? static_cast<int32_t>(image->format()) + 1 : 0;
}

void SetWindowCanvas(const TCanvas* canvas, bool isWindow)
{
  if (isWindow)
    WindowCanvases().insert(canvas);
  else
    WindowCanvases().erase(canvas);
}

bool IsMemoryCanvas(const TCanvas* canvas) { return canvas && !WindowCanvases().count(canvas); }

bool BitmapPixelsRGBA(TBitmap* bitmap, int32_t bufferWidth, int32_t bufferHeight, std::vector<uint8_t>& out)
{
  if (!bitmap) return false;
  const QImage& src = bitmap->Image();
  const int32_t w = src.width(), h = src.height();
  if (w <= 0 || h <= 0) return false;
  if (bufferWidth <= 0) bufferWidth = w;
  if (bufferHeight <= 0) bufferHeight = h;
  const QImage rgba = src.convertToFormat(QImage::Format_RGBX8888);
  out.assign(static_cast<size_t>(bufferWidth) * bufferHeight * 4, 0xFF);
  const int32_t cw = std::min(w, bufferWidth), ch = std::min(h, bufferHeight);
  for (int32_t y = 0; y < ch; ++y)
    std::memcpy(out.data() + static_cast<size_t>(y) * bufferWidth * 4, rgba.constScanLine(y), static_cast<size_t>(cw) * 4);
  return true;
}

void SetLibrarySearchFolder(const std::string& folder) { SearchFolder() = folder; }
const std::string& GetLibrarySearchFolder() { return SearchFolder(); }

void* LoadSharedLibrary(const std::string& name)
{
  if (name.empty()) return nullptr;
  std::string path = name;
  if (!SearchFolder().empty() && name.find('/') == std::string::npos) path = SearchFolder() + "/" + name;
  // Kept mapped after closing: drivers may still run code of it at process exit.
  return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
}

void FreeSharedLibrary(void* handle)
{
  if (handle) dlclose(handle);
}

void* GetLibraryProc(void* handle, const char* name) { return handle ? dlsym(handle, name) : nullptr; }

void MaskFloatingPointExceptions()
{
#if defined(__x86_64__) || defined(__i386__)
  // SSE governs doubles here: mask all six exceptions, round to nearest, no flush to zero.
  _mm_setcsr(0x1F80);
  // The x87 unit (long double): all masked, 64-bit precision, round to nearest.
  const uint16_t cw = 0x133F;
  __asm__ __volatile__("fldcw %0" : : "m"(cw));
#endif
}
