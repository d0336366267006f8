#include <gtest/gtest.h>

#include "chart/canvas/NuvShapes.h"

namespace {

// A panel whose surface draws straight on a white bitmap.
struct Scene {
  TCustomNuvPanel panel{nullptr};
  TBitmap bitmap;
  Scene()
  {
    bitmap.SetSize(100, 80);
    panel.Canvas()->SetBufferedDisplay(false);
    panel.Canvas()->InitWindow(bitmap.Canvas(), panel.GetView3DOptions(), clWhite, false, Rect(0, 0, 100, 80));
  }
  TColor Px(int x, int y) { return bitmap.Canvas()->GetPixel(x, y) & 0xFFFFFF; }
  int Count(TColor c)
  {
    int n = 0;
    for (int y = 0; y < 80; ++y)
      for (int x = 0; x < 100; ++x)
        if (Px(x, y) == c) ++n;
    return n;
  }
};

}  // namespace

TEST(ShapesDraw, FillFrameAndShadow)
{
  Scene s;
  TNuvShape shape(&s.panel);
  shape.SetColor(clYellow);
  shape.ShapeBounds = Rect(10, 10, 50, 40);
  shape.Draw();
  EXPECT_EQ(s.Px(30, 25), clYellow);
  EXPECT_EQ(s.Px(10, 25), clBlack);   // frame
  // The (smooth) shadow lies 3 pixels right and down.
  EXPECT_NE(s.Px(51, 30), clWhite);
  EXPECT_NE(s.Px(30, 42), clWhite);
  EXPECT_EQ(s.Px(54, 30), clWhite);
  EXPECT_EQ(s.Px(51, 11), clWhite);   // the shadow starts 3 pixels lower
  EXPECT_EQ(s.Px(70, 70), clWhite);
}

TEST(ShapesDraw, TransparentDrawsNothing)
{
  Scene s;
  TNuvShape shape(&s.panel);
  shape.SetTransparent(true);
  shape.SetBevel(bvRaised);
  shape.ShapeBounds = Rect(10, 10, 50, 40);
  shape.Draw();
  EXPECT_EQ(s.Count(clWhite), 100 * 80);
}

TEST(ShapesDraw, RoundedCornersAndRotation)
{
  Scene s;
  TNuvShape shape(&s.panel);
  shape.GetShadow()->SetSize(0);
  shape.SetShapeStyle(fosRoundRectangle);
  shape.ShapeBounds = Rect(10, 10, 60, 50);
  shape.Draw();
  EXPECT_EQ(s.Px(10, 10), clWhite);  // rounded away
  EXPECT_EQ(s.Px(10, 30), clBlack);

  const TFourPoints p = TNuvCustomShape::RotatedCorners(Rect(0, 0, 20, 10), 90);
  EXPECT_EQ(p[0], Point(5, 15));
  EXPECT_EQ(p[1], Point(5, -5));
  EXPECT_EQ(p[2], Point(15, -5));
  EXPECT_EQ(p[3], Point(15, 15));

  // Turned by 90 degrees the box stands upright; a bevel is not drawn on a turned box.
  Scene t;
  TNuvShape turned(&t.panel);
  turned.GetShadow()->SetSize(0);
  turned.SetBevel(bvLowered);
  turned.SetColor(clLime);
  turned.DrawRectRotated(Rect(20, 30, 60, 50), 90, 0);
  EXPECT_EQ(t.Px(40, 25), clLime);
  EXPECT_EQ(t.Px(25, 40), clWhite);
  EXPECT_EQ(t.Count(ColorToRGB(clBtnShadow)), 0);
}

TEST(ShapesDraw, GradientMadeOnReadAndBlending)
{
  Scene s;
  TNuvShape shape(&s.panel);
  EXPECT_FALSE(shape.HasGradient());
  shape.GetGradient();
  EXPECT_TRUE(shape.HasGradient());
  shape.SetGradient(nullptr);
  EXPECT_FALSE(shape.HasGradient());

  shape.GetShadow()->SetSize(0);
  shape.SetColor(clBlue);
  shape.SetTransparency(50);
  shape.ShapeBounds = Rect(10, 10, 50, 40);
  shape.Draw();
  const TColor mixed = s.Px(30, 25);
  EXPECT_NE(mixed, clBlue);
  EXPECT_NE(mixed, clWhite);
  EXPECT_NEAR(GetBValue(mixed), 255, 2);
  EXPECT_NEAR(GetRValue(mixed), 127, 3);
}

TEST(ShapesProperties, BoundsAssignAndRepaint)
{
  TNuvShape shape;
  shape.ShapeBounds = Rect(10, 10, 10, 10);
  EXPECT_EQ(shape.GetWidth(), 1);
  EXPECT_EQ(shape.GetHeight(), 1);
  shape.SetWidth(30);
  EXPECT_EQ(shape.ShapeBounds.Right, 39);
  EXPECT_EQ(shape.GetShadow()->GetSize(), 3);
  EXPECT_EQ(shape.GetShadow()->GetColor(), clBlack);
  EXPECT_FALSE(shape.GetShadow()->IsColorStored());

  TNuvShape other;
  other.SetColor(clRed);
  other.SetBevel(bvRaised);
  other.SetTextFormat(ttfHtml);
  other.GetGradient()->SetVisible(true);
  other.GetPen()->SetColor(clGreen);
  other.SetVisible(false);
  shape.Assign(&other);
  EXPECT_EQ(shape.GetColor(), clRed);
  EXPECT_EQ(shape.GetBevel(), bvRaised);
  EXPECT_EQ(shape.GetTextFormat(), ttfHtml);
  EXPECT_TRUE(shape.HasGradient() && shape.GetGradient()->GetVisible());
  EXPECT_EQ(shape.GetPen()->GetColor(), clGreen);
  EXPECT_FALSE(shape.GetVisible());

  // With a chart, a change drops the chart's kept picture.
  TCustomNuvPanel panel(nullptr);
  TNuvShape onChart(&panel);
  panel.PaintBuffer();
  auto* gdi = dynamic_cast<TNuvCanvas3D*>(panel.Canvas());
  ASSERT_NE(gdi, nullptr);
  EXPECT_FALSE(gdi->GetBitmapInvalid());
  onChart.SetColor(clAqua);
  EXPECT_TRUE(gdi->GetBitmapInvalid());
  panel.PaintBuffer();
  onChart.GetFont()->SetSize(20);
  EXPECT_TRUE(gdi->GetBitmapInvalid());
}

// A transparent shape mixes with its own transparency, whatever its shadow's is.
TEST(ShapesDraw, TransparencyIsTheShapesOwnNotItsShadows)
{
  for (int shadowTransparency : {0, 90}) {
    Scene s;
    TNuvShape shape(&s.panel);
    shape.SetColor(clBlack);
    shape.SetTransparency(50);
    shape.GetShadow()->SetSize(3);
    shape.GetShadow()->SetTransparency(shadowTransparency);
    shape.ShapeBounds = Rect(10, 10, 50, 40);
    shape.Draw();
    const TColor mixed = s.Px(30, 25);
    EXPECT_NEAR(GetRValue(mixed), 128, 2) << shadowTransparency;
    EXPECT_NEAR(GetGValue(mixed), 128, 2) << shadowTransparency;
  }
}

