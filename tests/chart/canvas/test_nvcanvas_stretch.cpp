// Smooth stretching: sizes, identity, and reading only inside the source (ASan watches).
#include <gtest/gtest.h>

#include <cstring>

#include "chart/canvas/NvCanvasRoutines.h"

namespace {

void Paint(TBitmap& b, int w, int h)
{
  b.SetPixelFormat(pf24bit);
  b.SetSize(w, h);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = b.ScanLine(y);
    for (int x = 0; x < w; ++x) {
      row[3 * x] = static_cast<uint8_t>(x * 7 + y);
      row[3 * x + 1] = static_cast<uint8_t>(y * 13);
      row[3 * x + 2] = static_cast<uint8_t>((x ^ y) * 5);
    }
  }
}

TEST(SmoothStretch, TooSmallBitmapsRaise)
{
  TBitmap src, dst;
  Paint(src, 1, 10);
  dst.SetSize(10, 10);
  try {
    SmoothStretch(&src, &dst);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "SmoothStretch: Source bitmap too small");
  }
  Paint(src, 10, 10);
  dst.SetSize(10, 1);
  try {
    SmoothStretch(&src, &dst);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "SmoothStretch: Destination bitmap too small");
  }
  EXPECT_NO_THROW(SmoothStretch(nullptr, &dst));
}

TEST(SmoothStretch, SameSizeReproducesTheSource)
{
  for (bool narrow : {false, true}) {
    TBitmap src, dst;
    Paint(src, 100, 100);
    dst.SetSize(100, 100);
    SmoothStretchMode(&src, &dst, narrow);
    EXPECT_EQ(dst.GetPixelFormat(), pf24bit);
    for (int y = 0; y < 100; ++y)
      ASSERT_EQ(std::memcmp(src.ScanLine(y), dst.ScanLine(y), 300), 0) << "row " << y;
  }
}

TEST(SmoothStretch, UniformColourStaysUniform)
{
  TBitmap src, dst;
  src.SetPixelFormat(pf24bit);
  src.SetSize(40, 30);
  src.Canvas()->Brush()->SetColor(RGB(10, 120, 240));
  src.Canvas()->FillRect({0, 0, 40, 30});
  dst.SetSize(97, 13);
  SmoothStretch(&src, &dst);
  for (int y = 0; y < 13; ++y)
    for (int x = 0; x < 97; ++x) {
      const uint8_t* p = dst.ScanLine(y) + 3 * x;
      // Integer weights of an unnormalised filter: within a few levels.
      EXPECT_NEAR(p[0], 240, 6);
      EXPECT_NEAR(p[1], 120, 4);
      EXPECT_NEAR(p[2], 10, 2);
    }
}

TEST(SmoothStretch, HugeShrinkAndTinyEnlargeStayInsideTheSource)
{
  struct Case {
    int sw, sh, dw, dh;
  } cases[] = {{2000, 3, 2, 2}, {3, 1500, 2, 3}, {2, 2, 60, 40}, {3, 3, 7, 50}, {2, 3, 3, 2}, {500, 400, 3, 2}};
  for (const Case& k : cases)
    for (bool narrow : {false, true}) {
      TBitmap src, dst;
      Paint(src, k.sw, k.sh);
      dst.SetSize(k.dw, k.dh);
      EXPECT_NO_THROW(SmoothStretchMode(&src, &dst, narrow)) << k.sw << "x" << k.sh;
      EXPECT_EQ(dst.GetWidth(), k.dw);
      EXPECT_EQ(dst.GetHeight(), k.dh);
    }
  // Enlarging keeps the corner pixels.
  TBitmap src, dst;
  Paint(src, 2, 2);
  dst.SetSize(9, 9);
  SmoothStretchMode(&src, &dst, true);
  EXPECT_EQ(std::memcmp(dst.ScanLine(0), src.ScanLine(0), 3), 0);
  EXPECT_EQ(std::memcmp(dst.ScanLine(8) + 24, src.ScanLine(1) + 3, 3), 0);
}

}  // namespace
