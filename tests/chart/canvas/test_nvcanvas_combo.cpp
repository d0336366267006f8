#include <gtest/gtest.h>

#include "chart/canvas/NvCanvasCombo.h"

namespace {

struct Look {
  TColor left, leftInner, buttonRight, buttonLine;
};

Look LookOf(TComboFlat& combo)
{
  TBitmap b;
  combo.PaintTo(&b);
  const int32_t w = combo.GetWidth(), y = combo.GetHeight() / 2;
  TCanvas* c = b.Canvas();
  return {c->GetPixel(0, y), c->GetPixel(1, y), c->GetPixel(w - 1, y), c->GetPixel(w - 2, y)};
}

TEST(ComboFlat, CreatedStateAndDropDownWidth)
{
  TComboFlat combo(nullptr);
  EXPECT_EQ(combo.GetHeight(), 21);
  EXPECT_EQ(combo.GetItemHeight(), 13);
  EXPECT_EQ(combo.GetStyle(), csDropDownList);
  EXPECT_EQ(combo.GetItemIndex(), -1);
  EXPECT_FALSE(combo.GetHot());
  // The list is as wide as the control until set otherwise; only a different width is stored.
  EXPECT_EQ(combo.GetDropDownWidth(), combo.GetWidth());
  EXPECT_FALSE(combo.IsDropDownWidthStored());
  combo.SetDropDownWidth(combo.GetWidth() + 100);
  EXPECT_EQ(combo.GetDropDownWidth(), combo.GetWidth() + 100);
  EXPECT_TRUE(combo.IsDropDownWidthStored());
}

TEST(ComboFlat, FlatFrameOnlyWhileNotHot)
{
  TComboFlat combo(nullptr);
  combo.SetWidth(120);
  combo.AddItem("Solid");
  combo.AddItem("Dash");
  combo.SetItemIndex(1);
  const TColor face = ColorToRGB(clBtnFace), window = ColorToRGB(clWindow);
  const Look flat = LookOf(combo);
  EXPECT_EQ(flat.left, face);
  EXPECT_EQ(flat.leftInner, face);
  EXPECT_EQ(flat.buttonRight, window);
  EXPECT_EQ(flat.buttonLine, window);

  // Under the mouse the window system's own frame shows.
  combo.DispatchMouseEnter();
  EXPECT_TRUE(combo.GetHot());
  const Look hot = LookOf(combo);
  EXPECT_FALSE(hot.left == face && hot.leftInner == face && hot.buttonRight == window && hot.buttonLine == window);

  combo.DispatchMouseLeave();
  EXPECT_FALSE(combo.GetHot());
  const Look again = LookOf(combo);
  EXPECT_EQ(again.left, face);
  EXPECT_EQ(again.buttonLine, window);

  // A change of focus also ends the hot state.
  combo.DispatchMouseEnter();
  combo.DispatchFocus(false);
  EXPECT_FALSE(combo.GetHot());
}

TEST(ComboFlat, ItemsAndSelection)
{
  TComboFlat combo(nullptr);
  int changes = 0;
  combo.OnChange = [&](TObject*) { ++changes; };
  combo.AddItem("Left");
  combo.AddItem("Right");
  EXPECT_EQ(combo.ItemCount(), 2);
  combo.SetItemIndex(1);
  EXPECT_EQ(combo.GetText(), "Right");
  EXPECT_EQ(changes, 1);
  // A list-only combo takes a text only when it names an item.
  combo.SetText("Left");
  EXPECT_EQ(combo.GetItemIndex(), 0);
  combo.SetText("Up");
  EXPECT_EQ(combo.GetItemIndex(), -1);
}

}  // namespace
