#pragma once
// OpenGL rendering contexts over EGL. Every context renders off-screen into a framebuffer the size
// of its target canvas; "swapping the buffers" reads the frame back into the target's image, so a
// window's back buffer and a memory bitmap take the same road. Nothing is linked at build time:
// libEGL is opened on first use and every GL call the platform needs is looked up through it.
#include <cstdint>
#include <string>
#include <vector>

class TCanvas;
class TBitmap;

// An EGL context with its off-screen framebuffer; opaque outside the platform.
struct TEglContext;
using HGLRC = TEglContext*;

// True when EGL could be loaded and a display initialised (surfaceless, device or default).
bool EglAvailable();

// Makes a desktop OpenGL (compatibility) context; nullptr when none can be had.
HGLRC EglCreateContext(bool doubleBuffer, int32_t colorBits, int32_t stencilBits);
// Makes rc current and sizes its framebuffer to the target canvas's device (at least 1 x 1);
// target nullptr keeps the framebuffer's size. rc nullptr releases the current context.
// False when EGL refuses.
bool EglMakeCurrent(TCanvas* target, HGLRC rc);
// Makes no context current.
void EglReleaseCurrent();
// Deletes rc (released first when current). nullptr is ignored.
void EglDeleteContext(HGLRC rc);
// The context current on this thread, or nullptr.
HGLRC EglCurrentContext();
// Finishes the frame of the current context and copies it into the target canvas's image
// (GL rows run bottom-up, image rows top-down). False when there is nothing to copy into.
bool EglSwapBuffers(TCanvas* target);
// Address of a GL or EGL function for the current context, or nullptr.
void* EglGetProcAddress(const char* name);
// Size of the framebuffer of rc.
int32_t EglFramebufferWidth(HGLRC rc);
int32_t EglFramebufferHeight(HGLRC rc);
bool EglIsDoubleBuffered(HGLRC rc);

// A window's canvas (the back buffer a control shows) is marked so; every other canvas counts as
// a memory device (a bitmap being drawn for export). The control clears the mark when it dies.
// A number naming the pixel layout of the canvas's device (0 when it has none).
int32_t CanvasPixelFormat(const TCanvas* canvas);

void SetWindowCanvas(const TCanvas* canvas, bool isWindow);
bool IsMemoryCanvas(const TCanvas* canvas);

// The bitmap's pixels as RGBA bytes, top row first, in the top-left corner of a buffer of
// bufferWidth x bufferHeight (0: the bitmap's own size); the rest of the buffer is white.
bool BitmapPixelsRGBA(TBitmap* bitmap, int32_t bufferWidth, int32_t bufferHeight, std::vector<uint8_t>& out);

// Shared libraries through the dynamic loader. When a search folder is set, names without a
// slash are looked up only in that folder (empty: the system's search path).
void SetLibrarySearchFolder(const std::string& folder);
const std::string& GetLibrarySearchFolder();
void* LoadSharedLibrary(const std::string& name);
void FreeSharedLibrary(void* handle);
void* GetLibraryProc(void* handle, const char* name);

// The process's floating-point control: every exception masked, round to nearest.
void MaskFloatingPointExceptions();
