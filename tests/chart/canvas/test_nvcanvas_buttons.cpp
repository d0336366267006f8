// Colour button: sample swatch, linked colour property and the colour dialog.
#include <gtest/gtest.h>

#include "chart/canvas/NvCanvasButtons.h"
#include "platform/ColorDialogColors.h"
#include "platform/Dialogs.h"

namespace {

TColor Pixel(TButtonColor& b, int x, int y) { return b.GetCanvas()->GetPixel(x, y) & 0xFFFFFF; }

TEST(ColorButton, SwatchShowsTheLinkedColour)
{
  TButtonColor b(nullptr);
  EXPECT_EQ(b.GetWidth(), 75);
  EXPECT_EQ(b.GetHeight(), 25);
  EXPECT_EQ(b.GetSampleRect(), (TRect{56, 7, 69, 19}));

  TChartPen pen;
  pen.SetColor(clRed);
  b.LinkProperty(&pen, "Color");
  EXPECT_TRUE(b.HasProperty());
  EXPECT_EQ(b.GetSymbolColor(), clRed);
  b.PaintBuffer();
  EXPECT_EQ(Pixel(b, 62, 12), clRed);

  b.SetSymbolColor(clLime);
  EXPECT_EQ(pen.GetColor(), clLime);
  b.LinkProperty(&pen, "NoSuchProperty");
  EXPECT_FALSE(b.HasProperty());

  // No swatch for clNone.
  TButtonColor n(nullptr);
  n.SetSymbolColor(clNone);
  n.PaintBuffer();
  TColor face = Pixel(n, 40, 3);
  EXPECT_EQ(Pixel(n, 62, 12), face);
  // Nor for a linked colour of clNone.
  TChartPen none;
  none.SetColor(clNone);
  n.LinkProperty(&none, "Color");
  EXPECT_EQ(n.GetSymbolColor(), clNone);
  n.PaintBuffer();
  EXPECT_EQ(Pixel(n, 62, 12), face);
}

TEST(ColorButton, ClickEditsThroughTheDialog)
{
  TButtonColor b(nullptr);
  TNuvGradient g;
  b.LinkProperty(&g, "EndColor");
  int clicks = 0;
  b.OnClick = [&](TObject*) { ++clicks; };
  TColor offered = 0;
  TColorDialog::TestAnswer = [&](TColorDialog* d) {
    offered = d->Color;
    d->Color = clBlue;
    return true;
  };
  b.Click();
  EXPECT_EQ(offered, TColor(0x00FFFF));
  EXPECT_EQ(g.GetEndColor(), clBlue);
  EXPECT_EQ(clicks, 1);
  b.Click();  // same colour again: no change, no click
  EXPECT_EQ(clicks, 1);
  TColorDialog::TestAnswer = [](TColorDialog*) { return false; };
  TColor c = clRed;
  EXPECT_FALSE(EditColor(nullptr, c));
  EXPECT_EQ(c, clRed);
  TColorDialog::TestAnswer = nullptr;
  ASSERT_FALSE(NuvCustomColors().empty());
  EXPECT_EQ(NuvCustomColors().front(), "ColorA=00C0C0C1");
}

// The dialog shows the shared custom colours, the marker first, and a confirmed dialog hands its
// custom colours back to the shared list for the next call.
TEST(EditColor, CustomColoursReachTheDialogAndComeBack)
{
  NuvCustomColors().clear();
  TColor offeredFirst = 0, offeredSecond = 0;
  TColorDialog::TestAnswer = [&](TColorDialog* d) {
    offeredFirst = GetColorDialogCustomColor(0);
    SetColorDialogCustomColor(1, 0x123456);
    d->Color = clGreen;
    return true;
  };
  TColor c = clRed;
  EXPECT_TRUE(EditColor(nullptr, c));
  EXPECT_EQ(c, clGreen);
  EXPECT_EQ(offeredFirst, clTransparentBack);
  const auto& list = NuvCustomColors();
  ASSERT_GE(list.size(), 2u);
  EXPECT_EQ(list[0], "ColorA=00C0C0C1");
  EXPECT_EQ(list[1], "ColorB=00123456");

  // Another dialog changes the slot meanwhile; the next call offers the shared list again.
  SetColorDialogCustomColor(1, clWhite);
  TColorDialog::TestAnswer = [&](TColorDialog*) {
    offeredSecond = GetColorDialogCustomColor(1);
    return false;
  };
  EXPECT_FALSE(EditColor(nullptr, c));
  EXPECT_EQ(offeredSecond, TColor(0x123456));
  TColorDialog::TestAnswer = nullptr;
}

}  // namespace
