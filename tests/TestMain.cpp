#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Application.h"

int main(int argc, char** argv)
{
  // Tests never need a display: Qt draws offscreen and GL goes through EGL.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  testing::InitGoogleTest(&argc, argv);
  Application_Initialize(argc, argv);
  return RUN_ALL_TESTS();
}
