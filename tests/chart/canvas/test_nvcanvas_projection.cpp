// Projection of the GDI canvas against a direct computation of its formulas; inverse; overflow.
#include <gtest/gtest.h>

#include <cmath>

#include "chart/canvas/NvCanvas.h"

namespace {

constexpr double D2R = 0.017453292519943295;

// Reference projection written from the formulas, independent of the canvas' code.
struct Reference {
  double e, r, t, zoom, persp;
  int xc, yc, zc, xo, yo;
  TPoint Project(int X, int Y, int Z) const
  {
    const double sE = std::sin(-e * D2R), cE = std::cos(-e * D2R);
    const double sR = std::sin(-r * D2R), cR = std::cos(-r * D2R);
    const double sT = std::sin(t * D2R), cT = std::cos(t * D2R);
    const double x = X - xc, y = Y - yc, z = Z - zc;
    const double T = z * cR - x * sR;
    double f = zoom;
    if (persp > 0) f = zoom / ((cE * T + y * sE) * persp + 1);
    const double A = x * cR + z * sR, B = y * cE - sE * T;
    return {xo + static_cast<int>(std::nearbyint((cT * A - sT * B) * f)),
            yo + static_cast<int>(std::nearbyint((cT * B + sT * A) * f))};
  }
};

struct View {
  TView3DOptions options{nullptr};
  TBitmap bmp;
  TNuvCanvas3D c;
  View(bool orthogonal, int elevation, int rotation, int tilt, int perspective, int zoom, int hOff = 0, int vOff = 0)
  {
    options.SetOrthogonal(orthogonal);
    options.SetElevation(elevation);
    options.SetRotation(rotation);
    options.SetTilt(tilt);
    options.SetPerspective(perspective);
    options.SetZoom(zoom);
    options.SetHorizOffset(hOff);
    options.SetVertOffset(vOff);
    bmp.SetSize(400, 300);
    c.SetBufferedDisplay(false);
    c.InitWindow(bmp.Canvas(), &options, clWhite, true, {0, 0, 400, 300});
    c.ViewPort(80, {20, 10, 380, 290}, {20, 10, 380, 290});
  }
};

TEST(Projection, RotatedTiltedAndPerspectiveViewsMatchTheFormulas)
{
  struct Case {
    int e, r, t, p, zoom;
  } cases[] = {{345, 345, 0, 0, 100}, {345, 345, 0, 15, 100}, {330, 20, 10, 0, 80}, {300, 45, 25, 40, 150},
               {0, 0, 0, 0, 100},     {10, 200, -30, 15, 60}};
  for (const Case& k : cases) {
    View v(false, k.e, k.r, k.t, k.p, k.zoom, 7, -5);
    const double zf = k.zoom * 0.01;
    Reference ref{double(k.e), double(k.r), double(k.t), zf, k.p > 0 ? k.p * zf / 150.0 / 360 : 0.0,
                  200, 150, 40, 207, 145};
    EXPECT_EQ(v.c.GetXCenter(), 200);
    EXPECT_EQ(v.c.GetYCenter(), 150);
    EXPECT_EQ(v.c.GetZCenter(), 40);
    for (int X : {0, 37, 200, 399})
      for (int Y : {0, 150, 221})
        for (int Z : {0, 13, 80}) {
          TPoint got = v.c.Calculate3DPosition(X, Y, Z), want = ref.Project(X, Y, Z);
          EXPECT_NEAR(got.x, want.x, 1) << k.e << " " << k.r << " " << k.t << " at " << X << "," << Y << "," << Z;
          EXPECT_NEAR(got.y, want.y, 1) << k.e << " " << k.r << " " << k.t << " at " << X << "," << Y << "," << Z;
        }
  }
}

TEST(Projection, FrontViewAndTwoDimensionalCanvas)
{
  View v(false, 0, 0, 0, 0, 100, 3, 4);
  for (int z : {0, 40, 200}) EXPECT_EQ(v.c.Calculate3DPosition(50, 60, z), (TPoint{53, 64}));

  TBitmap bmp;
  bmp.SetSize(10, 10);
  TNuvCanvas3D flat;
  flat.SetBufferedDisplay(false);
  TView3DOptions o(nullptr);
  flat.InitWindow(bmp.Canvas(), &o, clWhite, false, {0, 0, 10, 10});
  flat.ViewPort(50, {0, 0, 10, 10}, {0, 0, 10, 10});
  EXPECT_EQ(flat.Calculate3DPosition(123, -7, 99), (TPoint{123, -7}));
  EXPECT_EQ(flat.CalcRect3D({1, 2, 3, 4}, 50), (TRect{1, 2, 3, 4}));
}

TEST(Projection, OrthogonalAngles)
{
  View v45(true, 345, 345, 0, 15, 100);
  TPoint a = v45.c.Calculate3DPosition(100, 100, 0), b = v45.c.Calculate3DPosition(100, 100, 10);
  EXPECT_EQ(b.x - a.x, 10);
  EXPECT_EQ(b.y - a.y, -10);

  // 90 degrees: cosine 0 gives a vertical factor of 1 and a horizontal one of -1.
  for (int angle : {135, 90}) {
    View v(true, 345, 345, 0, 15, 100);
    v.options.SetOrthoAngle(angle);
    v.c.InitWindow(v.bmp.Canvas(), &v.options, clWhite, true, {0, 0, 400, 300});
    v.c.ViewPort(80, {20, 10, 380, 290}, {});
    a = v.c.Calculate3DPosition(100, 100, 0);
    b = v.c.Calculate3DPosition(100, 100, 10);
    EXPECT_EQ(b.x - a.x, -10) << angle;
    EXPECT_EQ(b.y - a.y, -10) << angle;
  }

  // Zoom scales around the centre; depth is not taken relative to the depth centre.
  View z(true, 0, 0, 0, 0, 200, 10, 0);
  EXPECT_EQ(z.c.Calculate3DPosition(200, 150, 0), (TPoint{210, 150}));
  EXPECT_EQ(z.c.Calculate3DPosition(210, 150, 5), (TPoint{240, 140}));
}

TEST(Projection, InverseRecoversChartCoordinates)
{
  for (bool ortho : {true, false}) {
    View v(ortho, 340, 20, 0, 0, 120, 6, 9);
    for (int X : {30, 200, 333})
      for (int Y : {20, 150, 260})
        for (int Z : {0, 40, 77}) {
          TPoint p = v.c.Calculate3DPosition(X, Y, Z);
          int32_t x = p.x, y = p.y;
          v.c.Calculate2DPosition(x, y, Z);
          EXPECT_NEAR(x, X, 1) << ortho << " " << X << "," << Y << "," << Z;
          EXPECT_NEAR(y, Y, 1) << ortho << " " << X << "," << Y << "," << Z;
        }
  }
  // With tilt too.
  View t(false, 350, 30, 15, 0, 100);
  TPoint p = t.c.Calculate3DPosition(120, 80, 30);
  int32_t x = p.x, y = p.y;
  t.c.Calculate2DPosition(x, y, 30);
  EXPECT_NEAR(x, 120, 1);
  EXPECT_NEAR(y, 80, 1);
  // Elevation alone: the depth shifts the point vertically and is taken back out.
  View e(false, 330, 0, 0, 0, 100);
  p = e.c.Calculate3DPosition(120, 80, 70);
  x = p.x, y = p.y;
  e.c.Calculate2DPosition(x, y, 70);
  EXPECT_NEAR(x, 120, 1);
  EXPECT_NEAR(y, 80, 1);
}

TEST(Projection, OverflowRaisesRangeError)
{
  View v(true, 0, 0, 0, 0, 100);
  EXPECT_THROW(v.c.Calculate3DPosition(2000000000, 0, 2000000000), ERangeError);
  View r(false, 345, 345, 0, 0, 100);
  EXPECT_THROW(r.c.Calculate3DPosition(2147483000, 2147483000, 0), Exception);
  EXPECT_THROW(r.c.Calculate3DPosition(-2147483600, 5, 0), EOverflow);
  EXPECT_NO_THROW(r.c.Calculate3DPosition(100000, 100000, 0));
}

TEST(Projection, FrontPlaneNestsAndDisablesRotation)
{
  View v(false, 330, 30, 0, 0, 100);
  TPoint rotated = v.c.Calculate3DPosition(50, 60, 30);
  v.c.FrontPlaneBegin();
  v.c.FrontPlaneBegin();
  EXPECT_EQ(v.c.Calculate3DPosition(50, 60, 30), (TPoint{50, 60}));
  v.c.FrontPlaneEnd();
  EXPECT_EQ(v.c.Calculate3DPosition(50, 60, 30), (TPoint{50, 60}));
  v.c.FrontPlaneEnd();
  EXPECT_EQ(v.c.Calculate3DPosition(50, 60, 30), rotated);
}

TEST(Projection, ClipCubeKeepsTheProjectedBox)
{
  View v(false, 345, 345, 0, 0, 100);
  v.c.Brush()->SetColor(clWhite);
  v.c.FillRect({0, 0, 400, 300});
  v.c.ClipCube({100, 100, 300, 200}, 0, 80);
  v.c.Brush()->SetColor(clRed);
  v.c.FillRect({0, 0, 400, 300});
  v.c.UnClipRectangle();
  // Every projected corner lies inside (or on the edge of) the clip; far points do not.
  for (int X : {110, 290})
    for (int Y : {110, 190})
      for (int Z : {5, 75}) {
        TPoint p = v.c.Calculate3DPosition(X, Y, Z);
        EXPECT_EQ(v.c.GetPixel(p.x, p.y) & 0xFFFFFF, clRed) << X << "," << Y << "," << Z;
      }
  EXPECT_EQ(v.c.GetPixel(2, 2) & 0xFFFFFF, clWhite);
  EXPECT_EQ(v.c.GetPixel(398, 298) & 0xFFFFFF, clWhite);
}

}  // namespace
