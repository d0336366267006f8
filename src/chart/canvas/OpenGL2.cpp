#include "chart/canvas/OpenGL2.h"

#include <cstring>

namespace {
struct ModuleState {
  void* glLibrary = nullptr;
  void* gluLibrary = nullptr;
  std::string glName, gluName;
  TOpenGLEntries entries;
  TOpenGLExtensions extensions;
  bool firstContext = true;
  int32_t lastPixelFormat = 0;
  int32_t extensionReads = 0;
  int32_t contextsCreated = 0;
};

ModuleState& State()
{
  static ModuleState state;
  return state;
}

bool HasExtension(const char* list, const char* name)
{
  if (!list) return false;
  const size_t n = std::strlen(name);
  for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += n)
    if ((p == list || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0')) return true;
  return false;
}

// Reads the extension entry points and flags of the current context.
void ReadExtensions()
{
  ModuleState& s = State();
  s.extensions = {};
  ++s.extensionReads;
  auto get = [](auto& f, const char* name) {
    f = reinterpret_cast<std::remove_reference_t<decltype(f)>>(EglGetProcAddress(name));
  };
  get(s.extensions.glLockArraysEXT, "glLockArraysEXT");
  get(s.extensions.glUnlockArraysEXT, "glUnlockArraysEXT");
  get(s.extensions.glColorTableEXT, "glColorTableEXT");
  get(s.extensions.glPolygonOffsetEXT, "glPolygonOffsetEXT");
  const char* list = nullptr;
  if (s.entries.glGetString) list = reinterpret_cast<const char*>(s.entries.glGetString(GL_EXTENSIONS));
  s.extensions.vertexArrays = HasExtension(list, "GL_EXT_vertex_array") || s.entries.glDrawArrays != nullptr;
  s.extensions.compiledVertexArrays = HasExtension(list, "GL_EXT_compiled_vertex_array");
  s.extensions.paletteTextures = HasExtension(list, "GL_EXT_paletted_texture");
  s.extensions.polygonOffset = HasExtension(list, "GL_EXT_polygon_offset") || s.entries.glPolygonOffset != nullptr;
  if (s.entries.glGetError) s.entries.glGetError();
}

// Start-up: the floating-point control for the whole process; shutdown: libraries unloaded.
struct ModuleLifetime {
  ModuleLifetime()
  {
    State();  // made first, so that it outlives this object
    MaskFloatingPointExceptions();
  }
  ~ModuleLifetime() { CloseOpenGL(); }
} moduleLifetime;
}  // namespace

TOpenGLEntries& OpenGLEntries() { return State().entries; }
TOpenGLExtensions& OpenGLExtensions() { return State().extensions; }
int32_t OpenGLExtensionReads() { return State().extensionReads; }
int32_t RenderingContextsCreated() { return State().contextsCreated; }

bool OpenGLLoaded() { return State().glLibrary && State().gluLibrary; }
const std::string& LoadedOpenGLName() { return State().glName; }
const std::string& LoadedGLUName() { return State().gluName; }

bool InitOpenGL()
{
  if (OpenGLLoaded()) return true;
  if (InitOpenGLFromLibrary(OpenGLLibraryName, GLULibraryName)) return true;
  return InitOpenGLFromLibrary(OpenGLLibraryName2, GLULibraryName2);
}

bool InitOpenGLFromLibrary(const std::string& glName, const std::string& gluName)
{
  CloseOpenGL();
  ModuleState& s = State();
  void* gl = LoadSharedLibrary(glName);
  void* glu = gl ? LoadSharedLibrary(gluName) : nullptr;
  if (!gl || !glu) {
    FreeSharedLibrary(gl);
    FreeSharedLibrary(glu);
    return false;
  }
  s.glLibrary = gl;
  s.gluLibrary = glu;
  s.glName = glName;
  s.gluName = gluName;
#define ORBISK_GL_LOAD(name) s.entries.name = reinterpret_cast<decltype(&::name)>(GetLibraryProc(gl, #name));
#define ORBISK_GLU_LOAD(name) s.entries.name = reinterpret_cast<decltype(&::name)>(GetLibraryProc(glu, #name));
  ORBISK_GL_ENTRIES(ORBISK_GL_LOAD)
  ORBISK_GLU_ENTRIES(ORBISK_GLU_LOAD)
#undef ORBISK_GL_LOAD
#undef ORBISK_GLU_LOAD
  return true;
}

void CloseOpenGL()
{
  ModuleState& s = State();
  FreeSharedLibrary(s.glLibrary);
  FreeSharedLibrary(s.gluLibrary);
  s.glLibrary = s.gluLibrary = nullptr;
  s.glName.clear();
  s.gluName.clear();
  s.entries = {};
  s.extensions = {};
  s.firstContext = true;
}

uint32_t PixelFormatFlags(const TCanvas* dc, TContextOptions options)
{
  uint32_t flags = PFD_SUPPORT_OPENGL | PFD_SWAP_COPY;
  if (IsMemoryCanvas(dc)) {
    flags |= PFD_DRAW_TO_BITMAP;
  } else {
    flags |= PFD_DRAW_TO_WINDOW;
    if (options & coDoubleBuffer) flags |= PFD_DOUBLEBUFFER;
  }
  if (options & coSupportGdi) flags |= PFD_SUPPORT_GDI;
  if (options & coStereo) flags |= PFD_STEREO;
  return flags | PFD_GENERIC_ACCELERATED;
}

HGLRC CreateRenderingContext(TCanvas* dc, TContextOptions options, int32_t colorBits, int32_t stencilBits)
{
  const uint32_t flags = PixelFormatFlags(dc, options);
  // Without the libraries no entry point may be called: no context.
  if (!InitOpenGL() || !dc) return nullptr;
  HGLRC rc = EglCreateContext((flags & PFD_DOUBLEBUFFER) != 0, colorBits, stencilBits);
  ModuleState& s = State();
  if (rc) ++s.contextsCreated;
  if (rc && s.firstContext) {
    if (EglMakeCurrent(dc, rc)) {
      ReadExtensions();
      s.firstContext = false;
    }
    EglReleaseCurrent();
  }
  return rc;
}

bool ActivateRenderingContext(TCanvas* dc, HGLRC rc)
{
  if (!EglMakeCurrent(dc, rc)) return false;
  ModuleState& s = State();
  const int32_t format = CanvasPixelFormat(dc);
  if (format != s.lastPixelFormat) {
    ReadExtensions();
    s.lastPixelFormat = format;
  }
  return true;
}

void DeactivateRenderingContext() { EglReleaseCurrent(); }

void DestroyRenderingContext(HGLRC rc)
{
  if (rc) EglDeleteContext(rc);
}

bool SwapBuffers(TCanvas* dc) { return EglSwapBuffers(dc); }
