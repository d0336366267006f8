#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Application.h"

// The system font library and the software GL driver keep caches for the life of the process;
// leaks of our own still fail.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\nleak:swrast_dri.so\nleak:libEGL_mesa.so\n"; }

int main(int argc, char** argv)
{
  // Tests never need a display: Qt draws offscreen and GL goes through EGL.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  testing::InitGoogleTest(&argc, argv);
  Application_Initialize(argc, argv);
  return RUN_ALL_TESTS();
}
