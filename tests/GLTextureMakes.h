#pragma once
// Counts the textures the OpenGL canvas makes: each one asks for a new texture name.
#include "chart/canvas/OpenGL2.h"

namespace testsupport {

class TextureMakes {
public:
  TextureMakes()
  {
    InitOpenGL();
    original_ = OpenGLEntries().glGenTextures;
    count_ = 0;
    if (original_) OpenGLEntries().glGenTextures = &Gen;
  }
  ~TextureMakes()
  {
    if (OpenGLEntries().glGenTextures == &Gen) OpenGLEntries().glGenTextures = original_;
  }
  TextureMakes(const TextureMakes&) = delete;
  TextureMakes& operator=(const TextureMakes&) = delete;

  // Textures made since the last call.
  int Take()
  {
    const int n = count_;
    count_ = 0;
    return n;
  }

private:
  static void APIENTRY Gen(GLsizei n, GLuint* names)
  {
    count_ += n;
    original_(n, names);
  }
  static inline decltype(TOpenGLEntries::glGenTextures) original_ = nullptr;
  static inline int count_ = 0;
};

}  // namespace testsupport
