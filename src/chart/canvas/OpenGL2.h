#pragma once
// OpenGL rendering context: OpenGL 1.1 and GLU are bound at run time from the system libraries
// (nothing is linked), and rendering contexts are created, made current, released and deleted
// for a target canvas. The module's start-up also fixes the process's floating-point control.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdint>
#include <string>

#include "chart/canvas/OpenGL2Entries.h"
#include "platform/GLContext.h"

class TCanvas;

// One function pointer per OpenGL 1.1 and GLU function; nullptr while not loaded.
struct TOpenGLEntries {
#define ORBISK_GL_FIELD(name) decltype(&::name) name = nullptr;
  ORBISK_GL_ENTRIES(ORBISK_GL_FIELD)
  ORBISK_GLU_ENTRIES(ORBISK_GL_FIELD)
#undef ORBISK_GL_FIELD
};

// Extension entry points and flags of the implementation, read while a context is current.
struct TOpenGLExtensions {
  void(APIENTRY* glLockArraysEXT)(GLint, GLsizei) = nullptr;
  void(APIENTRY* glUnlockArraysEXT)() = nullptr;
  void(APIENTRY* glColorTableEXT)(GLenum, GLenum, GLsizei, GLenum, GLenum, const void*) = nullptr;
  void(APIENTRY* glPolygonOffsetEXT)(GLfloat, GLfloat) = nullptr;
  bool vertexArrays = false;
  bool compiledVertexArrays = false;
  bool paletteTextures = false;
  bool polygonOffset = false;
};

TOpenGLEntries& OpenGLEntries();
TOpenGLExtensions& OpenGLExtensions();
// How many times the extension entry points have been read (they are read per pixel format).
int32_t OpenGLExtensionReads();
// How many rendering contexts have been created in this process.
int32_t RenderingContextsCreated();

// Context options, passed as one byte: bit 0 double buffer, bit 1 GDI support, bit 2 stereo.
using TContextOptions = uint8_t;
constexpr TContextOptions coDoubleBuffer = 1, coSupportGdi = 2, coStereo = 4;

// Pixel format flags.
constexpr uint32_t PFD_DOUBLEBUFFER = 0x1, PFD_STEREO = 0x2, PFD_DRAW_TO_WINDOW = 0x4, PFD_DRAW_TO_BITMAP = 0x8,
                   PFD_SUPPORT_GDI = 0x10, PFD_SUPPORT_OPENGL = 0x20, PFD_NEED_PALETTE = 0x80,
                   PFD_SWAP_COPY = 0x400, PFD_GENERIC_ACCELERATED = 0x1000;

// The library names tried by InitOpenGL, in order: first pair, then the second.
constexpr const char* OpenGLLibraryName = "libGL.so.1";
constexpr const char* GLULibraryName = "libGLU.so.1";
constexpr const char* OpenGLLibraryName2 = "libOpenGL.so.0";
constexpr const char* GLULibraryName2 = "libGLU.so";

// True at once when both libraries are loaded; else tries the first pair, then the second.
bool InitOpenGL();
bool InitOpenGLFromLibrary(const std::string& glName, const std::string& gluName);
// Unloads both libraries and clears every entry point.
void CloseOpenGL();
bool OpenGLLoaded();
// The names the loaded libraries were opened by (empty while not loaded).
const std::string& LoadedOpenGLName();
const std::string& LoadedGLUName();

// The pixel format flags a context for this target asks for: a memory canvas draws to a bitmap
// and is never double-buffered.
uint32_t PixelFormatFlags(const TCanvas* dc, TContextOptions options);
// A rendering context for the target canvas; nullptr when OpenGL or a context cannot be had.
HGLRC CreateRenderingContext(TCanvas* dc, TContextOptions options, int32_t colorBits, int32_t stencilBits);
// Makes rc current on dc (its framebuffer the size of dc's device).
bool ActivateRenderingContext(TCanvas* dc, HGLRC rc);
void DeactivateRenderingContext();
void DestroyRenderingContext(HGLRC rc);
// Ends the frame: the finished picture is copied into dc's image.
bool SwapBuffers(TCanvas* dc);
