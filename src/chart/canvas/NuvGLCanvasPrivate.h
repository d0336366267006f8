#pragma once
// Inside of the OpenGL canvas, shared by its .cpp files only.
#include <cstdint>
#include <string>

#include "chart/canvas/OpenGL2.h"

class TBitmap;

namespace glcanvas {

// True when every entry point the canvas calls was found.
bool EntriesComplete();

// Texture name of the bitmap in the current context rc, made on first use (the picture in the
// top-left corner of a padTo x padTo texture when padTo > 0). A full cache drops a texture of rc:
// the least recently used of those the last two frames did not ask for, else the one asked for
// last.
GLuint FindOrCreateTexture(HGLRC rc, TBitmap* bitmap, int32_t padTo);
// A new frame begins in rc.
void BeginTextureFrame(HGLRC rc);
// A texture made for one call only (temporary bitmaps); the caller deletes it.
GLuint CreateTexture(TBitmap* bitmap, int32_t padTo);
// Deletes, in the current context rc, the textures of bitmaps that died and those of cleared
// records; with all, every texture of rc.
void PurgeTextures(HGLRC rc, bool all);
// rc is being deleted: its records and pending names go (the context frees its names).
void ForgetContext(HGLRC rc);

// Process-wide text angles about X and then Y, degrees.
void GetTextAngles(double& angleX, double& angleY);

// Reads glGetError; an error raises an assertion failure with the word and the source position.
// withNumber: the error number follows the word.
GLenum CheckGL(const std::string& word, const char* file, int line, GLenum* last = nullptr,
               bool withNumber = false);
}  // namespace glcanvas
